#include "output/keyboard/LedClassKeyboardLeds.h"

#include <fcntl.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <vector>

#include "output/DeviceNumber.h"

namespace zeb {
namespace {

constexpr std::array<const char*, 3> kLedNames = {"numlock", "capslock", "scrolllock"};
constexpr std::string_view kNumLockSuffix = "::numlock";
const std::string kNoTrigger = "none";

// The trigger file lists every trigger with the current one in brackets:
// "none kbd-scrolllock [kbd-numlock] kbd-capslock ...".
std::string CurrentTrigger(const std::string& list) {
    const auto open = list.find('[');
    const auto close = list.find(']', open);
    if (open == std::string::npos || close == std::string::npos) {
        return kNoTrigger;
    }
    return list.substr(open + 1, close - open - 1);
}

bool ReadsLit(const std::optional<std::string>& brightness) {
    int value = 0;
    return brightness &&
           std::from_chars(brightness->data(), brightness->data() + brightness->size(), value).ec ==
               std::errc() &&
           value > 0;
}

}  // namespace

LedClassKeyboardLeds::LedClassKeyboardLeds(std::shared_ptr<SystemCalls> system,
                                           std::string ledsFolder, LockStateQuery lockStates)
    : system_(std::move(system)),
      folder_(std::move(ledsFolder)),
      lockStates_(std::move(lockStates)) {}

LedClassKeyboardLeds::~LedClassKeyboardLeds() {
    Close();
}

bool LedClassKeyboardLeds::Open() {
    if (IsOpen()) {
        return true;
    }
    std::vector<int> numbers;
    for (const auto& name : system_->ListDirectory(folder_)) {
        if (!name.ends_with(kNumLockSuffix)) {
            continue;
        }
        const std::string_view device(name.data(), name.size() - kNumLockSuffix.size());
        if (const auto number = DeviceNumber(device, "input")) {
            numbers.push_back(*number);
        }
    }
    std::sort(numbers.begin(), numbers.end());
    openProblem_ = "no keyboard LEDs in " + folder_;
    for (const int number : numbers) {
        if (OpenKeyboard(number)) {
            wanted_ = true;
            callsSinceLoss_ = 0;
            openProblem_.clear();
            return true;
        }
    }
    return false;
}

bool LedClassKeyboardLeds::OpenKeyboard(int number) {
    Leds leds;
    for (std::size_t i = 0; i < leds.size(); ++i) {
        Led& led = leds[i];
        led.folder = folder_ + "/input" + std::to_string(number) + "::" + kLedNames[i];
        led.brightness = UniqueFd(system_, system_->Open(led.folder + "/brightness", O_WRONLY));
        if (!led.brightness.Valid()) {
            openProblem_ = led.folder + "/brightness: " + std::strerror(errno);
            return false;
        }
        const auto trigger = system_->ReadTextFile(led.folder + "/trigger");
        if (!trigger) {
            openProblem_ = led.folder + "/trigger cannot be read";
            return false;
        }
        led.trigger = CurrentTrigger(*trigger);
        led.litAtOpen = ReadsLit(system_->ReadTextFile(led.folder + "/brightness"));
    }
    leds_ = std::move(leds);
    if (!TakeTriggers()) {
        openProblem_ = leds_[0].folder + "/trigger: " + std::strerror(errno);
        Forget();
        return false;
    }
    return true;
}

bool LedClassKeyboardLeds::TakeTriggers() {
    for (std::size_t i = 0; i < leds_.size(); ++i) {
        if (leds_[i].trigger != kNoTrigger && !WriteTrigger(leds_[i], kNoTrigger)) {
            // Leave no LED of this keyboard half taken.
            for (std::size_t j = 0; j < i; ++j) {
                if (leds_[j].trigger != kNoTrigger) {
                    WriteTrigger(leds_[j], leds_[j].trigger);
                }
            }
            return false;
        }
    }
    triggersTaken_ = true;
    return true;
}

bool LedClassKeyboardLeds::GiveTriggersBack() {
    bool all = true;
    if (triggersTaken_) {
        for (const Led& led : leds_) {
            if (led.trigger != kNoTrigger) {
                all = WriteTrigger(led, led.trigger) && all;
            }
        }
    }
    triggersTaken_ = false;
    return all;
}

bool LedClassKeyboardLeds::WriteTrigger(const Led& led, const std::string& trigger) {
    const UniqueFd file(system_, system_->Open(led.folder + "/trigger", O_WRONLY | O_TRUNC));
    const auto size = static_cast<ssize_t>(trigger.size());
    return file.Valid() && system_->Write(file.Get(), trigger.data(), trigger.size()) == size;
}

bool LedClassKeyboardLeds::WriteBrightness(const Led& led, bool lit) {
    const char value = lit ? '1' : '0';
    return system_->WriteAt(led.brightness.Get(), &value, 1, 0) == 1;
}

void LedClassKeyboardLeds::Forget() {
    for (Led& led : leds_) {
        led.brightness.Reset();
    }
    triggersTaken_ = false;
}

bool LedClassKeyboardLeds::SetLeds(bool scroll, bool num, bool caps) {
    if (!IsOpen()) {
        if (!wanted_ || ++callsSinceLoss_ < kCallsBetweenSearches) {
            return false;
        }
        callsSinceLoss_ = 0;
        if (!Open()) {
            return false;
        }
    }
    if (!triggersTaken_ && !TakeTriggers()) {
        return false;
    }
    const std::array<bool, 3> lit = {num, caps, scroll};
    for (std::size_t i = 0; i < leds_.size(); ++i) {
        if (!WriteBrightness(leds_[i], lit[i])) {
            // The keyboard went away (its LEDs are gone with it), or is no longer ours.
            GiveTriggersBack();
            Forget();
            return false;
        }
    }
    return true;
}

bool LedClassKeyboardLeds::RestoreLeds() {
    if (!IsOpen()) {
        return false;
    }
    const auto shown = lockStates_ ? lockStates_() : std::nullopt;
    const std::array<bool, 3> shownLit =
        shown ? std::array<bool, 3>{shown->num, shown->caps, shown->scroll} : std::array<bool, 3>{};
    bool all = GiveTriggersBack();
    for (std::size_t i = 0; i < leds_.size(); ++i) {
        const Led& led = leds_[i];
        if (led.trigger == kNoTrigger) {
            all = WriteBrightness(led, shown ? shownLit[i] : led.litAtOpen) && all;
        } else if (shownLit[i]) {
            // On a desktop the display server keeps the lock states, and the console's
            // trigger may not know them: light what the server has on. A 0 would remove the
            // trigger for good, so what it has off is left to the trigger.
            all = WriteBrightness(led, true) && all;
        }
    }
    return all;
}

void LedClassKeyboardLeds::Close() {
    GiveTriggersBack();
    Forget();
    wanted_ = false;
}

}  // namespace zeb
