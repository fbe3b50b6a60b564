#pragma once
// A beat the tempo tracker heard: when its samples were captured. Passed from the tracker's thread
// to the program's.

#include <chrono>

namespace zeb {

struct BeatReport {
    std::chrono::steady_clock::time_point beat;
};

}  // namespace zeb
