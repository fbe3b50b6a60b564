#pragma once
// The server's sources (the recording devices, speaker monitors included), their ports (the
// inputs) and their volume. Each call asks the server afresh, with the connection's lock held.

#include <pulse/pulseaudio.h>

#include <optional>
#include <string>
#include <vector>

#include "audio/PulseConnection.h"

namespace zeb {

struct PulseSourceName {
    std::string name;         // the server's key for the source
    std::string description;  // what the user sees
};

struct PulseSource {
    std::string name;
    std::vector<PulseSourceName> ports;  // in the server's order
    int activePort = -1;                 // position in ports; -1 when it has none
    pa_cvolume volume{};
};

// Every source in the server's order; nullopt when the server did not answer.
std::optional<std::vector<PulseSourceName>> ListPulseSources(PulseConnection& connection);
// One source by name ("@DEFAULT_SOURCE@" = the default one); nullopt when there is none.
std::optional<PulseSource> GetPulseSource(PulseConnection& connection, const std::string& name);
// The source a first start listens to: the monitor of the default output, else the default
// source; nullopt when the server names neither.
std::optional<std::string> PreferredPulseSource(PulseConnection& connection);
bool SetPulseSourcePort(PulseConnection& connection, const std::string& source,
                        const std::string& port);
// Sets every channel of the source to `volume` (1.0 = the server's normal volume).
bool SetPulseSourceVolume(PulseConnection& connection, const PulseSource& source, float volume);

}  // namespace zeb
