#pragma once
// The lamp devices of this run: simulated ones logging into the folder that
// ZEB_SIMULATE names, or the Linux drivers when it is unset or empty.

#include <chrono>
#include <filesystem>
#include <string>

#include "output/Devices.h"

namespace zeb {

inline constexpr const char* kSimulateVariable = "ZEB_SIMULATE";

// The folder ZEB_SIMULATE names; empty when the real devices are used.
std::string SimulateFolder();

// With simulated devices, notes in audio.log when the capture (and a sound file's playback)
// began, so the lamp logs can be lined up with the sound.
void NoteCaptureStart(std::chrono::steady_clock::time_point programStart);

// With `simulateFolder` empty, the Linux drivers; otherwise simulated devices logging there
// with times counted from `programStart`. `lockStates` tells the keyboard driver the
// keyboard's own lock states when its LEDs are given back. The DMX output's module is looked
// for from `programFolder`, the folder of the running program.
OutputDevices MakeOutputDevices(const std::string& simulateFolder,
                                std::chrono::steady_clock::time_point programStart,
                                LockStateQuery lockStates = {},
                                const std::filesystem::path& programFolder = {});

}  // namespace zeb
