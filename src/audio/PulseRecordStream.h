#pragma once
// A mono 32-bit float record stream from one source; libpulse's thread appends what arrives to
// a sample ring. Destroying the stream stops it before the ring can be touched again.

#include <pulse/pulseaudio.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/PulseConnection.h"
#include "audio/SampleRing.h"

namespace zeb {

class PulseRecordStream {
  public:
    // Connects a record stream on `source` at `rate` and waits until it runs. Null, with `error`
    // set to a capture error code, when it cannot start. `connection` and `ring` must outlive it.
    static std::unique_ptr<PulseRecordStream> Open(PulseConnection& connection,
                                                   const std::string& source, uint32_t rate,
                                                   SampleRing& ring, int32_t& error);
    ~PulseRecordStream();
    PulseRecordStream(const PulseRecordStream&) = delete;
    PulseRecordStream& operator=(const PulseRecordStream&) = delete;

    // True once the server has stopped the stream for good (its source went away, or the
    // server did): no more samples will arrive.
    bool Ended() const { return ended_.load(std::memory_order_relaxed); }

  private:
    struct Key {};  // only Open constructs streams

  public:
    PulseRecordStream(Key, PulseConnection& connection, pa_stream* stream, SampleRing& ring)
        : connection_(connection), stream_(stream), ring_(ring) {}

  private:
    static void OnReadable(pa_stream* stream, size_t bytes, void* self);
    static void OnStateChanged(pa_stream* stream, void* self);

    PulseConnection& connection_;
    pa_stream* stream_;  // owned; released in the destructor under the loop's lock
    SampleRing& ring_;
    std::atomic<bool> ended_ = false;  // written on libpulse's thread
};

}  // namespace zeb
