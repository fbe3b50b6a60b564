#pragma once
// The main window's behaviour that needs no display: hover colours, the band labels'
// highlights and the marker, and band editing with the wheel. The window calls these from its
// pointer and wheel handlers and then shows the model and the window state; what changes the
// model goes through the program's actions.

#include <cstdint>
#include <optional>
#include <string>

#include "core/ProgramActions.h"
#include "core/ProgramModel.h"
#include "ui/logic/WindowState.h"

namespace zeb {

// The captions that light up under the pointer.
enum class Caption { Lpt, Com, UsbFtdi, Keyboard, UsbD3, UsbD8, Set, Auto, Add, Del, Dmx };

// Window width in pixels for a width in twips (15 per pixel, rounded to nearest).
int TwipsToPixels(float twips);

class WindowLogic {
  public:
    WindowLogic(const ProgramModel& model, WindowState& state, ProgramActions& actions)
        : model_(model), state_(state), actions_(actions) {}

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

  private:
    // The caption shown blue (hovered) or grey.
    void ShowHovered(Caption caption, bool hovered);
    void PlaceMarker();

    const ProgramModel& model_;
    WindowState& state_;
    ProgramActions& actions_;
};

}  // namespace zeb
