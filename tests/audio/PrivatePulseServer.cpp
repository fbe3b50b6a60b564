#include "PrivatePulseServer.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "PrivatePipeWire.h"

namespace zeb::testing {

namespace {

bool InPath(const std::string& program) {
    const char* path = std::getenv("PATH");
    std::stringstream folders(path != nullptr ? path : "/usr/bin:/bin");
    std::string folder;
    while (std::getline(folders, folder, ':')) {
        if (!folder.empty() && access((folder + "/" + program).c_str(), X_OK) == 0) {
            return true;
        }
    }
    return false;
}

std::string ChosenKind() {
    const char* chosen = std::getenv("ZEB_TEST_SOUND_SERVER");
    if (chosen != nullptr && *chosen != '\0') {
        return chosen;
    }
    return InPath("pulseaudio") ? "pulseaudio" : "pipewire";
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

PrivatePulseServer::PrivatePulseServer() : kind_(ChosenKind()) {
    std::string pattern = (std::filesystem::temp_directory_path() / "zeb-pulse.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        problem_ = "cannot make a temporary folder";
        return;
    }
    folder_ = pattern;
    std::filesystem::create_directories(folder_ + "/runtime");
    std::filesystem::permissions(folder_ + "/runtime", std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::replace);
    std::filesystem::create_directories(folder_ + "/state");
    if (kind_ == "pulseaudio") {
        StartPulseAudio();
    } else if (kind_ == "pipewire") {
        processes_ = StartPipeWire(folder_, folder_ + "/native", Environment());
    } else {
        problem_ = "ZEB_TEST_SOUND_SERVER names neither pulseaudio nor pipewire";
        return;
    }
    for (const auto& process : processes_) {
        if (!process->Started()) {
            problem_ = "could not start the sound server's programs";
            return;
        }
    }
    ready_ = WaitUntilServing();
}

PrivatePulseServer::~PrivatePulseServer() {
    Stop();
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

void PrivatePulseServer::StartPulseAudio() {
    // -n: no default script, so only the two modules below load. As root the daemon needs
    // --system=false to stay a per-user server; --disable-shm keeps it off shared memory the
    // sanitizers dislike; anonymous auth spares the cookie.
    processes_.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{
            "pulseaudio", "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
            "--disable-shm=yes", "--use-pid-file=no", "--log-target=stderr", "-L",
            "module-null-sink sink_name=zebtest", "-L",
            "module-native-protocol-unix auth-anonymous=1 socket=" + folder_ + "/native"},
        Environment(), folder_ + "/pulseaudio.log"));
}

bool PrivatePulseServer::WaitUntilServing() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    bool sinkLoaded = kind_ == "pulseaudio";
    while (std::chrono::steady_clock::now() < deadline) {
        if (!sinkLoaded && !Tool({"pactl", "info"}).empty()) {
            // Mono, as the tests' sounds: PipeWire would otherwise spread them over two
            // channels and mix them back at a different level.
            sinkLoaded = !Tool({"pactl", "load-module", "module-null-sink", "sink_name=zebtest",
                                "channels=1", "rate=44100"})
                              .empty();
        }
        // The default sink is set once the session manager has seen the sink.
        if (sinkLoaded && Tool({"pactl", "get-default-sink"}) == "zebtest\n") {
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    problem_ = "the server did not answer with its sink as the default within 15 s";
    return false;
}

void PrivatePulseServer::Stop() {
    while (!processes_.empty()) {
        processes_.pop_back();
    }
}

std::vector<std::string> PrivatePulseServer::Environment() const {
    const char* path = std::getenv("PATH");
    return {"PATH=" + std::string(path != nullptr ? path : "/usr/bin:/bin"),
            "HOME=" + folder_,
            "XDG_RUNTIME_DIR=" + folder_ + "/runtime",
            "XDG_CONFIG_HOME=" + folder_ + "/config",
            "XDG_STATE_HOME=" + folder_ + "/state",
            "PULSE_RUNTIME_PATH=" + folder_ + "/runtime",
            "PULSE_STATE_PATH=" + folder_ + "/state",
            "PULSE_SERVER=" + Address()};
}

std::string PrivatePulseServer::Log() const {
    std::string text = "private " + kind_ + " server in " + folder_ + "\n";
    if (!problem_.empty()) {
        text += problem_ + "\n";
    }
    for (const char* name : {"pulseaudio.log", "pipewire.log", "wireplumber.log"}) {
        if (std::filesystem::exists(folder_ + "/" + name)) {
            text += std::string("--- ") + name + "\n" + ReadFile(folder_ + "/" + name);
        }
    }
    return text;
}

std::string PrivatePulseServer::Tool(std::vector<std::string> argv) const {
    return ChildProcess::Output(argv, Environment());
}

std::unique_ptr<ChildProcess> PrivatePulseServer::StartTool(std::vector<std::string> argv) const {
    return std::make_unique<ChildProcess>(argv, Environment());
}

}  // namespace zeb::testing
