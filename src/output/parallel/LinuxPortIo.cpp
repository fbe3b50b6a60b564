#include "output/parallel/LinuxPortIo.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

#include "output/DeviceNumber.h"

namespace zeb {
namespace {

constexpr const char* kParportProcDir = "/proc/sys/dev/parport";
constexpr unsigned long kPortSpace = 0x10000;

}  // namespace

LinuxPortIo::LinuxPortIo(std::shared_ptr<SystemCalls> system) : system_(std::move(system)) {}

bool LinuxPortIo::InitializeWinIo() {
    problems_.clear();
    ClaimKernelPorts();
    if (!rawAccess_) {
        rawAccess_ = system_->Ioperm(0, kPortSpace, true) == 0;
        if (!rawAccess_) {
            problems_.push_back(std::string("raw port I/O: ") + std::strerror(errno));
        }
    }
    return !claimed_.empty() || rawAccess_;
}

std::string LinuxPortIo::AccessProblem() const {
    std::string text;
    for (const auto& problem : problems_) {
        text += (text.empty() ? "" : "; ") + problem;
    }
    return text;
}

bool LinuxPortIo::IsClaimed(int number) const {
    return std::any_of(claimed_.begin(), claimed_.end(),
                       [number](const ClaimedPort& p) { return p.number == number; });
}

// base-addr holds the base and the extended-register base in decimal: "888\t1912".
std::optional<uint16_t> LinuxPortIo::BaseAddressOf(const std::string& parportName) {
    const auto text =
        system_->ReadTextFile(std::string(kParportProcDir) + "/" + parportName + "/base-addr");
    if (!text) {
        return std::nullopt;
    }
    unsigned long base = 0;
    auto [end, error] = std::from_chars(text->data(), text->data() + text->size(), base);
    if (error != std::errc() || end == text->data() || base >= kPortSpace) {
        return std::nullopt;
    }
    return static_cast<uint16_t>(base);
}

// Claiming waits, with no time limit, for whoever holds the port to release it; a port
// already held (by a printer driver at work, or another program) is left for a later check.
bool LinuxPortIo::InUseElsewhere(const std::string& parportName) {
    const auto holder =
        system_->ReadTextFile(std::string(kParportProcDir) + "/" + parportName + "/devices/active");
    return holder && holder->substr(0, holder->find_first_of("\n")) != "none";
}

void LinuxPortIo::ClaimKernelPorts() {
    auto names = system_->ListDirectory(kParportProcDir);
    std::sort(names.begin(), names.end());
    if (claimed_.empty() && std::none_of(names.begin(), names.end(), [](const std::string& name) {
            return DeviceNumber(name, "parport").has_value();
        })) {
        problems_.push_back(std::string("no parallel port listed in ") + kParportProcDir);
    }
    for (const auto& name : names) {
        const auto number = DeviceNumber(name, "parport");
        if (!number || IsClaimed(*number)) {
            continue;
        }
        const auto base = BaseAddressOf(name);
        const std::string device = "/dev/parport" + std::to_string(*number);
        if (!base) {
            continue;
        }
        if (InUseElsewhere(name)) {
            problems_.push_back(device + ": held by another driver or program");
            continue;
        }
        UniqueFd fd(system_, system_->Open(device, O_RDWR));
        if (!fd.Valid() || system_->Ioctl(fd.Get(), PPCLAIM, nullptr) != 0) {
            problems_.push_back(device + ": " + std::strerror(errno));
            continue;
        }
        claimed_.push_back({*number, *base, std::move(fd)});
    }
}

bool LinuxPortIo::SetPortVal(uint16_t port, uint32_t value, int size) {
    if (size != 1) {
        return false;
    }
    auto byte = static_cast<unsigned char>(value & 0xFF);
    for (const auto& claimed : claimed_) {
        if (port == claimed.base) {
            return system_->Ioctl(claimed.fd.Get(), PPWDATA, &byte) == 0;
        }
        if (port == static_cast<uint16_t>(claimed.base + 2u)) {  // wraps at 65 536
            return system_->Ioctl(claimed.fd.Get(), PPWCONTROL, &byte) == 0;
        }
    }
    if (!rawAccess_) {
        return false;
    }
    system_->Outb(byte, port);
    return true;
}

}  // namespace zeb
