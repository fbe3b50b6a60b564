// FtdiCalls through libftdi1.

#include <ftdi.h>

#include "output/ftdi/FtdiCalls.h"

namespace zeb {
namespace {

// A lamp write must never hold up the engine tick for long; the driver's default waits 5 s.
constexpr int kUsbTimeoutMs = 20;

struct ContextDeleter {
    void operator()(ftdi_context* context) const { ftdi_free(context); }  // also closes
};

class LibFtdiCalls : public FtdiCalls {
  public:
    LibFtdiCalls() : context_(ftdi_new()) {
        if (context_) {
            context_->usb_read_timeout = kUsbTimeoutMs;
            context_->usb_write_timeout = kUsbTimeoutMs;
        }
    }

    int UsbOpen(int vendor, int product, unsigned index) override {
        if (!context_) {
            return -1;
        }
        return ftdi_usb_open_desc_index(context_.get(), vendor, product, nullptr, nullptr, index);
    }
    int UsbClose() override { return context_ ? ftdi_usb_close(context_.get()) : -1; }
    int SetBitmode(uint8_t mask, uint8_t mode) override {
        return context_ ? ftdi_set_bitmode(context_.get(), mask, mode) : -1;
    }
    int SetBaudrate(int baud) override {
        return context_ ? ftdi_set_baudrate(context_.get(), baud) : -1;
    }
    int WriteData(const uint8_t* data, int size) override {
        return context_ ? ftdi_write_data(context_.get(), data, size) : -1;
    }
    int ReadPins(uint8_t* pins) override {
        return context_ ? ftdi_read_pins(context_.get(), pins) : -1;
    }

  private:
    std::unique_ptr<ftdi_context, ContextDeleter> context_;
};

}  // namespace

std::unique_ptr<FtdiCalls> MakeLibFtdiCalls() {
    return std::make_unique<LibFtdiCalls>();
}

}  // namespace zeb
