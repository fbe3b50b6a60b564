#include "output/ftdi/FtdiOutput.h"

#include "output/ftdi/FtdiSetup.h"

namespace zeb {

void FtdiOutput::Open() {
    messages_.LogEvent(ftdiinit(device_) ? "FTDI chip opened in bit-bang mode"
                                         : "FTDI chip: none could be opened");
}

void FtdiOutput::Write(const LampFrame& frame) {
    device_.Write(static_cast<uint8_t>(frame.state.ChannelByte & 0xFF));
}

void FtdiOutput::Darken() {
    device_.Write(0);
}

void FtdiOutput::Close() {
    device_.Close();
}

}  // namespace zeb
