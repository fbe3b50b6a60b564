#pragma once
// The lamp frames the output delay holds back, oldest first, each written when it is due.

#include <deque>
#include <optional>

#include "audio/CaptureBackend.h"
#include "engine/EngineState.h"

namespace zeb {

class FrameDelay {
  public:
    struct Frame {
        CaptureTime due;
        EngineState state;
        bool automatic = false;
    };

    void Push(CaptureTime due, const EngineState& state, bool automatic) {
        frames_.push_back({due, state, automatic});
    }
    // The oldest frame due by `now`, taken out; nullopt when none is due.
    std::optional<Frame> PopDue(CaptureTime now);
    std::optional<CaptureTime> NextDue() const;
    bool Empty() const { return frames_.empty(); }
    void Clear() { frames_.clear(); }

  private:
    std::deque<Frame> frames_;
};

// What a lamp frame shows: the channel vector, its packed byte, lamps and indicators.
void CopyLamps(const EngineState& from, EngineState& to);

}  // namespace zeb
