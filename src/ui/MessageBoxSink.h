#pragma once
// Shows the program's messages as modal message boxes with one OK button.

#include "engine/MessageSink.h"

class QWidget;

namespace zeb {

class MessageBoxSink : public MessageSink {
  public:
    explicit MessageBoxSink(QWidget* parent = nullptr) : parent_(parent) {}
    void SetParent(QWidget* parent) { parent_ = parent; }
    // The box shows `text`, and under it the detail (the file or device, the system's reason).
    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                     const std::string& detail = {}) override;

  private:
    QWidget* parent_;
};

}  // namespace zeb
