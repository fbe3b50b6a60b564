#include "ini/FileSystem.h"

#include <unistd.h>

#include <cstdio>

namespace zeb {

ssize_t FileSystem::Write(int fd, const void* data, size_t size) const {
    return ::write(fd, data, size);
}

int FileSystem::Sync(int fd) const {
    return ::fsync(fd);
}

int FileSystem::Rename(const char* from, const char* to) const {
    return std::rename(from, to);
}

}  // namespace zeb
