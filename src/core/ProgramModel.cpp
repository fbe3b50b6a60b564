#include "core/ProgramModel.h"

namespace zeb {

ProgramModel::ProgramModel()
    : channels(DefaultChannelConfigs()),
      combo2({"1", "2", "3", "4  ", "5", "6", "7", "8", "9"}, true),
      combo4({"1", "2", "3", "4"}) {}

}  // namespace zeb
