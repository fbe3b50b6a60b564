#pragma once
// A machine without hardware whose parallel ports and input devices the test describes; every
// call the drivers make is recorded as a readable line.

#include <linux/input.h>
#include <linux/ppdev.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "output/SystemCalls.h"

namespace zeb::testing {

class FakeSystemCalls : public SystemCalls {
  public:
    // What the test sets up.
    std::map<std::string, std::vector<std::string>> directories;
    std::map<std::string, std::string> files;
    std::set<std::string> openable;         // device files that open
    std::set<std::string> claimFails;       // parallel ports another driver holds
    std::map<std::string, uint8_t> ledsOf;  // input devices with LEDs: the LED state bits
    std::set<std::string> withoutLockLeds;  // input devices lacking one of the three LEDs
    bool rawIoPermitted = false;
    bool writesFail = false;

    // What the drivers did.
    std::vector<std::string> calls;

    int Open(const std::string& path, int) override {
        calls.push_back("open " + path);
        if (!openable.count(path)) {
            errno = EACCES;
            return -1;
        }
        const int fd = nextFd_++;
        paths_[fd] = path;
        return fd;
    }
    int Close(int fd) override {
        calls.push_back("close " + paths_[fd]);
        paths_.erase(fd);
        return 0;
    }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        const std::string& path = paths_[fd];
        if (request == PPCLAIM) {
            calls.push_back("claim " + path);
            errno = claimFails.count(path) ? EBUSY : 0;
            return claimFails.count(path) ? -1 : 0;
        }
        if (request == PPWDATA || request == PPWCONTROL) {
            calls.push_back((request == PPWDATA ? "data " : "control ") + path + " " +
                            Hex(*static_cast<unsigned char*>(argument), 2));
            return 0;
        }
        constexpr std::size_t kLedBytes = (LED_CNT + 7) / 8;
        if (request == EVIOCGBIT(EV_LED, kLedBytes) || request == EVIOCGLED(kLedBytes)) {
            if (!ledsOf.count(path)) {
                return -1;
            }
            auto* bits = static_cast<uint8_t*>(argument);
            std::memset(bits, 0, kLedBytes);
            if (request == EVIOCGLED(kLedBytes)) {
                bits[0] = ledsOf[path];
            } else {
                bits[0] = withoutLockLeds.count(path) ? 0x03 : 0x07;
            }
            return static_cast<int>(kLedBytes);
        }
        calls.push_back("ioctl " + path + " unknown");
        return -1;
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        std::string line = "write " + paths_[fd];
        const auto* events = static_cast<const input_event*>(data);
        for (std::size_t i = 0; i < size / sizeof(input_event); ++i) {
            line += " " + std::to_string(events[i].type) + ":" + std::to_string(events[i].code) +
                    ":" + std::to_string(events[i].value);
        }
        calls.push_back(line);
        return writesFail ? -1 : static_cast<ssize_t>(size);
    }
    ssize_t WriteAt(int fd, const void*, std::size_t size, off_t offset) override {
        calls.push_back("write " + paths_[fd] + " at " + std::to_string(offset));
        return writesFail ? -1 : static_cast<ssize_t>(size);
    }
    std::vector<std::string> ListDirectory(const std::string& path) override {
        return directories[path];
    }
    std::optional<std::string> ReadTextFile(const std::string& path) override {
        if (!files.count(path)) {
            return std::nullopt;
        }
        return files[path];
    }
    int Ioperm(unsigned long from, unsigned long count, bool enable) override {
        calls.push_back("ioperm " + Hex(from, 4) + " " + Hex(count, 5) + " " +
                        (enable ? "on" : "off"));
        errno = rawIoPermitted ? 0 : EPERM;
        return rawIoPermitted ? 0 : -1;
    }
    void Outb(uint8_t value, uint16_t port) override {
        calls.push_back("outb " + Hex(port, 4) + " " + Hex(value, 2));
    }

    // A parallel port the kernel drives at `base`.
    void AddParport(int number, unsigned base) {
        const std::string name = "parport" + std::to_string(number);
        directories["/proc/sys/dev/parport"].push_back(name);
        files["/proc/sys/dev/parport/" + name + "/base-addr"] =
            std::to_string(base) + "\t" + std::to_string(base + 0x400) + "\n";
        files["/proc/sys/dev/parport/" + name + "/devices/active"] = "none\n";
        openable.insert("/dev/parport" + std::to_string(number));
    }

    static std::string Hex(unsigned long value, int digits) {
        char text[16];
        std::snprintf(text, sizeof text, "%0*lx", digits, value);
        return text;
    }

  private:
    int nextFd_ = 10;
    std::map<int, std::string> paths_;
};

}  // namespace zeb::testing
