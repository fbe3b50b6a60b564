#pragma once
// What the user asks of the main window itself, which its host carries out: hiding it to the
// notification area, and its activation and closing. Everything asked of the program goes
// through ProgramActions.

namespace zeb {

class MainWindowActions {
  public:
    virtual ~MainWindowActions() = default;

    // The hide-to-tray button (and the show key while the window is active).
    virtual void HideClicked() = 0;
    virtual void WindowActivated() = 0;
    // The window was closed other than through the save-and-exit button (by the desktop, say).
    virtual void WindowClosed() = 0;
};

}  // namespace zeb
