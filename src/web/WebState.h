#pragma once
// What the page shows, as one JSON text built on the program's thread after an engine tick:
// the channels (band, threshold, lamp, automatic level), AUTO and SPEED AUTO, VOL, GAIN and
// the meters, the spectrum's bands, the outputs and their lists, the audio lists, the state
// (capture lost, olad lost, the outputs in use) and the newest messages.
//
// What changes at every tick (the lamps, the automatic levels, the spectrum, the meters, the
// silence, the tempo and the outputs in use) also comes on its own as a live frame, marked
// "live": the pages get the whole state only when something else changed.

#include <string>

#include "core/ProgramModel.h"
#include "web/WebMessages.h"

namespace zeb {

enum class WebStatePart {
    Whole,
    Settings,  // the whole without what every tick changes: to tell whether it changed
    Live,      // {"live":true,"lit":[…],"auto":[…],"spectrum":[…],"meters":[…],…}
};

std::string WebStateJson(const ProgramModel& model, const std::string& outputsInUse,
                         const WebMessages& messages, WebStatePart part = WebStatePart::Whole);

}  // namespace zeb
