#include "web/WebToken.h"

#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdint>
#include <system_error>

namespace zeb {

namespace {

constexpr size_t kTokenBytes = 16;

[[noreturn]] void ThrowErrno(const std::string& what) {
    throw std::system_error(errno, std::generic_category(), what);
}

class FileHandle {
  public:
    explicit FileHandle(int fd) : fd_(fd) {}
    ~FileHandle() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    int Get() const { return fd_; }

  private:
    int fd_;
};

}  // namespace

std::filesystem::path WebTokenPath(const std::filesystem::path& settingsFile) {
    return settingsFile.parent_path() / "web-token";
}

bool IsWellFormedWebToken(const std::string& token) {
    if (token.size() != 2 * kTokenBytes) {
        return false;
    }
    for (const char c : token) {
        if (!((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'))) {
            return false;
        }
    }
    return true;
}

std::string NewWebToken() {
    std::array<uint8_t, kTokenBytes> bytes{};
    size_t filled = 0;
    while (filled < bytes.size()) {
        const ssize_t got = ::getrandom(bytes.data() + filled, bytes.size() - filled, 0);
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            ThrowErrno("getrandom");
        }
        filled += static_cast<size_t>(got);
    }
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string token;
    for (const uint8_t byte : bytes) {
        token += kDigits[byte >> 4];
        token += kDigits[byte & 0x0F];
    }
    return token;
}

void StoreWebToken(const std::filesystem::path& tokenFile, const std::string& token) {
    const std::string fresh = tokenFile.string() + ".new-" + std::to_string(::getpid());
    {
        const FileHandle file(
            ::open(fresh.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC | O_NOFOLLOW, 0600));
        if (file.Get() < 0) {
            ThrowErrno(fresh);
        }
        // An older file of that name may have been more open than this one must be.
        const std::string line = token + "\n";
        if (::fchmod(file.Get(), 0600) != 0 ||
            ::write(file.Get(), line.data(), line.size()) != static_cast<ssize_t>(line.size()) ||
            ::fsync(file.Get()) != 0) {
            const int error = errno;
            ::unlink(fresh.c_str());
            throw std::system_error(error, std::generic_category(), fresh);
        }
    }
    if (::rename(fresh.c_str(), tokenFile.c_str()) != 0) {
        const int error = errno;
        ::unlink(fresh.c_str());
        throw std::system_error(error, std::generic_category(), tokenFile.string());
    }
}

std::string LoadOrCreateWebToken(const std::filesystem::path& tokenFile, bool renew) {
    if (!renew) {
        const FileHandle file(::open(tokenFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
        struct stat status {};
        if (file.Get() >= 0 && ::fstat(file.Get(), &status) == 0 && S_ISREG(status.st_mode) &&
            status.st_uid == ::geteuid() && (status.st_mode & 077) == 0) {
            std::array<char, 2 * kTokenBytes + 2> text{};
            const ssize_t got = ::read(file.Get(), text.data(), text.size());
            if (got >= static_cast<ssize_t>(2 * kTokenBytes)) {
                const std::string token(text.data(), 2 * kTokenBytes);
                if (IsWellFormedWebToken(token)) {
                    return token;
                }
            }
        }
    }
    std::string token = NewWebToken();
    StoreWebToken(tokenFile, token);
    return token;
}

}  // namespace zeb
