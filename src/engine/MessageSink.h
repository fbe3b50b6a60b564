#pragma once
// Where the program's message boxes go. The window shows them as modal boxes with one OK
// button and writes each as a line to stderr; the headless service writes the line only;
// tests record them. Device and capture events (opened, lost, reopened) go here too, for
// whoever wants a log of them.

#include <string>

namespace zeb {

enum class MessageIcon { None, Warning, Critical };

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows the message and returns when the user has closed it. `detail` is what a person
    // needs to act on it that the message itself does not say (the file path, the device or
    // port, the system's reason); the log line adds it, and a box shows it under the message,
    // which keeps its exact text.
    virtual void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                             const std::string& detail = {}) = 0;
    // One line about a device or capture event ("capture lost: ..."); no message box. Ignored
    // unless the front end keeps a log.
    virtual void LogEvent(const std::string& /*event*/) {}
    // One line that every front end writes to its log, verbose or not, and no box: a fault of
    // a running device that its own state shows in the window as well (a port pulled out).
    virtual void Notice(const std::string& /*line*/) {}
};

}  // namespace zeb
