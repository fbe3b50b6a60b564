// The real system calls behind SystemCalls.

#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "output/SystemCalls.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define ZEB_HAVE_PORT_IO 1
#else
#define ZEB_HAVE_PORT_IO 0
#endif

namespace zeb {
namespace {

class LinuxSystemCalls : public SystemCalls {
  public:
    int Open(const std::string& path, int flags) override {
        return ::open(path.c_str(), flags | O_CLOEXEC);
    }
    int Close(int fd) override { return ::close(fd); }
    int Ioctl(int fd, unsigned long request, void* argument) override {
        return ::ioctl(fd, request, argument);
    }
    ssize_t Write(int fd, const void* data, std::size_t size) override {
        return ::write(fd, data, size);
    }
    ssize_t WriteAt(int fd, const void* data, std::size_t size, off_t offset) override {
        return ::pwrite(fd, data, size, offset);
    }
    std::vector<std::string> ListDirectory(const std::string& path) override {
        std::vector<std::string> names;
        std::error_code error;
        for (std::filesystem::directory_iterator it(path, error), end; !error && it != end;
             it.increment(error)) {
            names.push_back(it->path().filename().string());
        }
        return names;
    }
    std::optional<std::string> ReadTextFile(const std::string& path) override {
        std::ifstream file(path);
        if (!file) {
            return std::nullopt;
        }
        std::ostringstream text;
        text << file.rdbuf();
        return text.str();
    }
    int Ioperm(unsigned long from, unsigned long count, bool enable) override {
#if ZEB_HAVE_PORT_IO
        return ::ioperm(from, count, enable ? 1 : 0);
#else
        (void)from;
        (void)count;
        (void)enable;
        return -1;
#endif
    }
    void Outb(uint8_t value, uint16_t port) override {
#if ZEB_HAVE_PORT_IO
        ::outb(value, port);
#else
        (void)value;
        (void)port;
#endif
    }
};

}  // namespace

std::shared_ptr<SystemCalls> MakeLinuxSystemCalls() {
    return std::make_shared<LinuxSystemCalls>();
}

}  // namespace zeb
