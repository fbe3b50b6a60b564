#include "PrivatePulseServer.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

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

void WriteFile(const std::filesystem::path& path, const std::string& text) {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << text;
}

// Only what a PulseAudio client needs: the native protocol for WirePlumber, the node
// factories, a dummy driver to clock a graph without sound cards, and the PulseAudio service.
std::string DaemonConfig(const std::string& pulseSocket) {
    return "context.properties = { core.daemon = true  core.name = pipewire-0 }\n"
           "context.spa-libs = {\n"
           "    audio.convert.* = audioconvert/libspa-audioconvert\n"
           "    support.* = support/libspa-support\n"
           "}\n"
           "context.modules = [\n"
           "    { name = libpipewire-module-protocol-native }\n"
           "    { name = libpipewire-module-metadata }\n"
           "    { name = libpipewire-module-spa-node-factory }\n"
           "    { name = libpipewire-module-client-node }\n"
           "    { name = libpipewire-module-client-device }\n"
           "    { name = libpipewire-module-access }\n"
           "    { name = libpipewire-module-adapter }\n"
           "    { name = libpipewire-module-link-factory }\n"
           "    { name = libpipewire-module-session-manager }\n"
           "    { name = libpipewire-module-protocol-pulse\n"
           "      args = { server.address = [ \"unix:" +
           pulseSocket +
           "\" ] } }\n"
           "]\n"
           "context.objects = [\n"
           "    { factory = spa-node-factory\n"
           "      args = { factory.name = support.node.driver  node.name = Dummy-Driver\n"
           "               node.group = pipewire.dummy  priority.driver = 20000 } }\n"
           "]\n";
}

// WirePlumber leaves the machine's sound cards, Bluetooth and cameras alone: the only device is
// the null sink the fixture makes. For WirePlumber 0.4 (Lua fragments, run in name order
// between the defaults and the 90-enable files) and 0.5 (profile features). No D-Bus session
// exists here: the Flatpak portal would end WirePlumber 0.4 at start.
void WriteWirePlumberConfig(const std::filesystem::path& config) {
    WriteFile(config / "wireplumber/main.lua.d/60-zeb-test.lua",
              "alsa_monitor.enabled = false\n"
              "v4l2_monitor.enabled = false\n"
              "libcamera_monitor.enabled = false\n"
              "default_access.properties[\"enable-flatpak-portal\"] = false\n");
    WriteFile(config / "wireplumber/bluetooth.lua.d/60-zeb-test.lua",
              "bluez_monitor.enabled = false\n");
    WriteFile(config / "wireplumber/wireplumber.conf.d/60-zeb-test.conf",
              "wireplumber.profiles = {\n"
              "    main = {\n"
              "        hardware.audio = disabled\n"
              "        hardware.bluetooth = disabled\n"
              "        hardware.video-capture = disabled\n"
              "    }\n"
              "}\n");
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
    Start();
}

bool PrivatePulseServer::Start() {
    Stop();
    ready_ = false;
    problem_.clear();
    if (kind_ == "pulseaudio") {
        StartPulseAudio();
    } else if (kind_ == "pipewire") {
        StartPipeWire();
    } else {
        problem_ = "ZEB_TEST_SOUND_SERVER names neither pulseaudio nor pipewire";
        return false;
    }
    for (const auto& process : processes_) {
        if (!process->Started()) {
            problem_ = "could not start the sound server's programs";
            return false;
        }
    }
    ready_ = WaitUntilServing();
    return ready_;
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

void PrivatePulseServer::StartPipeWire() {
    // The daemon serves the PulseAudio protocol; WirePlumber links streams to devices. Both
    // read only configuration written here, so they never meet the user's running server.
    const std::filesystem::path base(folder_);
    WriteFile(base / "pipewire.conf", DaemonConfig(folder_ + "/native"));
    WriteWirePlumberConfig(base / "config");
    processes_.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{"pipewire", "-c", (base / "pipewire.conf").string()},
        Environment(), (base / "pipewire.log").string()));
    // WirePlumber gives up when the daemon's socket is not there yet.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(base / "runtime/pipewire-0") &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    processes_.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{"wireplumber"},
                                                        Environment(),
                                                        (base / "wireplumber.log").string()));
}

bool PrivatePulseServer::WaitUntilServing() {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    bool sinkLoaded = kind_ == "pulseaudio";
    while (std::chrono::steady_clock::now() < deadline) {
        if (!sinkLoaded && !Tool({"pactl", "info"}).empty()) {
            sinkLoaded = !LoadNullSink("zebtest").empty();
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

std::string PrivatePulseServer::LoadNullSink(const std::string& name) const {
    // Mono, as the tests' sounds: PipeWire would otherwise spread them over two channels and
    // mix them back at a different level.
    const std::string module =
        Tool({"pactl", "load-module", "module-null-sink", "sink_name=" + name, "channels=1",
              "rate=44100", "sink_properties='device.description=\"Null Output\"'"});
    return module.substr(0, module.find('\n'));
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
