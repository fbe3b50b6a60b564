#pragma once
// Whether the window can be shown at all, asked before Qt is started: Qt ends the process
// with an abort when its display platform cannot connect.

#include <optional>
#include <string>

namespace zeb {

// Nothing when a display the window can use is there (or a platform that needs none is
// chosen with QT_QPA_PLATFORM); otherwise what is missing, in one line.
std::optional<std::string> DisplayProblem();

}  // namespace zeb
