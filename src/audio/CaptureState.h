#pragma once
// The capture the program runs and the two lists the user picks it with.

#include <cstdint>
#include <string>
#include <vector>

#include "audio/CaptureBackend.h"
#include "engine/ModelValues.h"

namespace zeb {

struct CaptureState {
    ChoiceList devices;  // Combo3: recording devices, position n = device n
    // The sound system's own name of each listed device ("" where the back end has none).
    std::vector<std::string> deviceKeys;
    ChoiceList inputs;          // cmbInput: inputs of the device current when the list was built
    int32_t CurrentInput = -1;  // -1 = the device's master input
    CaptureHandle RecordHandle = 0;
    // The sound system's name of the device the capture follows: before start-up the one the
    // settings remembered, then the selected one. It is kept while that device is away.
    std::string source;
    // The capture ended because its device or the sound server went away; it is taken up again
    // on `source` once that is back.
    bool lost = false;
};

}  // namespace zeb
