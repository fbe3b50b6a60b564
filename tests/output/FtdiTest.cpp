// The FTDI driver at its libftdi boundary, and the activation and exit steps.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdio>

#include "output/ftdi/FtdiSetup.h"
#include "output/ftdi/LinuxFtdiDevice.h"

namespace zeb {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

// A USB bus holding at most one chip of product `present`; calls are recorded.
class FakeFtdiCalls : public FtdiCalls {
  public:
    int present = 0;  // product id; 0 = no chip
    bool plugged = true;
    bool handleLost = false;  // the open handle belongs to a chip that was unplugged
    int bitmodeResult = 0;
    std::vector<std::string> calls;

    int UsbOpen(int vendor, int product, unsigned index) override {
        calls.push_back("open " + Hex(vendor) + ":" + Hex(product) + " #" + std::to_string(index));
        if (plugged && product == present && index == 0) {
            handleLost = false;
            return 0;
        }
        return -3;  // device not found
    }
    int UsbClose() override {
        calls.push_back("close");
        return 0;
    }
    int SetBitmode(uint8_t mask, uint8_t mode) override {
        calls.push_back("bitmode " + Hex(mask) + " " + std::to_string(mode));
        return bitmodeResult;
    }
    int SetBaudrate(int baud) override {
        calls.push_back("baud " + std::to_string(baud));
        return 0;
    }
    int WriteData(const uint8_t* data, int size) override {
        calls.push_back("write " + Hex(data[0]) + " x" + std::to_string(size));
        return handleLost ? -666 : size;  // libftdi: USB device unavailable
    }
    int ReadPins(uint8_t* pins) override {
        calls.push_back("read pins");
        *pins = 0;
        return handleLost ? -2 : 0;
    }
    void Unplug() {
        plugged = false;
        handleLost = true;
    }

    static std::string Hex(int value) {
        char text[8];
        std::snprintf(text, sizeof text, "%02x", value);
        return text;
    }
};

class FtdiTest : public ::testing::Test {
  protected:
    std::shared_ptr<FakeFtdiCalls> calls = std::make_shared<FakeFtdiCalls>();
    LinuxFtdiDevice device{calls};
};

TEST_F(FtdiTest, ActivationOpensTheFirstChipThenBitBangThenBaudRate) {
    calls->present = 0x6001;
    ftdiinit(device);
    EXPECT_THAT(calls->calls, ElementsAre("open 403:6001 #0", "bitmode ff 1", "baud 57600"));
}

TEST_F(FtdiTest, EachKnownProductIsTriedInTurn) {
    calls->present = 0x6015;
    ftdiinit(device);
    EXPECT_THAT(calls->calls,
                ElementsAre("open 403:6001 #0", "open 403:6010 #0", "open 403:6011 #0",
                            "open 403:6014 #0", "open 403:6015 #0", "bitmode ff 1", "baud 57600"));
}

TEST_F(FtdiTest, NoChipStopsAfterOpeningAndWritesFailQuietly) {
    ftdiinit(device);
    EXPECT_EQ(calls->calls.size(), 5u);  // the five products, nothing after
    calls->calls.clear();
    EXPECT_NE(device.Write(0x5a), 0);
    EXPECT_NE(device.SetBaudRate(57600), 0);
    FtdiShutdown(device);
    EXPECT_THAT(calls->calls, IsEmpty());
}

TEST_F(FtdiTest, FailedBitModeSkipsTheBaudRate) {
    calls->present = 0x6001;
    calls->bitmodeResult = -1;
    ftdiinit(device);
    EXPECT_THAT(calls->calls, ElementsAre("open 403:6001 #0", "bitmode ff 1"));
}

TEST_F(FtdiTest, ActivationAgainKeepsTheWorkingHandle) {
    calls->present = 0x6001;
    ftdiinit(device);
    calls->calls.clear();
    ftdiinit(device);
    EXPECT_THAT(calls->calls, ElementsAre("read pins", "bitmode ff 1", "baud 57600"));
    EXPECT_EQ(device.Write(0x81), 0);
    EXPECT_EQ(calls->calls.back(), "write 81 x1");
}

TEST_F(FtdiTest, UnpluggedChipIsOpenedAgainAtTheNextActivation) {
    calls->present = 0x6001;
    ftdiinit(device);
    calls->Unplug();
    EXPECT_LT(device.Write(0x5a), 0);
    EXPECT_NE(device.Write(0x5a), 0);  // no second USB attempt on a lost chip
    calls->plugged = true;
    calls->calls.clear();
    ftdiinit(device);
    EXPECT_EQ(device.Write(0x01), 0);
    EXPECT_THAT(calls->calls,
                ElementsAre("open 403:6001 #0", "bitmode ff 1", "baud 57600", "write 01 x1"));
}

// Unplugged and plugged in again while no write touched it (another output was selected):
// the handle kept from before is dead, and the next activation must not keep it.
TEST_F(FtdiTest, ChipReplugedBetweenActivationsIsOpenedAfresh) {
    calls->present = 0x6001;
    ftdiinit(device);
    calls->Unplug();
    calls->plugged = true;
    calls->calls.clear();
    ftdiinit(device);
    EXPECT_EQ(device.Write(0x01), 0);
    EXPECT_THAT(calls->calls, ElementsAre("read pins", "close", "open 403:6001 #0", "bitmode ff 1",
                                          "baud 57600", "write 01 x1"));
}

TEST_F(FtdiTest, UnpluggedChipIsClosedOnce) {
    calls->present = 0x6001;
    ftdiinit(device);
    calls->calls.clear();
    calls->Unplug();
    device.Write(0x5a);
    device.Write(0x5a);
    EXPECT_THAT(calls->calls, ElementsAre("write 5a x1", "close"));
}

TEST_F(FtdiTest, ExitSwitchesAllPinsLowThenCloses) {
    calls->present = 0x6014;
    ftdiinit(device);
    calls->calls.clear();
    FtdiShutdown(device);
    EXPECT_THAT(calls->calls, ElementsAre("write 00 x1", "close"));
}

TEST_F(FtdiTest, TheDriverClosesAnOpenChipWhenItGoesAway) {
    calls->present = 0x6001;
    {
        LinuxFtdiDevice scoped(calls);
        scoped.Open(0);
        calls->calls.clear();
    }
    EXPECT_THAT(calls->calls, ElementsAre("close"));
}

}  // namespace
}  // namespace zeb
