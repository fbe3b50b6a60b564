#pragma once
// The parallel port: channels 0..7 on the data register of the remembered address, 8..11 on
// the control register of the address the list shows.

#include "engine/ModelValues.h"
#include "output/Devices.h"
#include "output/Output.h"
#include "output/OutputSelection.h"

namespace zeb {

class ParallelOutput : public Output {
  public:
    ParallelOutput(PortIo& port, const OutputSelection& selection, const ChoiceList& addressBox)
        : port_(port), selection_(selection), addressBox_(addressBox) {}

    bool InUse() const override { return selection_.LptSwitch.On(); }
    void Write(const LampFrame& frame) override;
    // The all-dark frame when the port is switched on or was written during the run: data
    // register 00, the control register at its dark value.
    void Darken() override;
    std::string StateLine() const override { return "LPT " + selection_.LptAddressText; }

  private:
    PortIo& port_;
    const OutputSelection& selection_;
    const ChoiceList& addressBox_;
    bool written_ = false;
};

}  // namespace zeb
