#pragma once
// A sound server of the test's own, in a fresh temporary folder, speaking the PulseAudio
// protocol, with one null sink named "zebtest" whose monitor is a recording source. It is
// PulseAudio where that is installed, otherwise PipeWire with its PulseAudio service;
// ZEB_TEST_SOUND_SERVER=pulseaudio or =pipewire picks one. Everything it started is stopped
// and its folder removed when the object goes.

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

    // True once the server answers and its sink is the default one; otherwise Log() says why.
    bool Ready() const { return ready_; }
    std::string Log() const;
    // The server address for libpulse ("unix:<folder>/native").
    std::string Address() const { return "unix:" + folder_ + "/native"; }
    const std::string& Folder() const { return folder_; }
    // "pulseaudio" or "pipewire".
    const std::string& Kind() const { return kind_; }

    // Runs one of the server's command-line tools against it and returns its output.
    std::string Tool(std::vector<std::string> argv) const;
    // Adds a null sink described "Null Output", as PulseAudio describes its own, on either
    // kind of server; returns its module number, "" when the server refuses.
    std::string LoadNullSink(const std::string& name) const;
    // Starts a tool against the server in the background (e.g. paplay).
    std::unique_ptr<ChildProcess> StartTool(std::vector<std::string> argv) const;
    void Stop();
    // Starts the server (again, after Stop) at the same address, with only the "zebtest" sink;
    // true once it answers.
    bool Start();

  private:
    std::vector<std::string> Environment() const;
    void StartPulseAudio();
    void StartPipeWire();
    bool WaitUntilServing();

    std::string folder_;
    std::string kind_;
    std::string problem_;
    // Started first, stopped last.
    std::vector<std::unique_ptr<ChildProcess>> processes_;
    bool ready_ = false;
};

}  // namespace zeb::testing
