#pragma once
// Rounding the slider arithmetic relies on.

#include <cmath>

namespace zeb {

// Nearest integer, halves to the even neighbour.
inline int RoundHalfEven(double x) {
    return static_cast<int>(std::nearbyint(x));
}

// Rounded, then halved with truncation toward zero.
inline int Halved(double x) {
    return RoundHalfEven(x) / 2;
}

}  // namespace zeb
