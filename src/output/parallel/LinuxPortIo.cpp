#include "output/parallel/LinuxPortIo.h"

#include <fcntl.h>
#include <linux/ppdev.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "output/DeviceNumber.h"
#include "output/parallel/IoPortList.h"

namespace zeb {
namespace {

constexpr const char* kParportProcDir = "/proc/sys/dev/parport";
constexpr const char* kIoPortList = "/proc/ioports";
constexpr const char* kPciDevices = "/sys/bus/pci/devices/";
constexpr unsigned long kPortSpace = 0x10000;
// Data, status and control: base .. base + 2, 16-bit port numbers wrapping at 65 536.
constexpr unsigned kPortRegisters = 3;

std::array<uint16_t, kPortRegisters> RegistersOf(uint16_t base) {
    return {base, static_cast<uint16_t>(base + 1u), static_cast<uint16_t>(base + 2u)};
}

std::string RangeText(uint16_t base) {
    char text[16];
    std::snprintf(text, sizeof text, "%04x-%04x", base, static_cast<uint16_t>(base + 2u));
    return text;
}

}  // namespace

LinuxPortIo::LinuxPortIo(std::shared_ptr<SystemCalls> system) : system_(std::move(system)) {}

bool LinuxPortIo::InitializeWinIo(std::optional<uint16_t> base) {
    problems_.clear();
    ClaimKernelPorts();
    if (!base) {
        return !claimed_.empty();
    }
    return IsClaimedBase(*base) || GrantRawAccess(*base);
}

bool LinuxPortIo::GrantRawAccess(uint16_t base) {
    if (std::find(rawBases_.begin(), rawBases_.end(), base) != rawBases_.end()) {
        return true;
    }
    const std::string what = "raw port I/O at " + RangeText(base);
    const auto listing = system_->ReadTextFile(kIoPortList);
    if (!listing) {
        problems_.push_back(what + " refused: " + kIoPortList + " cannot be read");
        return false;
    }
    const auto registers = RegistersOf(base);
    const auto refusal = RawPortRefusal(*listing, registers, [this](const std::string& address) {
        return system_->ReadTextFile(kPciDevices + address + "/class");
    });
    if (refusal) {
        problems_.push_back(what + " refused: " + *refusal);
        return false;
    }
    // The port at the very top wraps: its control register is port 1.
    const unsigned below = std::min<unsigned>(kPortRegisters, kPortSpace - base);
    bool granted = system_->Ioperm(base, below, true) == 0;
    if (granted && below < kPortRegisters) {
        granted = system_->Ioperm(0, kPortRegisters - below, true) == 0;
    }
    if (!granted) {
        problems_.push_back(what + ": " + std::strerror(errno));
        return false;
    }
    rawBases_.push_back(base);
    return true;
}

bool LinuxPortIo::IsRawPort(uint16_t port) const {
    return std::any_of(rawBases_.begin(), rawBases_.end(), [port](uint16_t base) {
        const auto registers = RegistersOf(base);
        return std::find(registers.begin(), registers.end(), port) != registers.end();
    });
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

bool LinuxPortIo::IsClaimedBase(uint16_t base) const {
    return std::any_of(claimed_.begin(), claimed_.end(),
                       [base](const ClaimedPort& p) { return p.base == base; });
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
    if (!IsRawPort(port)) {
        return false;
    }
    system_->Outb(byte, port);
    return true;
}

}  // namespace zeb
