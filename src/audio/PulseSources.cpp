#include "audio/PulseSources.h"

#include <cmath>

namespace zeb {

namespace {

std::string TextOr(const char* text, const char* fallback) {
    return text != nullptr && *text != '\0' ? text : (fallback != nullptr ? fallback : "");
}

struct SuccessResult {
    bool success = false;
};

void OnSuccess(pa_context*, int success, void* result) {
    static_cast<SuccessResult*>(result)->success = success != 0;
}

}  // namespace

std::optional<std::vector<PulseSourceName>> ListPulseSources(PulseConnection& connection) {
    std::vector<PulseSourceName> sources;
    auto collect = [](pa_context*, const pa_source_info* info, int eol, void* result) {
        if (eol == 0 && info != nullptr) {
            static_cast<std::vector<PulseSourceName>*>(result)->push_back(
                {TextOr(info->name, ""), TextOr(info->description, info->name)});
        }
    };
    if (!connection.Finish(
            pa_context_get_source_info_list(connection.Context(), collect, &sources))) {
        return std::nullopt;
    }
    return sources;
}

std::optional<PulseSource> GetPulseSource(PulseConnection& connection, const std::string& name) {
    std::optional<PulseSource> source;
    auto collect = [](pa_context*, const pa_source_info* info, int eol, void* result) {
        if (eol != 0 || info == nullptr) {
            return;
        }
        PulseSource found;
        found.name = TextOr(info->name, "");
        found.volume = info->volume;
        for (uint32_t n = 0; n < info->n_ports; ++n) {
            const pa_source_port_info* port = info->ports[n];
            found.ports.push_back({TextOr(port->name, ""), TextOr(port->description, port->name)});
            if (port == info->active_port) {
                found.activePort = static_cast<int>(n);
            }
        }
        *static_cast<std::optional<PulseSource>*>(result) = std::move(found);
    };
    if (!connection.Finish(pa_context_get_source_info_by_name(connection.Context(), name.c_str(),
                                                              collect, &source))) {
        return std::nullopt;
    }
    return source;
}

std::optional<std::string> PreferredPulseSource(PulseConnection& connection) {
    std::string monitor;
    auto collect = [](pa_context*, const pa_sink_info* info, int eol, void* result) {
        if (eol == 0 && info != nullptr) {
            *static_cast<std::string*>(result) = TextOr(info->monitor_source_name, "");
        }
    };
    if (connection.Finish(pa_context_get_sink_info_by_name(connection.Context(), "@DEFAULT_SINK@",
                                                           collect, &monitor)) &&
        !monitor.empty()) {
        return monitor;
    }
    if (const auto source = GetPulseSource(connection, "@DEFAULT_SOURCE@")) {
        return source->name;
    }
    return std::nullopt;
}

bool SetPulseSourcePort(PulseConnection& connection, const std::string& source,
                        const std::string& port) {
    SuccessResult result;
    return connection.Finish(pa_context_set_source_port_by_name(
               connection.Context(), source.c_str(), port.c_str(), OnSuccess, &result)) &&
           result.success;
}

bool SetPulseSourceVolume(PulseConnection& connection, const PulseSource& source, float volume) {
    pa_cvolume channels = source.volume;
    if (channels.channels == 0) {
        channels.channels = 1;
    }
    const auto raw = static_cast<pa_volume_t>(std::lround(volume * PA_VOLUME_NORM));
    pa_cvolume_set(&channels, channels.channels, raw);
    SuccessResult result;
    return connection.Finish(pa_context_set_source_volume_by_name(
               connection.Context(), source.name.c_str(), &channels, OnSuccess, &result)) &&
           result.success;
}

}  // namespace zeb
