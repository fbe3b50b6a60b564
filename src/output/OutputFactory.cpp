#include "output/OutputFactory.h"

#include <memory>
#include <vector>

#include "output/ftdi/FtdiOutput.h"
#include "output/parallel/ParallelOutput.h"
#include "output/serial/SerialOutput.h"

namespace zeb {

Outputs MakeOutputs(OutputDevices& devices, const OutputSettings& settings, MessageSink& messages) {
    std::vector<std::unique_ptr<Output>> outputs;
    // The status lines name the serial port's modes and the FTDI chip (one at a time) first.
    std::vector<const Output*> named;
    const auto add = [&outputs](auto output) -> auto& {
        auto& added = *output;
        outputs.push_back(std::move(output));
        return added;
    };
    if (devices.ftdi) {
        named.push_back(
            &add(std::make_unique<FtdiOutput>(*devices.ftdi, settings.selection, messages)));
    }
    const Output* parallel = nullptr;
    if (devices.port) {
        parallel = &add(std::make_unique<ParallelOutput>(*devices.port, settings.selection,
                                                         settings.addressBox));
    }
    if (devices.serial) {
        named.push_back(&add(std::make_unique<SerialOutput>(*devices.serial, settings.selection,
                                                            settings.portBox, messages,
                                                            settings.serialPortLost)));
    }
    if (parallel != nullptr) {
        named.push_back(parallel);
    }
    auto& keyboard = add(std::make_unique<KeyboardOutput>(*devices.keyboard, settings.selection));
    auto& dmx = add(std::make_unique<DmxOutput>(devices.dmx, settings.dmx, messages));
    named.push_back(&keyboard);
    named.push_back(&dmx);
    return {OutputStage(std::move(outputs), std::move(named)), keyboard, dmx};
}

}  // namespace zeb
