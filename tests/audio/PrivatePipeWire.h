#pragma once
// A PipeWire sound server of the test's own: the daemon, serving the PulseAudio protocol on a
// socket of the test's choosing, and WirePlumber, which links streams to devices. Both run in
// the test's folder with configuration written there, so they never meet the user's running
// server, and WirePlumber is told to leave the machine's sound cards, Bluetooth and cameras
// alone: the only device is the null sink the fixture creates through the PulseAudio service.

#include <memory>
#include <string>
#include <vector>

#include "ChildProcess.h"

namespace zeb::testing {

// `environment` must name `folder`/runtime as XDG_RUNTIME_DIR and `folder`/config as
// XDG_CONFIG_HOME. Returns the started processes, daemon first; logs go to `folder`.
std::vector<std::unique_ptr<ChildProcess>> StartPipeWire(
    const std::string& folder, const std::string& pulseSocket,
    const std::vector<std::string>& environment);

}  // namespace zeb::testing
