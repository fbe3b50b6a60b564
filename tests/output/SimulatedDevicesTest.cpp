// The simulated devices: exactly the log lines a person or an end-to-end test reads.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <fstream>

#include "output/DeviceFactory.h"
#include "output/SimulatedDevices.h"
#include "output/ftdi/FtdiSetup.h"
#include "output/keyboard/KeyboardLedOutput.h"
#include "output/serial/SerialSetup.h"

namespace zeb {
namespace {

using ::testing::ElementsAre;
using ::testing::IsEmpty;

class SimulatedDevicesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        folder = std::filesystem::temp_directory_path() /
                 ("zeb-sim-" + std::to_string(getpid()) + "-" + info->name()) / "logs";
        std::filesystem::remove_all(folder.parent_path());
    }
    void TearDown() override { std::filesystem::remove_all(folder.parent_path()); }

    std::vector<std::string> Lines(const char* file) const {
        std::ifstream in(folder / file);
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    std::filesystem::path folder;
    int64_t now = 0;
    MillisecondClock clock = [this] { return now; };
};

TEST_F(SimulatedDevicesTest, ParallelPortLogsAccessAndEachRegisterWrite) {
    SimulatedPortIo port(folder, clock);
    EXPECT_TRUE(port.InitializeWinIo(0x378));
    now = 35;
    EXPECT_TRUE(port.SetPortVal(0x378, 0x15a, 1));
    EXPECT_TRUE(port.SetPortVal(0x0001, 0x0b, 1));
    EXPECT_THAT(Lines("lpt.log"), ElementsAre("0 access ok", "35 out 0378 5a", "35 out 0001 0b"));
}

TEST_F(SimulatedDevicesTest, SerialLogsActivationThenLinesAndBytes) {
    std::string zeros;  // 32 characters "0", byte 0x30 each
    for (int i = 0; i < 32; ++i) {
        zeros += "30";
    }
    SimulatedSerialPort port(folder, clock);
    EXPECT_FALSE(port.Output("x"));  // closed: nothing is sent
    EXPECT_FALSE(port.SetDTREnable(false));
    COM(port, "4  ");
    now = 1234;
    port.SetRTSEnable(false);
    port.SetDTREnable(false);
    EXPECT_TRUE(port.Output("\xff"));
    port.Output(std::string(32, '0'));
    EXPECT_THAT(Lines("serial.log"), ElementsAre("0 close", "0 port 4", "0 settings 115200,N,8,1",
                                                 "0 open", "0 dtr 1", "0 rts 1", "1234 rts 0",
                                                 "1234 dtr 0", "1234 tx ff", "1234 tx " + zeros));
}

TEST_F(SimulatedDevicesTest, SerialLogsADevicePathChoice) {
    SimulatedSerialPort port(folder, clock);
    COM(port, "/dev/ttyUSB0");
    EXPECT_EQ(Lines("serial.log").at(1), "0 device /dev/ttyUSB0");
}

TEST_F(SimulatedDevicesTest, FtdiLogsActivationWritesAndExit) {
    SimulatedFtdiDevice ftdi(folder, clock);
    EXPECT_NE(ftdi.Write(0x11), 0);  // before opening nothing reaches the pins
    ftdiinit(ftdi);
    now = 70;
    EXPECT_EQ(ftdi.Write(0x5a), 0);
    FtdiShutdown(ftdi);
    EXPECT_THAT(Lines("ftdi.log"), ElementsAre("0 open 0", "0 bitmode ff 1", "0 baud 57600",
                                               "70 write 5a", "70 write 00", "70 close"));
}

TEST_F(SimulatedDevicesTest, KeyboardLogsOpenLedsRestoreAndClose) {
    SimulatedKeyboardLeds keyboard(folder, clock);
    KeyboardLedOutput output(keyboard);
    ASSERT_TRUE(output.Start());
    now = 10;
    output.Tick(ChannelStatesArray{0, 1, 1});
    output.Stop();
    EXPECT_THAT(Lines("kbd.log"), ElementsAre("0 open", "0 leds num=1 caps=0 scroll=0",
                                              "10 leds num=0 caps=1 scroll=1",
                                              "10 leds num=0 caps=0 scroll=0", "10 close"));
}

TEST_F(SimulatedDevicesTest, LogsAreAppendedAndReadableAtOnce) {
    {
        SimulatedPortIo first(folder, clock);
        first.SetPortVal(0x378, 1, 1);
    }
    SimulatedPortIo second(folder, clock);
    second.SetPortVal(0x378, 2, 1);
    // Read while the device is still alive: every line is flushed as it is written.
    EXPECT_THAT(Lines("lpt.log"), ElementsAre("0 out 0378 01", "0 out 0378 02"));
}

TEST_F(SimulatedDevicesTest, FactoryMakesSimulatedDevicesForAFolder) {
    auto devices = MakeOutputDevices(folder.string(), std::chrono::steady_clock::now());
    ASSERT_TRUE(devices.port && devices.serial && devices.ftdi && devices.keyboard);
    EXPECT_TRUE(devices.port->InitializeWinIo(0x378));
    EXPECT_EQ(devices.ftdi->Open(0), 0);
    EXPECT_TRUE(devices.keyboard->Open());
    EXPECT_TRUE(devices.serial->SetPortOpen(true));
    for (const char* file : {"lpt.log", "ftdi.log", "kbd.log", "serial.log"}) {
        const auto lines = Lines(file);
        ASSERT_EQ(lines.size(), 1u) << file;
        // The program started just now: a small whole number of milliseconds.
        EXPECT_THAT(lines[0], ::testing::MatchesRegex("[0-9]+ (access ok|open 0|open)")) << file;
    }
}

TEST_F(SimulatedDevicesTest, FactoryWithoutAFolderWritesNoLogs) {
    auto devices = MakeOutputDevices("", std::chrono::steady_clock::now());
    ASSERT_TRUE(devices.port && devices.serial && devices.ftdi && devices.keyboard);
    EXPECT_FALSE(std::filesystem::exists(folder));
}

}  // namespace
}  // namespace zeb
