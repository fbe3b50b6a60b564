#pragma once
// Every message the window would show, kept for the page as well: a message sink that records
// each message (numbered, the newest few) and hands it on to the window's boxes, if any.

#include <cstdint>
#include <deque>
#include <string>

#include "engine/MessageSink.h"

namespace zeb {

struct WebMessage {
    uint64_t number = 0;  // counts from 1 over the program's run
    std::string text;
    std::string title;
    std::string detail;
};

class WebMessages : public MessageSink {
  public:
    // `next` may be null (no window).
    explicit WebMessages(MessageSink* next = nullptr) : next_(next) {}
    void SetNext(MessageSink* next) { next_ = next; }

    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                     const std::string& detail = {}) override;
    void LogEvent(const std::string& event) override;

    // The newest messages, oldest first; a page shows those numbered above what it has seen.
    const std::deque<WebMessage>& Recent() const { return recent_; }

  private:
    static constexpr size_t kKept = 8;
    MessageSink* next_;
    std::deque<WebMessage> recent_;
    uint64_t count_ = 0;
};

}  // namespace zeb
