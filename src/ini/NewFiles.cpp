#include "ini/NewFiles.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <filesystem>
#include <optional>
#include <string_view>

namespace zeb {
namespace {

bool AllDigits(std::string_view text) {
    return !text.empty() && std::ranges::all_of(text, [](char c) {
        return std::isdigit(static_cast<unsigned char>(c));
    });
}

// The process id in a name of the new-file pattern of a target whose file name is `base`.
std::optional<pid_t> WriterOf(std::string_view name, const std::string& base) {
    const std::string prefix = base + ".new-";
    if (!name.starts_with(prefix)) {
        return std::nullopt;
    }
    name.remove_prefix(prefix.size());
    const auto dash = name.find('-');
    if (dash == std::string_view::npos || !AllDigits(name.substr(0, dash)) ||
        !AllDigits(name.substr(dash + 1))) {
        return std::nullopt;
    }
    pid_t pid = 0;
    const auto parsed = std::from_chars(name.data(), name.data() + dash, pid);
    if (parsed.ec != std::errc() || pid <= 0) {
        return std::nullopt;
    }
    return pid;
}

bool ProcessRuns(pid_t pid) {
    // EPERM: the process exists but belongs to someone else.
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

}  // namespace

std::string NewFileName(const std::string& target, int attempt) {
    return target + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
}

void RemoveStaleNewFiles(const std::string& target) {
    const std::filesystem::path path(target);
    const std::string base = path.filename().string();
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::error_code error;
    for (std::filesystem::directory_iterator entry(folder, error), end; !error && entry != end;
         entry.increment(error)) {
        const auto pid = WriterOf(entry->path().filename().string(), base);
        if (pid && (*pid == ::getpid() || !ProcessRuns(*pid))) {
            ::unlink(entry->path().c_str());
        }
    }
}

}  // namespace zeb
