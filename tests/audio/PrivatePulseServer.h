#pragma once
// A PulseAudio daemon of the test's own, in a fresh temporary folder, with one null sink named
// "zebtest" whose monitor is a recording source. It is stopped and its folder removed when the
// object goes.

#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace zeb::testing {

class PrivatePulseServer {
  public:
    PrivatePulseServer();
    ~PrivatePulseServer();
    PrivatePulseServer(const PrivatePulseServer&) = delete;
    PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

    // True once the daemon answers; otherwise Log() says why.
    bool Ready() const { return ready_; }
    std::string Log() const;
    // The server address for libpulse ("unix:<folder>/native").
    std::string Address() const { return "unix:" + folder_ + "/native"; }
    const std::string& Folder() const { return folder_; }

    // Runs one of the server's command-line tools against it and returns its output.
    std::string Tool(std::vector<std::string> argv) const;
    // Starts a tool against the server in the background (e.g. paplay).
    std::unique_ptr<ChildProcess> StartTool(std::vector<std::string> argv) const;
    void Stop() { daemon_.reset(); }
    // Starts the daemon (again, after Stop) at the same address, with only the "zebtest" sink;
    // true once it answers.
    bool Start();

  private:
    std::vector<std::string> Environment() const;

    std::string folder_;
    std::unique_ptr<ChildProcess> daemon_;
    bool ready_ = false;
};

}  // namespace zeb::testing
