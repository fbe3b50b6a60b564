#include "web/WebMessages.h"

namespace zeb {

void WebMessages::ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                              const std::string& detail) {
    recent_.push_back({++count_, text, title, detail});
    if (recent_.size() > kKept) {
        recent_.pop_front();
    }
    if (next_ != nullptr) {
        next_->ShowMessage(text, title, icon, detail);
    }
}

void WebMessages::LogEvent(const std::string& event) {
    if (next_ != nullptr) {
        next_->LogEvent(event);
    }
}

}  // namespace zeb
