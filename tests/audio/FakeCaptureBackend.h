#pragma once
// A scripted capture back end: tests set up its devices and inputs, and read the calls it got
// as short text lines.

#include <set>
#include <string>
#include <vector>

#include "audio/CaptureBackend.h"

namespace zeb::testing {

struct FakeInput {
    std::string name;
    bool on = false;
    float volume = 1.0f;
    bool refusesVolume = false;
};

class FakeCaptureBackend : public CaptureBackend {
  public:
    uint32_t version = 0x02040F00;
    std::vector<std::string> devices{"Built-in"};
    std::set<int> devicesThatCannotStart;
    bool defaultDeviceWorks = true;
    std::vector<FakeInput> inputs;
    float masterVolume = 1.0f;

    std::vector<std::string> calls;  // everything but the read-only queries
    int openDevice = -2;             // -2 = none; -1 = the default device

    uint32_t GetVersion() override { return version; }
    int32_t ErrorGetCode() override { return error_; }

    bool RecordInit(int device) override {
        calls.push_back("Init(" + std::to_string(device) + ")");
        const bool exists = device == kDefaultDevice
                                ? defaultDeviceWorks
                                : device >= 0 && device < static_cast<int>(devices.size());
        if (!exists) {
            return Fail(23);
        }
        openDevice = device;
        return true;
    }
    bool RecordFree() override {
        calls.push_back("Free");
        openDevice = -2;
        return true;
    }
    std::optional<std::string> RecordGetDeviceInfo(int device) override {
        if (device < 0 || device >= static_cast<int>(devices.size())) {
            Fail(23);
            return std::nullopt;
        }
        return devices[static_cast<size_t>(device)];
    }
    std::optional<std::string> RecordGetInputName(int input) override {
        if (input < 0 || input >= static_cast<int>(inputs.size())) {
            return std::nullopt;
        }
        return inputs[static_cast<size_t>(input)].name;
    }
    uint32_t RecordGetInput(int input, float* volume) override {
        if (input == kMasterInput) {
            if (volume != nullptr) {
                *volume = masterVolume;
            }
            return 0;
        }
        if (input < 0 || input >= static_cast<int>(inputs.size())) {
            Fail(20);
            return 0xFFFFFFFF;
        }
        const FakeInput& in = inputs[static_cast<size_t>(input)];
        if (volume != nullptr) {
            *volume = in.volume;
        }
        return in.on ? 0 : kInputOff;
    }
    bool RecordSetInput(int input, uint32_t flags, float volume) override {
        std::string call = "SetInput(" + std::to_string(input);
        call += flags == kInputOff ? ",off" : flags == kInputOn ? ",on" : "";
        if (volume != kVolumeUnchanged) {
            call += ",vol=" + std::to_string(volume);
        }
        calls.push_back(call + ")");
        if (input == kMasterInput) {
            if (volume != kVolumeUnchanged) {
                masterVolume = volume;
            }
            return true;
        }
        if (input < 0 || input >= static_cast<int>(inputs.size())) {
            return Fail(20);
        }
        FakeInput& in = inputs[static_cast<size_t>(input)];
        if (volume != kVolumeUnchanged) {
            if (in.refusesVolume) {
                return Fail(20);
            }
            in.volume = volume;
        }
        in.on = flags == kInputOn ? true : flags == kInputOff ? false : in.on;
        return true;
    }
    CaptureHandle RecordStart(uint32_t rate, uint32_t channels, uint32_t flags) override {
        calls.push_back("Start(" + std::to_string(rate) + "," + std::to_string(channels) + "," +
                        std::to_string(flags) + ")");
        if (openDevice == -2) {
            Fail(8);
            return 0;
        }
        if (devicesThatCannotStart.count(openDevice) != 0) {
            Fail(46);
            return 0;
        }
        return ++lastHandle_;
    }
    uint32_t ChannelGetLevel(CaptureHandle) override { return kLevelFailed; }
    bool ChannelGetData(CaptureHandle, float*, uint32_t) override { return false; }

    // Makes the next ErrorGetCode report `code`.
    void SetError(int32_t code) { error_ = code; }

  private:
    bool Fail(int32_t code) {
        error_ = code;
        return false;
    }
    int32_t error_ = 0;
    CaptureHandle lastHandle_ = 0;
};

}  // namespace zeb::testing
