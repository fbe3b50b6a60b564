#pragma once
// A mono 32-bit float record stream from one source; libpulse's thread appends what arrives to
// a sample ring. Destroying the stream stops it before the ring can be touched again.

#include <pulse/pulseaudio.h>

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

  private:
    struct Key {};  // only Open constructs streams

  public:
    PulseRecordStream(Key, PulseConnection& connection, pa_stream* stream, SampleRing& ring)
        : connection_(connection), stream_(stream), ring_(ring) {}

  private:
    static void OnReadable(pa_stream* stream, size_t bytes, void* self);

    PulseConnection& connection_;
    pa_stream* stream_;  // owned; released in the destructor under the loop's lock
    SampleRing& ring_;
};

}  // namespace zeb
