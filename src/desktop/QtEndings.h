#pragma once
// Qt ends the process by itself when the display connection breaks (X11, Wayland) and on a
// fatal error; some of those ends skip the exit handlers. Its message is the last moment the
// program gets, so the lamps are darkened there.

namespace zeb {

// Routes Qt's messages through a handler that prints them as before and, for those that end
// the process, runs the armed dark path (ExitGuard) before Qt goes on to end it.
void DarkenBeforeQtEnds();

}  // namespace zeb
