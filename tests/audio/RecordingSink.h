#pragma once
// A message sink that keeps every message it was asked to show.

#include <string>
#include <vector>

#include "engine/MessageSink.h"

namespace zeb::testing {

struct ShownMessage {
    std::string text;
    std::string title;
    MessageIcon icon;
    std::string detail;
};

class RecordingSink : public MessageSink {
  public:
    std::vector<ShownMessage> shown;
    std::vector<std::string> events;
    std::vector<std::string> notices;
    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                     const std::string& detail = {}) override {
        shown.push_back({text, title, icon, detail});
    }
    void LogEvent(const std::string& event) override { events.push_back(event); }
    void Notice(const std::string& line) override { notices.push_back(line); }
};

}  // namespace zeb::testing
