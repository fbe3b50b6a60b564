#pragma once
// Reading a whole file, and replacing one so that it is never seen half written.

#include <optional>
#include <string>

#include "ini/FileSystem.h"

namespace zeb {

// The file's bytes; nullopt when no file of that name exists. Throws std::system_error with
// the OS error number when it exists but cannot be opened or read.
std::optional<std::string> ReadFileIfExists(const std::string& path);

// Writes the bytes to a new file in the target's folder, flushes it to the disk and renames it
// over the target, which keeps its permission bits. A failure at any step throws
// std::system_error with the OS error number; the target is then untouched and the new file
// removed. A symbolic link is followed, so the file it names is the one replaced.
void ReplaceFile(const FileSystem& fs, const std::string& path, const std::string& bytes);

}  // namespace zeb
