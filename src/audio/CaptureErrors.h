#pragma once
// Error codes ErrorGetCode reports. The numbers are fixed: users quote them from the "Error"
// box, and the README lists them.

#include <cstdint>

namespace zeb::capture_error {

constexpr int32_t kNone = 0;
constexpr int32_t kFileOpen = 2;       // the sound file cannot be opened or read
constexpr int32_t kDriver = 3;         // no sound server answers
constexpr int32_t kHandle = 5;         // the capture handle is not the running capture
constexpr int32_t kFormat = 6;         // sample rate or channel count not supported
constexpr int32_t kInit = 8;           // no recording device is open
constexpr int32_t kAlready = 14;       // a recording device is already open
constexpr int32_t kNotAudio = 17;      // the sound file holds no samples
constexpr int32_t kIllegalParam = 20;  // an input number, flag or volume out of range
constexpr int32_t kDevice = 23;        // no recording device with that number
constexpr int32_t kTimeout = 40;       // the sound server did not answer in time
constexpr int32_t kFileFormat = 41;    // the file is not a sound file we can read
constexpr int32_t kBusy = 46;          // the device cannot capture now
constexpr int32_t kUnknown = -1;

}  // namespace zeb::capture_error
