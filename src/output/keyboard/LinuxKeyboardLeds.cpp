#include "output/keyboard/LinuxKeyboardLeds.h"

#include <fcntl.h>
#include <linux/input.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>

#include "output/DeviceNumber.h"

namespace zeb {
namespace {

constexpr const char* kInputDir = "/dev/input";
constexpr std::size_t kLedBytes = (LED_CNT + 7) / 8;
using LedBits = std::array<uint8_t, kLedBytes>;

bool BitSet(const LedBits& bits, int bit) {
    return (bits[bit / 8] >> (bit % 8)) & 1;
}

input_event Event(uint16_t type, uint16_t code, int32_t value) {
    input_event event{};
    event.type = type;
    event.code = code;
    event.value = value;
    return event;
}

}  // namespace

LinuxKeyboardLeds::LinuxKeyboardLeds(std::shared_ptr<SystemCalls> system, LockStateQuery lockStates)
    : system_(std::move(system)), lockStates_(std::move(lockStates)) {}

bool LinuxKeyboardLeds::HasLockLeds(int fd) {
    LedBits bits{};
    if (system_->Ioctl(fd, EVIOCGBIT(EV_LED, kLedBytes), bits.data()) < 0) {
        return false;
    }
    return BitSet(bits, LED_NUML) && BitSet(bits, LED_CAPSL) && BitSet(bits, LED_SCROLLL);
}

std::optional<LinuxKeyboardLeds::LockStates> LinuxKeyboardLeds::ReadLockStates(int fd) {
    LedBits bits{};
    if (system_->Ioctl(fd, EVIOCGLED(kLedBytes), bits.data()) < 0) {
        return std::nullopt;
    }
    return LockStates{BitSet(bits, LED_SCROLLL), BitSet(bits, LED_NUML), BitSet(bits, LED_CAPSL)};
}

bool LinuxKeyboardLeds::Open() {
    if (IsOpen()) {
        return true;
    }
    std::vector<int> numbers;
    for (const auto& name : system_->ListDirectory(kInputDir)) {
        if (const auto number = DeviceNumber(name, "event")) {
            numbers.push_back(*number);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    std::string refused;  // the first device that would not open, and why
    for (const int number : numbers) {
        const std::string path = std::string(kInputDir) + "/event" + std::to_string(number);
        UniqueFd fd(system_, system_->Open(path, O_WRONLY | O_NONBLOCK));
        if (!fd.Valid() && refused.empty()) {
            refused = path + ": " + std::strerror(errno);
        }
        if (!fd.Valid() || !HasLockLeds(fd.Get())) {
            continue;
        }
        atOpen_ = ReadLockStates(fd.Get()).value_or(LockStates{});
        fd_ = std::move(fd);
        wanted_ = true;
        callsSinceLoss_ = 0;
        openProblem_.clear();
        return true;
    }
    openProblem_ = "no keyboard with Num, Caps and Scroll Lock LEDs opens for writing in " +
                   std::string(kInputDir) + (refused.empty() ? "" : " (" + refused + ")");
    return false;
}

void LinuxKeyboardLeds::Close() {
    fd_.Reset();
    wanted_ = false;
}

bool LinuxKeyboardLeds::FindAgain() {
    if (!wanted_ || ++callsSinceLoss_ < kCallsBetweenSearches) {
        return false;
    }
    callsSinceLoss_ = 0;
    return Open();
}

bool LinuxKeyboardLeds::SetLeds(bool scroll, bool num, bool caps) {
    if (!IsOpen() && !FindAgain()) {
        return false;
    }
    const std::array<input_event, 4> events = {
        Event(EV_LED, LED_NUML, num ? 1 : 0), Event(EV_LED, LED_CAPSL, caps ? 1 : 0),
        Event(EV_LED, LED_SCROLLL, scroll ? 1 : 0), Event(EV_SYN, SYN_REPORT, 0)};
    const auto size = sizeof(events);
    if (system_->Write(fd_.Get(), events.data(), size) == static_cast<ssize_t>(size)) {
        return true;
    }
    // The keyboard went away (unplugged): its descriptor stays dead, so let it go.
    fd_.Reset();
    return false;
}

bool LinuxKeyboardLeds::RestoreLeds() {
    std::optional<LockStates> now;
    if (lockStates_) {
        now = lockStates_();
    }
    const LockStates states = now.value_or(atOpen_);
    return SetLeds(states.scroll, states.num, states.caps);
}

}  // namespace zeb
