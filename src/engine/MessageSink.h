#pragma once
// Where the program's message boxes go. The window shows them as modal boxes with one OK
// button; tests record them. Device and capture events (opened, lost, reopened) go here too,
// for whoever wants a log of them.

#include <string>

namespace zeb {

enum class MessageIcon { None, Warning, Critical };

class MessageSink {
  public:
    virtual ~MessageSink() = default;
    // Shows the message and returns when the user has closed it.
    virtual void ShowMessage(const std::string& text, const std::string& title,
                             MessageIcon icon) = 0;
    // One line about a device or capture event ("capture lost: ..."); no message box. Ignored
    // unless the front end keeps a log.
    virtual void LogEvent(const std::string& /*event*/) {}
};

}  // namespace zeb
