#pragma once
// The main window's behaviour that needs no display: hover colours, band editing with the
// wheel, the expand/collapse width rule and the address list buttons. The window calls these
// from its pointer and wheel handlers and then shows the model and the window state.

#include <cstdint>
#include <optional>
#include <string>

#include "core/ProgramModel.h"
#include "ui/logic/WindowState.h"

namespace zeb {

// The captions that light up under the pointer.
enum class Caption { Lpt, Com, UsbFtdi, Keyboard, UsbD3, UsbD8, Set, Auto, Add, Del, Dmx };

// Window width in pixels for a width in twips (15 per pixel, rounded to nearest).
int TwipsToPixels(float twips);

class WindowLogic {
  public:
    WindowLogic(ProgramModel& model, WindowState& state) : model_(model), state_(state) {}

    Colour CaptionColour(Caption caption) const;
    // Whether a caption's switch is on: an output or mode selected, or for "SET" the settings
    // column shown. None for the captions that switch nothing ("ADD", "DEL").
    std::optional<bool> SwitchState(Caption caption) const;

    // The pointer moved over an action caption: it turns blue.
    void HoverCaption(Caption caption);
    // The pointer moved over the background. The window gives the keyboard focus to its focus
    // sink first; this hides the marker and turns every caption back to idle except the
    // toggles that are switched on.
    void ResetHover();
    // The pointer moved over band label `channel`: highlight it and show the marker under its
    // band. Other labels keep their colours.
    void HoverBandLabel(int channel);
    // Band label `channel` is no longer highlighted; the marker goes once no label is.
    void UnhighlightBandLabel(int channel);

    // A wheel event with its signed delta (120 per notch): whole notches go to
    // AdjustHoveredBand, the rest waits for the next event.
    void Wheel(int16_t delta);
    // Moves the band of every highlighted label by `notches`, within 0..31, and places the
    // marker under the band of the label hovered last.
    void AdjustHoveredBand(int16_t notches);
    // Moves the band of label `channel` alone by `steps`, within 0..31 (keys and assistive
    // technology on that label), and places the marker again.
    void StepBand(int channel, int steps);

    // "SET": 9650 twips exactly collapses to 6655; any other width expands to 9650.
    void ToggleWidth();
    // "ADD": a non-empty entry box text is appended to the address list and selected.
    // False when there was nothing to add.
    bool AddAddress();
    // "DEL": while the address list shows a text, its selected entry is removed. False when
    // nothing was removed.
    bool DeleteAddress();
    // The DMX universe and start address typed into their entry boxes: a number within range
    // replaces the value; anything else is refused (false) and the value stays.
    bool EnterDmxUniverse(const std::string& text);
    bool EnterDmxAddress(const std::string& text);

  private:
    Colour& CaptionColourRef(Caption caption);
    void PlaceMarker();

    ProgramModel& model_;
    WindowState& state_;
};

}  // namespace zeb
