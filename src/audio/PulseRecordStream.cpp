#include "audio/PulseRecordStream.h"

#include <span>

#include "audio/CaptureErrors.h"

namespace zeb {

namespace {
// The server's default record fragment is far larger; 10 ms keeps the newest samples recent.
constexpr pa_usec_t kFragmentMicroseconds = 10000;
}  // namespace

std::unique_ptr<PulseRecordStream> PulseRecordStream::Open(PulseConnection& connection,
                                                           const std::string& source, uint32_t rate,
                                                           SampleRing& ring, int32_t& error) {
    pa_sample_spec format{};
    format.format = PA_SAMPLE_FLOAT32NE;
    format.rate = rate;
    format.channels = 1;
    if (pa_sample_spec_valid(&format) == 0) {
        error = capture_error::kFormat;
        return nullptr;
    }
    PulseConnection::Lock lock(connection);
    pa_stream* raw = pa_stream_new(connection.Context(), "ZEB capture", &format, nullptr);
    if (raw == nullptr) {
        error = connection.LastError();
        return nullptr;
    }
    auto stream = std::make_unique<PulseRecordStream>(Key{}, connection, raw, ring);
    pa_stream_set_state_callback(raw, OnStateChanged, stream.get());
    pa_stream_set_read_callback(raw, OnReadable, stream.get());

    pa_buffer_attr buffer{};
    buffer.maxlength = static_cast<uint32_t>(-1);
    buffer.tlength = static_cast<uint32_t>(-1);
    buffer.prebuf = static_cast<uint32_t>(-1);
    buffer.minreq = static_cast<uint32_t>(-1);
    buffer.fragsize = static_cast<uint32_t>(pa_usec_to_bytes(kFragmentMicroseconds, &format));
    // Never moved to another source: when its source goes away the capture ends, and the
    // program takes it up again on the same source once that is back.
    const auto flags =
        static_cast<pa_stream_flags_t>(PA_STREAM_ADJUST_LATENCY | PA_STREAM_DONT_MOVE);
    if (pa_stream_connect_record(raw, source.c_str(), &buffer, flags) < 0) {
        error = connection.LastError();
        return nullptr;
    }
    const bool settled = connection.WaitFor([raw] {
        const pa_stream_state_t state = pa_stream_get_state(raw);
        return state == PA_STREAM_READY || !PA_STREAM_IS_GOOD(state);
    });
    if (!settled) {
        error = capture_error::kTimeout;
        return nullptr;
    }
    if (pa_stream_get_state(raw) != PA_STREAM_READY) {
        error = connection.LastError();
        if (error == capture_error::kNone || error == capture_error::kUnknown) {
            error = capture_error::kBusy;
        }
        return nullptr;
    }
    error = capture_error::kNone;
    return stream;
}

PulseRecordStream::~PulseRecordStream() {
    PulseConnection::Lock lock(connection_);
    pa_stream_set_read_callback(stream_, nullptr, nullptr);
    pa_stream_set_state_callback(stream_, nullptr, nullptr);
    if (PA_STREAM_IS_GOOD(pa_stream_get_state(stream_))) {
        pa_stream_disconnect(stream_);
    }
    pa_stream_unref(stream_);
}

void PulseRecordStream::OnStateChanged(pa_stream* stream, void* self) {
    auto* owner = static_cast<PulseRecordStream*>(self);
    if (!PA_STREAM_IS_GOOD(pa_stream_get_state(stream))) {
        owner->ended_.store(true, std::memory_order_relaxed);
    }
    PulseConnection::Wake(&owner->connection_);
}

void PulseRecordStream::OnReadable(pa_stream* stream, size_t, void* self) {
    auto* owner = static_cast<PulseRecordStream*>(self);
    while (pa_stream_readable_size(stream) > 0) {
        const void* data = nullptr;
        size_t bytes = 0;
        if (pa_stream_peek(stream, &data, &bytes) < 0 || bytes == 0) {
            return;
        }
        // A hole (data == null) is samples the server lost; they are skipped.
        if (data != nullptr) {
            owner->ring_.Append(std::span(static_cast<const float*>(data), bytes / sizeof(float)));
        }
        pa_stream_drop(stream);
    }
}

}  // namespace zeb
