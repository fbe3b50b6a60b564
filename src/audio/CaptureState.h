#pragma once
// The capture the program runs and the two lists the user picks it with.

#include <cstdint>

#include "audio/CaptureBackend.h"
#include "engine/ModelValues.h"

namespace zeb {

struct CaptureState {
    ChoiceList devices;         // Combo3: recording devices, position n = device n
    ChoiceList inputs;          // cmbInput: inputs of the device current when the list was built
    int32_t CurrentInput = -1;  // -1 = the device's master input
    CaptureHandle RecordHandle = 0;
};

}  // namespace zeb
