#include "core/FrameDelay.h"

namespace zeb {

std::optional<FrameDelay::Frame> FrameDelay::PopDue(CaptureTime now) {
    if (frames_.empty() || frames_.front().due > now) {
        return std::nullopt;
    }
    Frame frame = std::move(frames_.front());
    frames_.pop_front();
    return frame;
}

std::optional<CaptureTime> FrameDelay::NextDue() const {
    if (frames_.empty()) {
        return std::nullopt;
    }
    return frames_.front().due;
}

void CopyLamps(const EngineState& from, EngineState& to) {
    to.ChannelStates = from.ChannelStates;
    to.ChannelByte = from.ChannelByte;
    to.lampLit = from.lampLit;
    to.indicatorVisible = from.indicatorVisible;
}

}  // namespace zeb
