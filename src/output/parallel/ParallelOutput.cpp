#include "output/parallel/ParallelOutput.h"

#include "output/parallel/ParallelFrame.h"

namespace zeb {

void ParallelOutput::Write(const LampFrame& frame) {
    WriteParallelFrame(selection_.LptAddressText, addressBox_.Text(), frame.state, port_);
    written_ = true;
}

void ParallelOutput::Darken() {
    if (written_ || InUse()) {
        WriteParallelFrame(selection_.LptAddressText, addressBox_.Text(), EngineState{}, port_);
    }
}

}  // namespace zeb
