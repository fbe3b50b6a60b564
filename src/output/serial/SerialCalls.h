#pragma once
// The serial-port library calls the serial driver makes, behind one interface so that tests
// can check the exact calls and bytes without a serial port.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "output/serial/SerialLineSettings.h"

namespace zeb {

class SerialCalls {
  public:
    virtual ~SerialCalls() = default;
    // The serial ports of the computer, by device name, in no particular order.
    virtual std::vector<std::string> ListPorts() = 0;
    // Opens `device` for writing; a port open before is closed first.
    virtual bool Open(const std::string& device) = 0;
    virtual void Close() = 0;
    // Line settings with no flow control.
    virtual bool Configure(const SerialLineSettings& settings) = 0;
    virtual bool SetDtr(bool asserted) = 0;
    virtual bool SetRts(bool asserted) = 0;
    // Queues bytes without waiting: how many were taken, or -1.
    virtual int WriteNonBlocking(std::string_view bytes) = 0;
    // Waits until every queued byte has left the transmitter (tcdrain).
    virtual bool Drain() = 0;
    // After a failed call: why the open port is gone (the system hung the line up when its
    // device went away), or empty while it is still there.
    virtual std::string LostReason() { return {}; }
};

// The calls made through libserialport.
std::unique_ptr<SerialCalls> MakeLibSerialPortCalls();

}  // namespace zeb
