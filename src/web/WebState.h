#pragma once
// What the page shows, as one JSON text built on the program's thread after an engine tick:
// the channels (band, threshold, lamp, automatic level), AUTO and SPEED AUTO, VOL, GAIN and
// the meters, the spectrum's bands, the outputs and their lists, the audio lists, the state
// (capture lost, olad lost, the outputs in use) and the newest messages.

#include <string>

#include "core/ProgramModel.h"
#include "web/WebMessages.h"

namespace zeb {

std::string WebStateJson(const ProgramModel& model, const std::string& outputsInUse,
                         const WebMessages& messages);

}  // namespace zeb
