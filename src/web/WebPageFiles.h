#pragma once
// The page's own files, built into the program (no file outside them is ever served).

#include <span>
#include <string_view>

namespace zeb {

struct WebPageFile {
    std::string_view path;  // "/page.js"
    std::string_view type;  // "text/javascript; charset=utf-8"
    std::string_view body;
};

std::span<const WebPageFile> WebPageFiles();

}  // namespace zeb
