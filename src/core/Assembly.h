#pragma once
// The program's parts built once, alike for either front end: the model, the capture, the
// output devices, the console and its message sink, the scheduler of periodic jobs, `Program`
// and the actions every view calls. A front end passes its policy as options and composes
// only its loop and its view around the assembly.

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>

#include "audio/CaptureBackend.h"
#include "core/CommandLine.h"
#include "core/Console.h"
#include "core/Program.h"
#include "core/ProgramCommands.h"
#include "core/ProgramModel.h"
#include "core/Scheduler.h"
#include "engine/MessageSink.h"
#include "output/Devices.h"

namespace zeb {

struct AssemblyOptions {
    std::chrono::steady_clock::time_point programStart;
    const CommandLine& line;
    // What start-up does with a settings file that is there but cannot be read.
    Program::UnreadableSettings unreadableSettings = Program::UnreadableSettings::StartFresh;
    // What starting the DMX output does when no olad answers.
    DmxOutput::WhenOladAbsent whenOladAbsent = DmxOutput::WhenOladAbsent::SwitchOff;
    // Where messages are shown besides the log lines on stderr (the window's boxes); none
    // without a window.
    MessageSink* shownMessages = nullptr;
    // Asks the display for the keyboard's lock states; none without one (the keyboard driver
    // then gives back the states the keyboard showed when it was opened).
    LockStateQuery lockStates;
    // The loop: arms its timer for the scheduler's next wake-up (none: stop it); it calls
    // Scheduler::WakeUp when the timer fires.
    Scheduler::WakeAt armTimer;
    // Runs after each engine tick (may be empty).
    std::function<void()> afterEngineTick;
    // The view's frame (empty without a view: no frames are scheduled).
    std::function<void()> frame;
    // Leaves the loop with an exit status when an action has ended the program.
    ProgramCommands::EndLoop endLoop;
};

class Assembly {
  public:
    explicit Assembly(AssemblyOptions options);

    // The engine ticks from now on, then the program starts up (its ticks run whenever the
    // loop does, also behind a message of the start-up); the capture's start is noted unless
    // the program ended meanwhile.
    Program::Outcome StartUp();

    ProgramModel& Model() { return model_; }
    Console& ConsoleLines() { return console_; }
    Scheduler& PeriodicJobs() { return scheduler_; }
    Program& Core() { return program_; }
    ProgramActions& Actions() { return commands_; }

  private:
    std::chrono::steady_clock::time_point programStart_;
    Program::UnreadableSettings unreadableSettings_;
    std::function<void()> afterEngineTick_;
    Console console_;
    ConsoleMessages messages_;
    ProgramModel model_;
    std::unique_ptr<CaptureBackend> capture_;
    OutputDevices devices_;
    Scheduler scheduler_;
    Program program_;
    ProgramCommands commands_;
};

}  // namespace zeb
