#pragma once
// Opening the FTDI chip at every activation of the main window, and switching it off at exit.

#include "output/Devices.h"

namespace zeb {

inline constexpr uint8_t kFtdiAllPinsOutput = 0xFF;
inline constexpr uint8_t kFtdiBitBangMode = 1;
inline constexpr int kFtdiBaudRate = 57600;

// Opens the first chip, then sets all pins as outputs in bit-bang mode, then the baud rate;
// stops at the first failure, silently. True when the chip is open in bit-bang mode.
bool ftdiinit(FtdiDevice& device);

// All pins low (every lamp off), then close; errors ignored.
void FtdiShutdown(FtdiDevice& device);

}  // namespace zeb
