#include "headless/HeadlessHost.h"

#include <filesystem>

#include "audio/CaptureFactory.h"
#include "audio/CaptureWatch.h"
#include "core/SettingsPath.h"
#include "headless/HeadlessStatus.h"
#include "output/DeviceFactory.h"

namespace zeb {

namespace {

// A terminal gets at most ten status lines a second.
constexpr std::chrono::milliseconds kStatusInterval{100};
// A state is logged once it has held this long, so a level hovering at the silence gate does
// not flood the journal.
constexpr std::chrono::seconds kStateSettles{1};

}  // namespace

HeadlessHost::HeadlessHost(std::chrono::steady_clock::time_point programStart,
                           const CommandLine& line, SignalEvents& signalEvents)
    : programStart_(programStart),
      signals_(signalEvents),
      messages_(console_, line.verbose),
      capture_(MakeCaptureBackend()),
      // Without a display server there is nobody to ask for the lock states: the keyboard
      // driver gives back the states the keyboard showed when it was opened.
      devices_(MakeOutputDevices(SimulateFolder(), programStart, {}, ProgramDirectory())),
      schedulerTimer_(loop_.AddTimer(std::chrono::milliseconds::zero(),
                                     [this] { scheduler_.WakeUp(PollLoop::Clock::now()); })),
      captureWatchTimer_(
          loop_.AddTimer(kCaptureWatchInterval, [this] { program_.CaptureWatchTick(); })),
      // Without a window nothing shows the spectrum or the peaks between engine ticks: the
      // thread wakes for the engine (and the keyboard LEDs, while they run).
      scheduler_({.level = [this](CaptureTime step) { program_.LevelTick(step); },
                  .spectrum = [this](CaptureTime step) { program_.SpectrumTick(step); },
                  .engine =
                      [this] {
                          program_.EngineTick();
                          Report();
                      },
                  .keyboard = [this] { program_.KeyboardTick(); },
                  .frame = {}},
                 [this](std::optional<CaptureTime> next) {
                     if (next) {
                         loop_.StartTimerAt(schedulerTimer_, *next);
                     } else {
                         loop_.StopTimer(schedulerTimer_);
                     }
                 }),
      program_(model_, *capture_, devices_, messages_, scheduler_,
               line.config ? *line.config : SettingsFilePath()) {}

int HeadlessHost::Run() {
    const auto& settings = program_.SettingsPath();
    std::error_code error;
    if (!std::filesystem::exists(settings, error)) {
        console_.Line("no settings file " + settings.string() +
                      ": starting with the initial settings (every output off)");
    }
    scheduler_.StartEngine(PollLoop::Clock::now());
    if (program_.StartUp(Program::UnreadableSettings::EndProgram) == Program::Outcome::EndProgram) {
        return 1;  // its message is on stderr already
    }
    NoteCaptureStart(programStart_);
    loop_.StartTimer(captureWatchTimer_);
    // What every activation of the window does, once: there is no window to activate.
    program_.Activate();
    loop_.WatchReadable(signals_.Fd(), [this] { OnSignal(); });
    console_.Line("running with " + settings.string() + "; outputs: " + program_.OutputsInUse());
    const int status = loop_.Run();
    if (!program_.Ended()) {
        program_.Unload();  // the loop itself failed: the lamps still go dark
    }
    console_.EndStatus();
    return status;
}

void HeadlessHost::OnSignal() {
    const auto signal = signals_.Take();
    if (!signal) {
        return;
    }
    program_.Unload();
    console_.EndStatus();
    console_.Line(SignalEvents::EndLine(*signal));
    loop_.Exit(0);
}

void HeadlessHost::Report() {
    const auto now = std::chrono::steady_clock::now();
    if (console_.HasTerminal()) {
        if (now - lastStatus_ >= kStatusInterval) {
            std::string status = StatusLine(model_, program_.OutputsInUse());
            if (status != shownStatus_) {
                lastStatus_ = now;
                shownStatus_ = std::move(status);
                console_.Status(shownStatus_);
            }
        }
        return;
    }
    const std::string state = StateLine(model_, program_.OutputsInUse());
    if (state != newState_) {
        newState_ = state;
        newStateSince_ = now;
    }
    if (newState_ != loggedState_ && now - newStateSince_ >= kStateSettles) {
        loggedState_ = newState_;
        console_.Line(loggedState_);
    }
}

}  // namespace zeb
