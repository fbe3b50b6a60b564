#include "output/SimulationLog.h"

namespace zeb {

MillisecondClock MillisecondsSince(std::chrono::steady_clock::time_point start) {
    return [start] {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start)
            .count();
    };
}

SimulationLog::SimulationLog(const std::filesystem::path& file, MillisecondClock clock)
    : clock_(std::move(clock)) {
    std::error_code error;
    std::filesystem::create_directories(file.parent_path(), error);
    out_.open(file, std::ios::app);
}

void SimulationLog::Line(std::string_view event) {
    out_ << clock_() << ' ' << event << '\n';
    out_.flush();
}

}  // namespace zeb
