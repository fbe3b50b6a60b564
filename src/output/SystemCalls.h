#pragma once
// The few operating-system calls the parallel-port and keyboard drivers make, behind one
// interface so that tests can check the exact calls without hardware.

#include <sys/types.h>

#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zeb {

class SystemCalls {
  public:
    virtual ~SystemCalls() = default;
    // open(2): a descriptor, or -1.
    virtual int Open(const std::string& path, int flags) = 0;
    virtual int Close(int fd) = 0;
    // ioctl(2) with a pointer argument: -1 on failure.
    virtual int Ioctl(int fd, unsigned long request, void* argument) = 0;
    virtual ssize_t Write(int fd, const void* data, std::size_t size) = 0;
    // pwrite(2): writes at `offset`, whatever the descriptor's position (a sysfs attribute
    // is rewritten whole each time).
    virtual ssize_t WriteAt(int fd, const void* data, std::size_t size, off_t offset) = 0;
    // The names in a folder (without "." and ".."); empty when it cannot be read.
    virtual std::vector<std::string> ListDirectory(const std::string& path) = 0;
    // A small text file (a /proc or /sys entry) whole; nothing when it cannot be read.
    virtual std::optional<std::string> ReadTextFile(const std::string& path) = 0;
    // ioperm(2): 0 when raw access to the I/O ports from..from+count-1 was granted.
    virtual int Ioperm(unsigned long from, unsigned long count, bool enable) = 0;
    // One byte to an I/O port; only valid after a successful Ioperm over that port.
    virtual void Outb(uint8_t value, uint16_t port) = 0;
};

// The real calls of this machine.
std::shared_ptr<SystemCalls> MakeLinuxSystemCalls();

// An open descriptor, closed through the same calls when the owner goes away.
class UniqueFd {
  public:
    UniqueFd() = default;
    UniqueFd(std::shared_ptr<SystemCalls> system, int fd) : system_(std::move(system)), fd_(fd) {}
    UniqueFd(UniqueFd&& other) noexcept { *this = std::move(other); }
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            Reset();
            system_ = std::move(other.system_);
            fd_ = other.fd_;
            other.fd_ = -1;
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;
    ~UniqueFd() { Reset(); }

    int Get() const { return fd_; }
    bool Valid() const { return fd_ >= 0; }
    void Reset() {
        if (fd_ >= 0 && system_) {
            system_->Close(fd_);
        }
        fd_ = -1;
    }

  private:
    std::shared_ptr<SystemCalls> system_;
    int fd_ = -1;
};

}  // namespace zeb
