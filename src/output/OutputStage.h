#pragma once
// The per-tick output stage: the outputs of the run, in the order their frames are written.

#include <memory>
#include <string>
#include <vector>

#include "output/Output.h"

namespace zeb {

class OutputStage {
  public:
    // `outputs` in the order of their frames; `named` the same outputs in the order the status
    // lines name them.
    OutputStage(std::vector<std::unique_ptr<Output>> outputs, std::vector<const Output*> named)
        : outputs_(std::move(outputs)), named_(std::move(named)) {}

    // Every output's Open, in order.
    void Open();
    // The tick's frame to every output in use, in order.
    void Write(const LampFrame& frame);
    // Every output darkened, then closed, one after the other in order.
    void DarkenAndClose();
    // The state lines of the outputs in use, ", " between them; "none" without one.
    std::string InUse() const;

  private:
    std::vector<std::unique_ptr<Output>> outputs_;
    std::vector<const Output*> named_;
};

}  // namespace zeb
