#pragma once
// What the panel's own controls tell assistive technology (a screen reader such as Orca) through
// Qt's accessibility interfaces: role, name, value and state, and the actions that work them.
//
// - Slider: a slider with its value, Min and Max; setting the value or the increase and
//   decrease actions act as the keys do (a drag to the new value).
// - PanelLabel by role: a switch is a checkable button with its on/off state, a button a
//   button, a spin a spin box with its number and range, an indicator an indicator, anything
//   else static text. A label's name is its accessible name or, without one, its caption, so a
//   new switch is read by its caption with nothing more to do.
// - ShapeWidget: a lamp is an indicator, checked while lit; a meter segment is left out (its
//   column's MeterReading is an indicator whose value is the number of lit segments).
// - SpectrumView: an image, described by its accessible description.
//
// Value and state changes are announced by the controls themselves.

namespace zeb {

// Makes Qt ask these interfaces for the panel's controls; calling it again changes nothing.
void InstallAccessibility();

}  // namespace zeb
