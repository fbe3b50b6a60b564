// The real Linux drivers on whatever machine runs the tests. On a build machine none of the
// hardware is there: every call must fail quietly and at once, never crash or hang.

#include <gtest/gtest.h>

#include "output/DeviceFactory.h"
#include "output/ftdi/FtdiSetup.h"
#include "output/keyboard/KeyboardLedOutput.h"
#include "output/serial/SerialSetup.h"

namespace zeb {
namespace {

class RealDevicesTest : public ::testing::Test {
  protected:
    OutputDevices devices = MakeOutputDevices("", std::chrono::steady_clock::now());
};

TEST_F(RealDevicesTest, FtdiActivationTicksAndExitWithoutAChip) {
    ftdiinit(*devices.ftdi);
    ftdiinit(*devices.ftdi);
    if (devices.ftdi->Write(0x00) == 0) {
        GTEST_SKIP() << "an FTDI chip is attached; not driving it from a test";
    }
    FtdiShutdown(*devices.ftdi);
    EXPECT_NE(devices.ftdi->Write(0x5a), 0);
}

TEST_F(RealDevicesTest, SerialActivationOnPortsThatDoNotExist) {
    for (const char* text : {"9", "/dev/zeb-no-such-port", "COM1"}) {
        COM(*devices.serial, text);
    }
    EXPECT_FALSE(devices.serial->Output(std::string(32, '0')));
    devices.serial->SetPortOpen(false);
}

TEST_F(RealDevicesTest, KeyboardOutputStartsOnlyWithAKeyboard) {
    KeyboardLedOutput output(*devices.keyboard);
    const bool started = output.Start();
    EXPECT_EQ(started, output.Running());
    output.Tick(ChannelStatesArray{});
    output.Stop();
    EXPECT_FALSE(output.Running());
}

// Access is only checked: a test must not write to I/O ports that may exist.
TEST_F(RealDevicesTest, ParallelPortWritesFailWithoutAccess) {
    if (devices.port->InitializeWinIo(0x378)) {
        GTEST_SKIP() << "this process may drive I/O ports; not writing from a test";
    }
    EXPECT_FALSE(devices.port->SetPortVal(0x378, 0xFF, 1));
}

}  // namespace
}  // namespace zeb
