#pragma once
// What the user asks of the program through the main window and the program itself must carry
// out: output toggles, the automatic mode, the capture device and input, the input volume,
// saving and leaving. The window calls these and afterwards shows the model again; list
// choices and slider values that only need storing go straight into the model instead.

namespace zeb {

class MainWindowActions {
  public:
    virtual ~MainWindowActions() = default;

    // Presses (any button) on "LPT" and "AUTO"; full left clicks on the other toggles.
    virtual void LptPressed() = 0;
    virtual void ComClicked() = 0;
    virtual void FtdiClicked() = 0;
    virtual void KeyboardClicked() = 0;
    virtual void Usb3Clicked() = 0;
    virtual void Usb8Clicked() = 0;
    virtual void DmxClicked() = 0;
    virtual void AutoPressed() = 0;

    // The save-and-exit button and the hide-to-tray button.
    virtual void ExitClicked() = 0;
    virtual void HideClicked() = 0;

    // The user picked an entry of the capture device list or of the input list; the model's
    // selection is already updated.
    virtual void DeviceSelected(int index) = 0;
    virtual void InputSelected(int index) = 0;
    // The input volume slider was dragged; its value is already in the model.
    virtual void InputLevelMoved() = 0;
    // The parallel-port address list lost the keyboard focus.
    virtual void AddressBoxFocusLost() = 0;

    virtual void WindowActivated() = 0;
    // The window was closed other than through the save-and-exit button (by the desktop, say).
    virtual void WindowClosed() = 0;
};

}  // namespace zeb
