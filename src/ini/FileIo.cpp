#include "ini/FileIo.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <filesystem>
#include <system_error>
#include <utility>

#include "ini/NewFiles.h"

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

// The kernel's protected-symlinks rule, which a link followed by hand would sidestep: in a
// sticky folder that anyone may write to (/tmp), a link is followed only when it belongs to
// this user or to the folder's owner. Anyone else's link there may have been planted to make
// the save replace one of this user's files.
void RequireTrustedLink(const std::filesystem::path& link, const struct stat& linkStatus) {
    const auto folder = link.has_parent_path() ? link.parent_path() : std::filesystem::path(".");
    struct stat folderStatus {};
    if (::stat(folder.c_str(), &folderStatus) != 0) {
        ThrowErrno("cannot follow the link " + link.string());
    }
    const bool stickyAndOpen =
        (folderStatus.st_mode & S_ISVTX) != 0 && (folderStatus.st_mode & S_IWOTH) != 0;
    if (stickyAndOpen && linkStatus.st_uid != ::geteuid() &&
        linkStatus.st_uid != folderStatus.st_uid) {
        throw std::system_error(EACCES, std::generic_category(),
                                "will not follow the link " + link.string() +
                                    ": it belongs to another user, in a folder anyone may write "
                                    "to");
    }
}

// The end of the chain of symbolic links starting at `path`, which need not exist yet: a
// save through a link replaces the file it names and keeps the link.
std::string EndOfLinks(const std::string& path) {
    constexpr int kMostLinks = 40;  // as the kernel allows when it follows a path
    std::filesystem::path current(path);
    for (int hops = 0; hops < kMostLinks; ++hops) {
        struct stat linkStatus {};
        if (::lstat(current.c_str(), &linkStatus) != 0 || !S_ISLNK(linkStatus.st_mode)) {
            return current.string();
        }
        RequireTrustedLink(current, linkStatus);
        std::error_code error;
        const auto next = std::filesystem::read_symlink(current, error);
        if (error) {
            throw std::system_error(error, "cannot follow the link " + current.string());
        }
        current = next.is_absolute() ? next : current.parent_path() / next;
    }
    throw std::system_error(ELOOP, std::generic_category(), "cannot follow the links of " + path);
}

const char* KindOfFile(mode_t mode) {
    if (S_ISDIR(mode)) {
        return "a folder";
    }
    if (S_ISFIFO(mode)) {
        return "a named pipe";
    }
    if (S_ISSOCK(mode)) {
        return "a socket";
    }
    return S_ISCHR(mode) || S_ISBLK(mode) ? "a device" : "a special file";
}

// Settings live only in regular files: a pipe or a device may never end when read, and a
// save must never rename a file over one.
void RequireRegularFile(const struct stat& status, const std::string& path) {
    if (!S_ISREG(status.st_mode)) {
        throw std::system_error(
            S_ISDIR(status.st_mode) ? EISDIR : ENOTSUP, std::generic_category(),
            path + " is " + KindOfFile(status.st_mode) + ", not a regular file");
    }
}

std::string FolderOf(const std::string& path) {
    const auto parent = std::filesystem::path(path).parent_path();
    return parent.empty() ? std::string(".") : parent.string();
}

UniqueFd CreateNewFile(const std::string& target, std::string& name) {
    for (int attempt = 0;; ++attempt) {
        name = NewFileName(target, attempt);
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
    // Checked before the open, which could wait for a pipe's writer or wake a device, and
    // again on what was opened.
    struct stat status {};
    if (::stat(path.c_str(), &status) != 0) {
        if (errno == ENOENT || errno == ENOTDIR) {
            return std::nullopt;
        }
        ThrowErrno("cannot open " + path);
    }
    RequireRegularFile(status, path);
    UniqueFd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (!fd.IsOpen()) {
        ThrowErrno("cannot open " + path);
    }
    if (::fstat(fd.Get(), &status) != 0) {
        ThrowErrno("cannot read " + path);
    }
    RequireRegularFile(status, path);
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
    const std::string target = EndOfLinks(path);
    struct stat old {};
    const bool existed = ::lstat(target.c_str(), &old) == 0;
    if (existed) {
        RequireRegularFile(old, target);
    }
    RemoveStaleNewFiles(target);

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
