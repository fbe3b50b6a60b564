#include "output/OutputStage.h"

namespace zeb {

void OutputStage::Open() {
    for (const auto& output : outputs_) {
        output->Open();
    }
}

void OutputStage::Write(const LampFrame& frame) {
    for (const auto& output : outputs_) {
        if (output->InUse()) {
            output->Write(frame);
        }
    }
}

void OutputStage::DarkenAndClose() {
    for (const auto& output : outputs_) {
        output->Darken();
        output->Close();
    }
}

std::string OutputStage::InUse() const {
    std::string names;
    for (const Output* output : named_) {
        if (output->InUse()) {
            names += (names.empty() ? "" : ", ") + output->StateLine();
        }
    }
    return names.empty() ? "none" : names;
}

}  // namespace zeb
