#include "PrivatePipeWire.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

namespace zeb::testing {

namespace {

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

// WirePlumber 0.4 (Lua fragments, run in name order between the defaults and the 90-enable
// files) and 0.5 (profile features). No D-Bus session exists here: the Flatpak portal would
// end WirePlumber 0.4 at start.
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

std::vector<std::unique_ptr<ChildProcess>> StartPipeWire(
    const std::string& folder, const std::string& pulseSocket,
    const std::vector<std::string>& environment) {
    const std::filesystem::path base(folder);
    WriteFile(base / "pipewire.conf", DaemonConfig(pulseSocket));
    WriteWirePlumberConfig(base / "config");

    std::vector<std::unique_ptr<ChildProcess>> processes;
    processes.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{"pipewire", "-c", (base / "pipewire.conf").string()}, environment,
        (base / "pipewire.log").string()));
    // WirePlumber gives up when the daemon's socket is not there yet.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!std::filesystem::exists(base / "runtime/pipewire-0") &&
           std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    processes.push_back(std::make_unique<ChildProcess>(
        std::vector<std::string>{"wireplumber"}, environment, (base / "wireplumber.log").string()));
    return processes;
}

}  // namespace zeb::testing
