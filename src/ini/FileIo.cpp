#include "ini/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

namespace zeb {
namespace {

// Owns one open file descriptor.
class UniqueFd {
  public:
    explicit UniqueFd(int fd = -1) : fd_(fd) {}
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&&) = delete;
    ~UniqueFd() { Close(); }

    int Get() const { return fd_; }
    bool IsOpen() const { return fd_ >= 0; }
    // The result of close(2), so a failed close of a written file can be reported.
    int Close() { return fd_ >= 0 ? ::close(std::exchange(fd_, -1)) : 0; }

  private:
    int fd_;
};

// Removes the new file unless it has been renamed into place.
class TempFileGuard {
  public:
    explicit TempFileGuard(std::string path) : path_(std::move(path)) {}
    TempFileGuard(const TempFileGuard&) = delete;
    TempFileGuard& operator=(const TempFileGuard&) = delete;
    ~TempFileGuard() {
        if (!path_.empty()) {
            ::unlink(path_.c_str());
        }
    }
    void Release() { path_.clear(); }

  private:
    std::string path_;
};

[[noreturn]] void ThrowErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

std::string FollowLinks(const std::string& path) {
    std::error_code error;
    if (!std::filesystem::is_symlink(path, error)) {
        return path;
    }
    const auto resolved = std::filesystem::canonical(path, error);
    return error ? path : resolved.string();
}

std::string FolderOf(const std::string& path) {
    const auto parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

UniqueFd CreateNewFile(const std::string& target, std::string& name) {
    for (int attempt = 0;; ++attempt) {
        name = target + ".new-" + std::to_string(::getpid()) + "-" + std::to_string(attempt);
        UniqueFd fd(::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
        if (fd.IsOpen()) {
            return fd;
        }
        if (errno != EEXIST || attempt >= 100) {
            ThrowErrno("cannot create " + name);
        }
    }
}

void WriteAll(const FileSystem& fs, int fd, const std::string& bytes, const std::string& name) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = fs.Write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowErrno("cannot write " + name);
        }
        done += static_cast<size_t>(n);
    }
}

}  // namespace

std::optional<std::string> ReadFileIfExists(const std::string& path) {
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        ThrowErrno("cannot open " + path);
    }
    std::string bytes;
    std::array<char, 64 * 1024> buffer;
    for (;;) {
        const ssize_t n = ::read(fd.Get(), buffer.data(), buffer.size());
        if (n == 0) {
            break;
        }
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowErrno("cannot read " + path);
        }
        bytes.append(buffer.data(), static_cast<size_t>(n));
    }
    return bytes;
}

void ReplaceFile(const FileSystem& fs, const std::string& path, const std::string& bytes) {
    const std::string target = FollowLinks(path);
    struct stat old {};
    const bool existed = ::stat(target.c_str(), &old) == 0;

    std::string name;
    UniqueFd fd = CreateNewFile(target, name);
    TempFileGuard guard(name);
    if (existed && ::fchmod(fd.Get(), old.st_mode & 07777) != 0) {
        ThrowErrno("cannot set the permissions of " + name);
    }
    WriteAll(fs, fd.Get(), bytes, name);
    if (fs.Sync(fd.Get()) != 0) {
        ThrowErrno("cannot flush " + name);
    }
    if (fd.Close() != 0) {
        ThrowErrno("cannot close " + name);
    }
    if (fs.Rename(name.c_str(), target.c_str()) != 0) {
        ThrowErrno("cannot replace " + target);
    }
    guard.Release();

    // Makes the rename itself survive a power cut; the new text is complete either way.
    UniqueFd folder(::open(FolderOf(target).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (folder.IsOpen()) {
        fs.Sync(folder.Get());
    }
}

}  // namespace zeb
