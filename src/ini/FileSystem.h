#pragma once
// The file-system calls the store makes while it replaces a file, behind one small seam so a
// test can make a single step fail (a full disk during the write, a refused rename) and check
// that the old file survives. Each call behaves as its POSIX namesake: -1 and errno on failure.

#include <sys/types.h>

#include <cstddef>

namespace zeb {

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    virtual ssize_t Write(int fd, const void* data, size_t size) const;
    virtual int Sync(int fd) const;
    virtual int Rename(const char* from, const char* to) const;
};

}  // namespace zeb
