#pragma once
// Reading a whole file, and replacing one so that it is never seen half written.

#include <optional>
#include <string>

#include "ini/FileSystem.h"

namespace zeb {

// The file's bytes; nullopt when no file of that name exists. Throws std::system_error with
// the OS error number when it exists but cannot be opened or read, or is no regular file
// (EISDIR for a folder, ENOTSUP for a pipe, socket or device): such a file is never opened.
std::optional<std::string> ReadFileIfExists(const std::string& path);

// Writes the bytes to a new file in the target's folder, flushes it to the disk and renames it
// over the target, which keeps its permission bits. A failure at any step throws
// std::system_error with the OS error number; the target is then untouched and the new file
// removed. Symbolic links are followed to the end of their chain, so the file they name is the
// one replaced and the links stay; as the kernel's protected-symlinks rule has it, a link in a
// sticky folder anyone may write to is followed only when it belongs to this user or to the
// folder's owner, else the save fails with EACCES, naming the link, before anything is written.
// Only a regular file is ever replaced: anything else there fails as ReadFileIfExists does, before
// anything is written. New files that an interrupted save left beside the target are removed first.
void ReplaceFile(const FileSystem& fs, const std::string& path, const std::string& bytes);

}  // namespace zeb
