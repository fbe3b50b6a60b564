#pragma once
// The program's periodic work runs on timers of the one event-loop thread; the program core
// switches them on and off at fixed points of its sequences, the host owns the timers.

namespace zeb {

class ProgramTimers {
  public:
    virtual ~ProgramTimers() = default;
    virtual void StartSpectrumTimer() = 0;  // spectrum refresh, every 10 ms
    virtual void StopSpectrumTimer() = 0;
    virtual void StartLevelTimer() = 0;     // peak hold of the input level, every 10 ms
    virtual void StartKeyboardTimer() = 0;  // keyboard LEDs, every 10 ms
    virtual void StopKeyboardTimer() = 0;
};

}  // namespace zeb
