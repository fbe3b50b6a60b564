#include "headless/HeadlessHost.h"

#include <unistd.h>

#include <filesystem>

#include "audio/CaptureWatch.h"
#include "headless/HeadlessStatus.h"
#include "web/QrText.h"

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
    : signals_(signalEvents),
      line_(line),
      schedulerTimer_(
          loop_.AddTimer(std::chrono::milliseconds::zero(),
                         [this] { parts_.PeriodicJobs().WakeUp(PollLoop::Clock::now()); })),
      captureWatchTimer_(
          loop_.AddTimer(kCaptureWatchInterval, [this] { parts_.Core().CaptureWatchTick(); })),
      // The service could not show what it would drive from an unreadable settings file: it
      // reports it and ends. Without a display there is nobody to ask for the lock states.
      // Without a window nothing shows the spectrum or the peaks between engine ticks: the
      // thread wakes for the engine (and the keyboard LEDs, while they run). A service started
      // at boot often comes up before olad: its DMX output waits for it.
      parts_({.programStart = programStart,
              .line = line,
              .unreadableSettings = Program::UnreadableSettings::EndProgram,
              .whenOladAbsent = DmxOutput::WhenOladAbsent::KeepTrying,
              .shownMessages = &webMessages_,
              .lockStates = {},
              .armTimer =
                  [this](std::optional<CaptureTime> next) {
                      if (next) {
                          loop_.StartTimerAt(schedulerTimer_, *next);
                      } else {
                          loop_.StopTimer(schedulerTimer_);
                      }
                  },
              .afterEngineTick =
                  [this] {
                      if (web_) {
                          web_->AfterEngineTick();
                      }
                      Report();
                  },
              .frame = {},
              .endLoop = [this](int status) { loop_.Exit(status); }}),
      console_(parts_.ConsoleLines()),
      exitGuard_([this] { EndedFromOutside(); }) {}

int HeadlessHost::Run() {
    Program& program = parts_.Core();
    const auto& settings = program.SettingsPath();
    std::error_code error;
    if (!std::filesystem::exists(settings, error)) {
        console_.Line("no settings file " + settings.string() +
                      ": starting with the initial settings (every output off)");
    }
    if (parts_.StartUp() == Program::Outcome::EndProgram) {
        return 1;  // its message is on stderr already
    }
    loop_.StartTimer(captureWatchTimer_);
    // What every activation of the window does, once: there is no window to activate.
    program.Activate();
    loop_.WatchReadable(signals_.Fd(), [this] { OnSignal(); });
    StartWebPage(line_);
    console_.Line("running with " + settings.string() + "; outputs: " + program.OutputsInUse());
    const int status = loop_.Run();
    if (!program.Ended()) {
        program.Unload();  // the loop itself failed: the lamps still go dark
    }
    console_.EndStatus();
    return status;
}

void HeadlessHost::StartWebPage(const CommandLine& line) {
    web_ =
        WebControl::Start({.model = parts_.Model(),
                           .actions = parts_.Actions(),
                           .program = parts_.Core(),
                           .console = console_,
                           .messages = webMessages_},
                          ChosenWebSettings(line, parts_.Core().SettingsPath()), line.webNewToken);
    if (!web_) {
        return;
    }
    loop_.WatchReadable(web_->Fd(), [this] { web_->Serve(); });
    // A phone's camera takes the address from the terminal.
    if (::isatty(STDERR_FILENO) == 1) {
        std::string code;
        for (const std::string& row : QrTextLines(web_->Address())) {
            code += row + "\n";
        }
        [[maybe_unused]] const ssize_t ignored = ::write(STDERR_FILENO, code.data(), code.size());
    }
}

void HeadlessHost::OnSignal() {
    const auto signal = signals_.Take();
    if (!signal) {
        return;
    }
    parts_.Core().Unload();
    console_.EndStatus();
    console_.Line(SignalEvents::EndLine(*signal));
    loop_.Exit(0);
}

void HeadlessHost::EndedFromOutside() {
    Program& program = parts_.Core();
    if (program.Ended()) {
        return;
    }
    program.Unload();
    console_.EndStatus();
    console_.Line(kEndedFromOutsideLine);
}

void HeadlessHost::Report() {
    const auto now = std::chrono::steady_clock::now();
    if (console_.HasTerminal()) {
        if (now - lastStatus_ >= kStatusInterval) {
            std::string status = StatusLine(parts_.Model(), parts_.Core().OutputsInUse());
            if (status != shownStatus_) {
                lastStatus_ = now;
                shownStatus_ = std::move(status);
                console_.Status(shownStatus_);
            }
        }
        return;
    }
    const std::string state = StateLine(parts_.Model(), parts_.Core().OutputsInUse());
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
