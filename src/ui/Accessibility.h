#pragma once
// What the panel's own controls tell assistive technology (a screen reader such as Orca) through
// Qt's accessibility interfaces: role, name, value and state, and the actions that work them.
//
// - The main window: a frame. Its children are its controls and then the parts it paints
//   itself (PanelLights): lamps and channel indicators as check boxes that cannot be changed,
//   checked while lit, focused while the lamp row (LampRow) has the keyboard on them; the
//   row itself is no child of its own, its lamps stand for it; the level meters (lit segments) and
//   the automatic thresholds as bars.
// - Slider: a slider with its value, Min and Max; setting the value or the increase and
//   decrease actions act as the keys do (a drag to the new value).
// - PanelLabel by role: a switch is a check box with its on/off state (the toolkit's bridge
//   knows no toggle button), a button a button, a spin a spin box with its number and range,
//   anything else static text. A label's name is its accessible name or, without one, its
//   caption, so a new switch is read by its caption with nothing more to do. A label with a
//   buddy is the label of that control.
// - SpectrumView: an image, described by its accessible description.
//
// Value and state changes are announced by the controls themselves, and the painted parts'
// by the window (AnnouncePanelLights).

#include <vector>

#include "ui/PanelLights.h"

namespace zeb {

class MainWindow;

// Makes Qt ask these interfaces for the panel's controls; calling it again changes nothing.
void InstallAccessibility();

// Tells assistive technology that channel `channel`'s lamp holds the keyboard focus.
void AnnounceLampFocus(MainWindow& window, int channel);

// Tells assistive technology that these painted parts of `window` changed.
void AnnouncePanelLights(MainWindow& window, const std::vector<PanelLight>& changed);

}  // namespace zeb
