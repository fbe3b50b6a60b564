#pragma once
// Everything a user can ask of the running program through any of its views (the window, a
// web page): the one route from a view into the program. A view calls these on the program's
// thread and afterwards shows the model again; it never writes the model itself.

#include <cstdint>
#include <string>

#include "engine/LampColour.h"

namespace zeb {

// The captions that switch an output or the automatic mode.
enum class Toggle { Lpt, Com, Ftdi, Keyboard, Usb3, Usb8, Auto, Dmx };

// The band captions' step above the highest band: the channel follows the beat.
constexpr int kBeatStep = 32;

class ProgramActions {
  public:
    virtual ~ProgramActions() = default;

    // Switches an output (or AUTO) on when it is off and off when it is on; COM, FTDI, USB3
    // and USB8 share one output, so switching one on switches the others off. An output that
    // cannot be opened says why and stays off.
    virtual void PressToggle(Toggle toggle) = 0;
    // The pointer is over a toggle's caption (blue) or has left it (grey). The colours (but
    // DMX's) are saved with the settings; a view leaves a switched-on toggle blue.
    virtual void ShowToggleHovered(Toggle toggle, bool hovered) = 0;

    // Saves the settings and runs on. False when the save failed; its message has been shown.
    virtual bool Save() = 0;
    // Saves, then every lamp dark and every device let go, and the program ends. When the save
    // fails its message is shown and the program runs on untouched, for another try.
    virtual void SaveAndExit() = 0;

    // Entries of the capture device list and of the device's input list. A device that
    // cannot capture ends the program, lamps dark.
    virtual void SelectCaptureDevice(int32_t index) = 0;
    virtual void SelectCaptureInput(int32_t index) = 0;
    // The input volume slider set to `level`: stored, and given to the sound source at the
    // next activation.
    virtual void SetInputLevel(int32_t level) = 0;
    // The input volume slider dragged to `level`: stored and given to the source at once.
    virtual void DragInputLevel(int32_t level) = 0;
    // The spectrum's gain slider.
    virtual void SetSpectrumGain(int32_t gain) = 0;

    // Channel `channel` (0..11): its threshold slider, and the band (0..31) its caption
    // names, stepped by whole wheel notches or set; both held within 0..31. One step above 31
    // (kBeatStep) the channel follows the beat ("B"); its caption keeps the band it had.
    virtual void SetThreshold(int channel, int32_t threshold) = 0;
    virtual void StepBand(int channel, int notches) = 0;
    virtual void SetBand(int channel, int band) = 0;

    // A tap on the tempo readout (a click, or Space on it): four taps set the tempo. The
    // tempo tracker runs from the first tap on.
    virtual void TapTempo() = 0;
    // The output delay as typed, in ms: a number 0..1000 replaces the value; anything else is
    // refused (false) and the value stays.
    virtual bool SetOutputDelay(const std::string& typed) = 0;

    // The SPEED AUTO list's entry.
    virtual void SelectSpeed(int32_t index) = 0;

    // The parallel-port address list: an entry chosen; a non-empty text appended and selected
    // (false when empty); the selected entry removed while the list shows a text (false when
    // nothing was removed); the list left (the keyboard focus went elsewhere): the port is
    // checked and the shown address becomes the one written.
    virtual void SelectLptAddress(int32_t index) = 0;
    virtual bool AddLptAddress(const std::string& address) = 0;
    virtual bool DeleteLptAddress() = 0;
    virtual void LptAddressListLeft() = 0;

    // The serial port box: an entry chosen, or a name typed.
    virtual void SelectSerialPort(int32_t index) = 0;
    virtual void TypeSerialPort(const std::string& name) = 0;

    // The DMX universe and start address as typed: a number within range replaces the value;
    // anything else is refused (false) and the value stays.
    virtual bool SetDmxUniverse(const std::string& typed) = 0;
    virtual bool SetDmxAddress(const std::string& typed) = 0;
    // The DMX layout list's entry (kDmxLayoutNames); the next frame darkens the old slots.
    virtual void SelectDmxLayout(int32_t index) = 0;
    // Channel `channel` (0..11) lights in `colour` on the colour lamps and its lamp circle.
    virtual void SetChannelColour(int channel, LampColour colour) = 0;

    // "SET": the exact expanded width collapses; any other width expands.
    virtual void ToggleWidth() = 0;
};

}  // namespace zeb
