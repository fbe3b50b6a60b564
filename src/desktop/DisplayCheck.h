#pragma once
// Whether the window can be shown at all, asked before Qt is started: Qt ends the process
// with an abort when its display platform cannot connect.

#include <memory>
#include <optional>
#include <string>

namespace zeb {

class DisplayCheck {
  public:
    // Looks for a display the window can use (or a platform that needs none, chosen with
    // QT_QPA_PLATFORM).
    DisplayCheck();
    ~DisplayCheck();
    DisplayCheck(const DisplayCheck&) = delete;
    DisplayCheck& operator=(const DisplayCheck&) = delete;

    // Nothing when the window can be shown; otherwise what is missing, in one line.
    const std::optional<std::string>& Problem() const { return problem_; }

  private:
    // The X connection the check made, kept until the object goes, which should be after Qt
    // has connected: an X server whose last client leaves resets (Xvfb does unless told not
    // to), and Qt connecting during that reset aborts.
    struct HeldConnection;
    std::unique_ptr<HeldConnection> held_;
    std::optional<std::string> problem_;
};

}  // namespace zeb
