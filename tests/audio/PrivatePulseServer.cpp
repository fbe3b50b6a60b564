#include "PrivatePulseServer.h"

#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace zeb::testing {

PrivatePulseServer::PrivatePulseServer() {
    std::string pattern = (std::filesystem::temp_directory_path() / "zeb-pulse.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return;
    }
    folder_ = pattern;
    std::filesystem::create_directories(folder_ + "/runtime");
    std::filesystem::create_directories(folder_ + "/state");
    Start();
}

bool PrivatePulseServer::Start() {
    ready_ = false;
    daemon_.reset();
    // -n: no default script, so only the two modules below load. As root the daemon needs
    // --system=false to stay a per-user server; --disable-shm keeps it off shared memory the
    // sanitizers dislike; anonymous auth spares the cookie.
    daemon_ = std::make_unique<ChildProcess>(
        std::vector<std::string>{
            "pulseaudio", "-n", "--daemonize=no", "--system=false", "--exit-idle-time=-1",
            "--disable-shm=yes", "--use-pid-file=no", "--log-target=stderr", "-L",
            "module-null-sink sink_name=zebtest", "-L",
            "module-native-protocol-unix auth-anonymous=1 socket=" + folder_ + "/native"},
        Environment(), folder_ + "/daemon.log");
    if (!daemon_->Started()) {
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (std::chrono::steady_clock::now() < deadline) {
        if (!Tool({"pactl", "info"}).empty()) {
            ready_ = true;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return false;
}

PrivatePulseServer::~PrivatePulseServer() {
    daemon_.reset();
    if (!folder_.empty()) {
        std::error_code ignored;
        std::filesystem::remove_all(folder_, ignored);
    }
}

std::vector<std::string> PrivatePulseServer::Environment() const {
    const char* path = std::getenv("PATH");
    return {"PATH=" + std::string(path != nullptr ? path : "/usr/bin:/bin"),
            "HOME=" + folder_,
            "XDG_RUNTIME_DIR=" + folder_ + "/runtime",
            "PULSE_RUNTIME_PATH=" + folder_ + "/runtime",
            "PULSE_STATE_PATH=" + folder_ + "/state",
            "PULSE_SERVER=" + Address()};
}

std::string PrivatePulseServer::Log() const {
    std::ifstream in(folder_ + "/daemon.log");
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string PrivatePulseServer::Tool(std::vector<std::string> argv) const {
    return ChildProcess::Output(argv, Environment());
}

std::unique_ptr<ChildProcess> PrivatePulseServer::StartTool(std::vector<std::string> argv) const {
    return std::make_unique<ChildProcess>(argv, Environment());
}

}  // namespace zeb::testing
