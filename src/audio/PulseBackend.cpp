#include "audio/PulseBackend.h"

#include <pulse/version.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <utility>

#include "audio/CaptureErrors.h"

namespace zeb {

namespace {

constexpr uint32_t kUsableVersion = 0x02040000;
constexpr const char* kDefaultSource = "@DEFAULT_SOURCE@";

// Major and minor of the libpulse actually loaded, from its "major.minor[.micro]" text.
std::pair<unsigned long, unsigned long> LoadedLibraryVersion() {
    const char* text = pa_get_library_version();
    if (text == nullptr) {
        return {0, 0};
    }
    char* rest = nullptr;
    const unsigned long major = std::strtoul(text, &rest, 10);
    const unsigned long minor = *rest == '.' ? std::strtoul(rest + 1, nullptr, 10) : 0;
    return {major, minor};
}

// Which sound server did not answer, and how.
std::string ServerProblem(const std::string& server, int32_t error) {
    const char* fromEnvironment = std::getenv("PULSE_SERVER");
    const std::string where = !server.empty() ? server
                              : fromEnvironment != nullptr && *fromEnvironment != '\0'
                                  ? std::string(fromEnvironment)
                                  : std::string("of this session");
    return "sound server " + where +
           (error == capture_error::kTimeout
                ? ": no answer in time"
                : ": none answers (is PipeWire's pulse service or PulseAudio running?)");
}

bool ValidVolume(float volume) {
    return volume >= 0.0f && volume <= 1.0f;
}

}  // namespace

PulseBackend::PulseBackend(std::string server, std::chrono::milliseconds timeout)
    : server_(std::move(server)), timeout_(timeout) {}

uint32_t PulseBackend::GetVersion() {
    Succeed();
    const auto [major, minor] = LoadedLibraryVersion();
    // Usable when the loaded library is at least the major version we were built against;
    // the low half tells which one it is.
    const uint32_t detail = static_cast<uint32_t>(((major & 0xFF) << 8) | (minor & 0xFF));
    return major >= PA_MAJOR ? kUsableVersion | detail : detail;
}

bool PulseBackend::Connect() {
    if (connection_ && connection_->Alive()) {
        return true;
    }
    // A server that went away is looked for by WatchDevices alone, which never waits for it.
    if (connection_ || away_) {
        away_ = true;
        return Fail(capture_error::kDriver, ServerProblem(server_, capture_error::kDriver));
    }
    int32_t error = capture_error::kNone;
    std::unique_ptr<PulseConnection> opened = PulseConnection::Open(server_, timeout_, error);
    if (!opened) {
        return Fail(error, ServerProblem(server_, error));
    }
    Adopt(std::move(opened));
    return true;
}

void PulseBackend::Adopt(std::unique_ptr<PulseConnection> connection) {
    connection_ = std::move(connection);
    away_ = false;
    PulseConnection::Lock lock(*connection_);
    // Without it the device list only misses sources plugged in later; capture still works.
    connection_->WatchSources();
}

DeviceWatch PulseBackend::WatchDevices() {
    if (connection_ && connection_->Alive()) {
        return {true, connection_->TakeSourcesChanged()};
    }
    // The server is away: the capture and the connection died with it. A new connection is
    // begun and looked at on the next call, so nothing here waits for the server.
    stream_.reset();
    connection_.reset();
    away_ = true;
    if (reconnect_) {
        switch (reconnect_->Check()) {
            case PulseConnection::Progress::Ready:
                Adopt(std::move(reconnect_));
                return {true, true};
            case PulseConnection::Progress::Connecting:
                return {false, false};
            case PulseConnection::Progress::Failed:
                break;
        }
    }
    reconnect_ = PulseConnection::Begin(server_, timeout_);
    return {false, false};
}

bool PulseBackend::RecordInit(int device) {
    if (source_) {
        return Fail(capture_error::kAlready);
    }
    if (device < kDefaultDevice) {
        return Fail(capture_error::kDevice);
    }
    if (!Connect()) {
        return false;
    }
    PulseConnection::Lock lock(*connection_);
    std::string name = kDefaultSource;
    if (device != kDefaultDevice) {
        const auto sources = ListPulseSources(*connection_);
        if (!sources) {
            return Fail(connection_->LastError());
        }
        if (static_cast<size_t>(device) >= sources->size()) {
            return Fail(capture_error::kDevice);
        }
        name = (*sources)[static_cast<size_t>(device)].name;
    }
    // The default source is resolved now, so the open device does not change under us when
    // the user picks another default.
    const std::optional<PulseSource> source = GetPulseSource(*connection_, name);
    if (!source) {
        return Fail(connection_->Alive() ? capture_error::kDevice : capture_error::kDriver);
    }
    source_ = source->name;
    Succeed();
    return true;
}

bool PulseBackend::RecordFree() {
    stream_.reset();
    EndCapture();
    if (!source_) {
        return Fail(capture_error::kInit);
    }
    source_.reset();
    Succeed();
    return true;
}

std::optional<PulseSourceName> PulseBackend::ListedSource(int device) {
    if (device < 0) {
        Fail(capture_error::kDevice);
        return std::nullopt;
    }
    if (!Connect()) {
        return std::nullopt;
    }
    PulseConnection::Lock lock(*connection_);
    auto sources = ListPulseSources(*connection_);
    if (!sources) {
        Fail(connection_->LastError());
        return std::nullopt;
    }
    if (static_cast<size_t>(device) >= sources->size()) {
        Fail(capture_error::kDevice);
        return std::nullopt;
    }
    Succeed();
    return std::move((*sources)[static_cast<size_t>(device)]);
}

std::optional<std::string> PulseBackend::RecordGetDeviceInfo(int device) {
    auto source = ListedSource(device);
    return source ? std::optional(std::move(source->description)) : std::nullopt;
}

std::optional<std::string> PulseBackend::RecordGetDeviceKey(int device) {
    auto source = ListedSource(device);
    return source ? std::optional(std::move(source->name)) : std::nullopt;
}

std::optional<int> PulseBackend::RecordGetPreferredDevice() {
    if (!Connect()) {
        return std::nullopt;
    }
    PulseConnection::Lock lock(*connection_);
    const auto preferred = PreferredPulseSource(*connection_);
    const auto sources = ListPulseSources(*connection_);
    if (!preferred || !sources) {
        Fail(connection_->LastError());
        return std::nullopt;
    }
    const auto found = std::find_if(sources->begin(), sources->end(),
                                    [&](const PulseSourceName& s) { return s.name == *preferred; });
    if (found == sources->end()) {
        Fail(capture_error::kDevice);
        return std::nullopt;
    }
    Succeed();
    return static_cast<int>(found - sources->begin());
}

std::optional<PulseSource> PulseBackend::OpenSource() {
    if (!source_) {
        Fail(capture_error::kInit);
        return std::nullopt;
    }
    if (!Connect()) {
        return std::nullopt;
    }
    PulseConnection::Lock lock(*connection_);
    std::optional<PulseSource> source = GetPulseSource(*connection_, *source_);
    if (!source) {
        Fail(connection_->Alive() ? capture_error::kDevice : capture_error::kDriver);
    }
    return source;
}

std::optional<std::string> PulseBackend::RecordGetInputName(int input) {
    const std::optional<PulseSource> source = OpenSource();
    if (!source) {
        return std::nullopt;
    }
    if (input < 0 || static_cast<size_t>(input) >= source->ports.size()) {
        Fail(capture_error::kIllegalParam);
        return std::nullopt;
    }
    Succeed();
    return source->ports[static_cast<size_t>(input)].description;
}

uint32_t PulseBackend::RecordGetInput(int input, float* volume) {
    constexpr uint32_t kFailed = 0xFFFFFFFF;
    const std::optional<PulseSource> source = OpenSource();
    if (!source) {
        return kFailed;
    }
    const bool master = input == kMasterInput;
    if (!master && (input < 0 || static_cast<size_t>(input) >= source->ports.size())) {
        Fail(capture_error::kIllegalParam);
        return kFailed;
    }
    if (volume != nullptr) {
        // Above the server's normal volume the source amplifies; the slider's top is normal.
        const float level = static_cast<float>(pa_cvolume_max(&source->volume)) / PA_VOLUME_NORM;
        *volume = std::min(level, 1.0f);
    }
    Succeed();
    return master || input == source->activePort ? 0 : kInputOff;
}

bool PulseBackend::RecordSetInput(int input, uint32_t flags, float volume) {
    const std::optional<PulseSource> source = OpenSource();
    if (!source) {
        return false;
    }
    const bool master = input == kMasterInput;
    if (!master && (input < 0 || static_cast<size_t>(input) >= source->ports.size())) {
        return Fail(capture_error::kIllegalParam);
    }
    const bool setVolume = volume != kVolumeUnchanged;
    if ((setVolume && !ValidVolume(volume)) ||
        (flags != kInputUnchanged && flags != kInputOn && flags != kInputOff)) {
        return Fail(capture_error::kIllegalParam);
    }
    PulseConnection::Lock lock(*connection_);
    // Switching a port off has nothing to do on a sound server: the source listens to exactly
    // one port, the active one, and switching another one on replaces it.
    if (!master && flags == kInputOn && input != source->activePort &&
        !SetPulseSourcePort(*connection_, source->name,
                            source->ports[static_cast<size_t>(input)].name)) {
        return Fail(connection_->LastError());
    }
    if (setVolume && !SetPulseSourceVolume(*connection_, *source, volume)) {
        return Fail(connection_->LastError());
    }
    Succeed();
    return true;
}

bool PulseBackend::StillCapturing() {
    return stream_ && !stream_->Ended();
}

CaptureHandle PulseBackend::RecordStart(uint32_t rate, uint32_t channels, uint32_t) {
    if (!source_) {
        Fail(capture_error::kInit);
        return 0;
    }
    if (channels != 1) {
        Fail(capture_error::kFormat);
        return 0;
    }
    if (!Connect()) {
        return 0;
    }
    // One capture at a time: a new start replaces the running one.
    stream_.reset();
    EndCapture();
    int32_t error = capture_error::kNone;
    const CaptureHandle handle = BeginCapture(rate);
    stream_ = PulseRecordStream::Open(*connection_, *source_, rate, Ring(), error);
    if (!stream_) {
        EndCapture();
        Fail(error);
        return 0;
    }
    Succeed();
    return handle;
}

}  // namespace zeb
