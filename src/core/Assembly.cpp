#include "core/Assembly.h"

#include <utility>

#include "audio/CaptureFactory.h"
#include "audio/CaptureWatch.h"
#include "core/SettingsPath.h"
#include "output/DeviceFactory.h"

namespace zeb {

Assembly::Assembly(AssemblyOptions options)
    : programStart_(options.programStart),
      unreadableSettings_(options.unreadableSettings),
      afterEngineTick_(std::move(options.afterEngineTick)),
      messages_(console_, options.line.verbose, options.shownMessages),
      capture_(MakeCaptureBackend()),
      devices_(MakeOutputDevices(SimulateFolder(), options.programStart,
                                 std::move(options.lockStates), ProgramDirectory())),
      scheduler_({.level = [this](CaptureTime step) { program_.LevelTick(step); },
                  .spectrum = [this](CaptureTime step) { program_.SpectrumTick(step); },
                  .engine =
                      [this] {
                          program_.EngineTick();
                          if (afterEngineTick_) {
                              afterEngineTick_();
                          }
                      },
                  .keyboard = [this] { program_.KeyboardTick(); },
                  .frame = std::move(options.frame),
                  .timed = [this](CaptureTime now) { return program_.TimedTick(now); }},
                 std::move(options.armTimer)),
      program_(model_, *capture_, devices_, messages_, scheduler_,
               options.line.config ? *options.line.config : SettingsFilePath(),
               options.whenOladAbsent),
      commands_(model_, program_, std::move(options.endLoop)) {}

Program::Outcome Assembly::StartUp() {
    scheduler_.StartEngine(std::chrono::steady_clock::now());
    const Program::Outcome outcome = program_.StartUp(unreadableSettings_);
    if (outcome == Program::Outcome::Running && !program_.Ended()) {
        NoteCaptureStart(programStart_);
    }
    return outcome;
}

}  // namespace zeb
