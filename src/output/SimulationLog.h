#pragma once
// One log file of a simulated device: each operation appends "<ms> <event>", where ms is the
// whole milliseconds since program start, and is flushed at once so that a reader (a person,
// an end-to-end test) sees it immediately.

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string_view>

namespace zeb {

// Milliseconds since program start.
using MillisecondClock = std::function<int64_t()>;

MillisecondClock MillisecondsSince(std::chrono::steady_clock::time_point start);

class SimulationLog {
  public:
    // Creates the folder when missing; lines are lost silently when the file cannot be opened.
    SimulationLog(const std::filesystem::path& file, MillisecondClock clock);

    void Line(std::string_view event);

  private:
    MillisecondClock clock_;
    std::ofstream out_;
};

}  // namespace zeb
