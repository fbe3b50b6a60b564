#pragma once
// The outputs of a run, built from its devices and the settings they read. The one place that
// lists every kind of output: adding one means its folder, a line here and its settings keys.

#include <string>

#include "engine/MessageSink.h"
#include "engine/ModelValues.h"
#include "output/Devices.h"
#include "output/OutputSelection.h"
#include "output/OutputStage.h"
#include "output/dmx/DmxOutput.h"
#include "output/dmx/DmxSettings.h"
#include "output/keyboard/KeyboardOutput.h"

namespace zeb {

// The parts of the program's model the outputs read (and, for DMX, show their state in).
struct OutputSettings {
    const OutputSelection& selection;
    const ChoiceList& addressBox;  // the parallel-port address list
    const ChoiceList& portBox;     // the serial port list
    DmxSettings& dmx;
    // Where the serial output says why its port went away, while it is away; none: not shown.
    std::string* serialPortLost = nullptr;
};

struct Outputs {
    OutputStage stage;
    // The outputs the program starts and stops itself when their switches change.
    KeyboardOutput& keyboard;
    DmxOutput& dmx;
};

// Every output whose device the run has, in the order of the frames: FTDI byte, parallel data
// byte and control nibble, serial sequence, keyboard LEDs, DMX frame.
Outputs MakeOutputs(OutputDevices& devices, const OutputSettings& settings, MessageSink& messages);

}  // namespace zeb
