#pragma once
// The settings file set.ini: read once at start-up, written once by the save-and-exit button.

#include <string>

#include "core/ProgramModel.h"

namespace zeb {

// Applies the file's settings to the model, each independently: a number that is missing,
// malformed, out of range or refused leaves its value as it was; a missing text becomes
// NulString. The stored capture-device position goes to storedDeviceIndex for start-up to
// select once the devices are listed. Returns whether the file stored an input volume the
// slider took: only then may start-up change the source's volume. Throws std::system_error
// when the file exists but cannot be read.
bool LoadSettings(ProgramModel& model, const std::string& path);

// Writes the model's settings into the file, keeping every section and key it does not set
// where it is. Leaves the last address-list entry selected (each is selected in turn to take
// its text), except when the write fails: then the user's entry is selected again. Throws
// std::system_error when the file cannot be read or written.
void SaveSettings(ProgramModel& model, const std::string& path);

}  // namespace zeb
