#pragma once
// Capture from the PulseAudio server (PipeWire serves the same protocol through
// pipewire-pulse). Recording devices are the server's sources in its order, monitors of the
// speakers included; inputs are the ports of the open source; the volume is the source's.
// Once the server has gone away, only WatchDevices reaches for it again (in the background), so
// no call waits for a server that is not there.

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "audio/PulseConnection.h"
#include "audio/PulseRecordStream.h"
#include "audio/PulseSources.h"
#include "audio/RingBackend.h"

namespace zeb {

class PulseBackend final : public RingBackend {
  public:
    static constexpr std::chrono::milliseconds kDefaultTimeout{2000};

    // `server` as libpulse takes it ("unix:/path/native"); empty = the session's server.
    explicit PulseBackend(std::string server = {},
                          std::chrono::milliseconds timeout = kDefaultTimeout);

    uint32_t GetVersion() override;
    bool RecordInit(int device) override;
    bool RecordFree() override;
    std::optional<std::string> RecordGetDeviceInfo(int device) override;
    std::optional<std::string> RecordGetDeviceKey(int device) override;
    std::optional<int> RecordGetPreferredDevice() override;
    DeviceWatch WatchDevices() override;
    std::optional<std::string> RecordGetInputName(int input) override;
    uint32_t RecordGetInput(int input, float* volume) override;
    bool RecordSetInput(int input, uint32_t flags, float volume) override;
    CaptureHandle RecordStart(uint32_t rate, uint32_t channels, uint32_t flags) override;

  private:
    bool StillCapturing() override;
    // Connects when there is no live connection yet; false (error code set) when none answers
    // or the server has gone away.
    bool Connect();
    // Makes `connection` the one calls go to, and has it note sources coming and going.
    void Adopt(std::unique_ptr<PulseConnection> connection);
    // Source `device` in the server's order; nullopt (error code set) when there is none.
    std::optional<PulseSourceName> ListedSource(int device);
    // The open source as the server reports it now; nullopt (error code set) when no device is
    // open or the server does not answer.
    std::optional<PulseSource> OpenSource();

    std::string server_;
    std::chrono::milliseconds timeout_;
    std::unique_ptr<PulseConnection> connection_;
    bool away_ = false;                           // the server went away since we connected
    std::unique_ptr<PulseConnection> reconnect_;  // the background attempt while it is away
    std::optional<std::string> source_;           // name of the open source
    std::unique_ptr<PulseRecordStream> stream_;   // declared last: stopped before the rest goes
};

}  // namespace zeb
