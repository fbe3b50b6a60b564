#include "engine/EngineState.h"

namespace zeb {

ChannelConfigs DefaultChannelConfigs() {
    ChannelConfigs configs;
    for (int i = 0; i < kChannelCount; ++i) {
        configs[static_cast<size_t>(i)].bandCaption = kDefaultBandCaptions[static_cast<size_t>(i)];
        configs[static_cast<size_t>(i)].colour = DefaultLampColour(i);
    }
    return configs;
}

}  // namespace zeb
