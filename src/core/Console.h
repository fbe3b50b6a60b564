#pragma once
// The program's lines on the terminal or in the journal: one line on stderr for every message
// the window shows as a box (with the detail the box leaves out), device and capture events
// when asked to be verbose, and for the headless service on a terminal one live status line
// that the other lines pass above.

#include <string>

#include "engine/MessageSink.h"

namespace zeb {

class Console {
  public:
    // Lines go to `errorFd`; the live status line to `errorFd` when that is a terminal, else to
    // `outputFd` when that is one, else nowhere.
    explicit Console(int errorFd = 2, int outputFd = 1);

    // "zeb: <text>" on a line of its own.
    void Line(const std::string& text);
    // Whether a live status line can be shown.
    bool HasTerminal() const { return statusFd_ >= 0; }
    // Rewrites the live status line (nothing without a terminal).
    void Status(const std::string& text);
    // Ends the live status line, so what follows starts on a fresh line.
    void EndStatus();

  private:
    int errorFd_;
    int statusFd_ = -1;
    bool statusShown_ = false;
    std::string status_;
};

// A message as one log line: the box's lines joined ("text; error code: 2"), then the detail
// in parentheses.
std::string MessageLine(const std::string& text, const std::string& detail);

// Messages as lines on the console, and on to the window's boxes when there is a window.
class ConsoleMessages : public MessageSink {
  public:
    // `boxes` may be null (no window). Events are written only when `verbose`.
    ConsoleMessages(Console& console, bool verbose, MessageSink* boxes = nullptr);
    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                     const std::string& detail = {}) override;
    void LogEvent(const std::string& event) override;
    void Notice(const std::string& line) override;

  private:
    Console& console_;
    bool verbose_;
    MessageSink* boxes_;
};

}  // namespace zeb
