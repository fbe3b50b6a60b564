#pragma once
// The output toggles of the main window: each caption press flips its output on or off and
// recolours the captions (blue = on, grey = off). The four serial/USB outputs exclude each
// other; the parallel port and the keyboard LEDs are independent of them.

#include "output/Devices.h"
#include "output/OutputSelection.h"

namespace zeb {

// "LPT". Switching on also initialises port access; false only when that failed, and the
// caller then shows the parallel-port message and switches the output off again.
bool ToggleLpt(OutputSelection& selection, ToggleColours& colours, PortIo& port);

// "COM", "USB FTDI ", "USB-D 3 ", "USB-D 8": select the serial/USB mode (greying the other
// three captions) or, when it is already selected, switch it off. Nothing is opened or closed.
void ToggleCom(OutputSelection& selection, ToggleColours& colours);
void ToggleFtdi(OutputSelection& selection, ToggleColours& colours);
void ToggleUsb3(OutputSelection& selection, ToggleColours& colours);
void ToggleUsb8(OutputSelection& selection, ToggleColours& colours);

// "KEYBOARD": flips the switch; the caller starts or stops the keyboard-LED output as told.
enum class KeyboardAction { Start, Stop };
KeyboardAction ToggleKeyboard(OutputSelection& selection, ToggleColours& colours);

}  // namespace zeb
