// SerialCalls through libserialport.

#include <libserialport.h>
#include <termios.h>

#include <cerrno>
#include <system_error>

#include "output/serial/SerialCalls.h"

namespace zeb {
namespace {

struct PortDeleter {
    void operator()(sp_port* port) const {
        sp_close(port);  // fails harmlessly on a port that never opened
        sp_free_port(port);
    }
};
using PortHandle = std::unique_ptr<sp_port, PortDeleter>;

struct PortListDeleter {
    void operator()(sp_port** list) const { sp_free_port_list(list); }
};

sp_parity ParityOf(char letter) {
    switch (letter) {
        case 'E':
            return SP_PARITY_EVEN;
        case 'O':
            return SP_PARITY_ODD;
        case 'M':
            return SP_PARITY_MARK;
        case 'S':
            return SP_PARITY_SPACE;
        default:
            return SP_PARITY_NONE;
    }
}

class LibSerialPortCalls : public SerialCalls {
  public:
    std::vector<std::string> ListPorts() override {
        std::vector<std::string> names;
        sp_port** raw = nullptr;
        if (sp_list_ports(&raw) != SP_OK) {
            return names;
        }
        std::unique_ptr<sp_port*, PortListDeleter> list(raw);
        for (sp_port** port = list.get(); *port != nullptr; ++port) {
            names.emplace_back(sp_get_port_name(*port));
        }
        return names;
    }

    bool Open(const std::string& device) override {
        Close();
        sp_port* raw = nullptr;
        if (sp_get_port_by_name(device.c_str(), &raw) != SP_OK) {
            return false;
        }
        PortHandle port(raw);
        if (sp_open(port.get(), SP_MODE_WRITE) != SP_OK) {
            return false;
        }
        port_ = std::move(port);
        return true;
    }

    void Close() override { port_.reset(); }

    bool Configure(const SerialLineSettings& settings) override {
        if (!port_) {
            return false;
        }
        sp_port* port = port_.get();
        // Every setting is tried even when an earlier one fails.
        const bool baud = sp_set_baudrate(port, settings.baud) == SP_OK;
        const bool bits = sp_set_bits(port, settings.dataBits) == SP_OK;
        const bool parity = sp_set_parity(port, ParityOf(settings.parity)) == SP_OK;
        const bool stop = sp_set_stopbits(port, settings.stopBits) == SP_OK;
        const bool flow = sp_set_flowcontrol(port, SP_FLOWCONTROL_NONE) == SP_OK;
        return baud && bits && parity && stop && flow;
    }

    bool SetDtr(bool asserted) override {
        return port_ && sp_set_dtr(port_.get(), asserted ? SP_DTR_ON : SP_DTR_OFF) == SP_OK;
    }

    bool SetRts(bool asserted) override {
        return port_ && sp_set_rts(port_.get(), asserted ? SP_RTS_ON : SP_RTS_OFF) == SP_OK;
    }

    int WriteNonBlocking(std::string_view bytes) override {
        if (!port_) {
            return -1;
        }
        const sp_return result = sp_nonblocking_write(port_.get(), bytes.data(), bytes.size());
        return result < 0 ? -1 : static_cast<int>(result);
    }

    bool Drain() override { return port_ && sp_drain(port_.get()) == SP_OK; }

    std::string LostReason() override {
        int fd = -1;
        if (!port_ || sp_get_port_handle(port_.get(), &fd) != SP_OK) {
            return {};
        }
        termios line{};
        if (::tcgetattr(fd, &line) == 0) {
            return {};  // still there: the call failed for another reason (a missing modem line)
        }
        // A line hung up after its device went away answers every request with EIO.
        const int error = errno;
        if (error != EIO && error != ENXIO && error != ENODEV) {
            return {};
        }
        return std::error_code(error, std::generic_category()).message();
    }

  private:
    PortHandle port_;
};

}  // namespace

std::unique_ptr<SerialCalls> MakeLibSerialPortCalls() {
    return std::make_unique<LibSerialPortCalls>();
}

}  // namespace zeb
