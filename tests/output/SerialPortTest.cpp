// The serial driver at its library boundary, the activation steps, the line settings text,
// an adapter pulled out and plugged in again, and the real library on a pseudo-terminal.

#include <fcntl.h>
#include <pty.h>
#include <unistd.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "audio/Eventually.h"
#include "audio/RecordingSink.h"
#include "core/SwitchTexts.h"
#include "output/OutputFactory.h"
#include "output/RecordingDevices.h"
#include "output/serial/LinuxSerialPort.h"
#include "output/serial/SerialFrames.h"
#include "output/serial/SerialLineSettings.h"
#include "output/serial/SerialOutput.h"
#include "output/serial/SerialSetup.h"

namespace zeb {
namespace {

using ::testing::ElementsAre;
using ::testing::InSequence;
using ::testing::IsEmpty;
using ::testing::Return;
using ::testing::StrictMock;

class MockSerialPort : public SerialPort {
  public:
    MOCK_METHOD(bool, SetPortOpen, (bool), (override));
    MOCK_METHOD(bool, SetCommPort, (int16_t), (override));
    MOCK_METHOD(bool, SetCommDevice, (const std::string&), (override));
    MOCK_METHOD(bool, SetSettings, (const std::string&), (override));
    MOCK_METHOD(bool, SetDTREnable, (bool), (override));
    MOCK_METHOD(bool, SetRTSEnable, (bool), (override));
    MOCK_METHOD(bool, Output, (std::string_view), (override));
};

TEST(SerialActivation, RunsTheSixStepsInOrderWhateverFails) {
    StrictMock<MockSerialPort> port;
    InSequence order;
    EXPECT_CALL(port, SetPortOpen(false)).WillOnce(Return(false));
    EXPECT_CALL(port, SetCommPort(4)).WillOnce(Return(false));
    EXPECT_CALL(port, SetSettings("115200,N,8,1")).WillOnce(Return(false));
    EXPECT_CALL(port, SetPortOpen(true)).WillOnce(Return(false));
    EXPECT_CALL(port, SetDTREnable(true)).WillOnce(Return(false));
    EXPECT_CALL(port, SetRTSEnable(true)).WillOnce(Return(false));
    COM(port, "4  ");
}

TEST(SerialActivation, PortTextIsANumberADevicePathOrLeftAlone) {
    struct Case {
        const char* text;
        int number;  // 0: no SetCommPort
        const char* device;
    };
    const Case cases[] = {
        {" 7 ", 7, nullptr},   {"+3", 3, nullptr}, {"/dev/ttyUSB0 ", 0, "/dev/ttyUSB0"},
        {"COM3", 0, nullptr},  {"", 0, nullptr},   {"4x", 0, nullptr},
        {"99999", 0, nullptr},  // does not fit 16 bits
        {"-2", -2, nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        StrictMock<MockSerialPort> port;
        EXPECT_CALL(port, SetPortOpen(::testing::_)).Times(2);
        EXPECT_CALL(port, SetSettings(::testing::_));
        EXPECT_CALL(port, SetDTREnable(true));
        EXPECT_CALL(port, SetRTSEnable(true));
        if (c.number != 0) {
            EXPECT_CALL(port, SetCommPort(c.number));
        }
        if (c.device != nullptr) {
            EXPECT_CALL(port, SetCommDevice(std::string(c.device)));
        }
        COM(port, c.text);
    }
}

TEST(SerialLineSettings, ParsesTheFourFields) {
    EXPECT_EQ(ParseSerialLineSettings("115200,N,8,1"), (SerialLineSettings{115200, 'N', 8, 1}));
    EXPECT_EQ(ParseSerialLineSettings("9600,e,7,2"), (SerialLineSettings{9600, 'E', 7, 2}));
    for (const char* bad :
         {"", "115200", "115200,N,8", "115200,N,8,1,0", "0,N,8,1", "115200,X,8,1", "115200,NN,8,1",
          "115200,N,9,1", "115200,N,8,3", "fast,N,8,1", "115200,N,8,1.5"}) {
        EXPECT_EQ(ParseSerialLineSettings(bad), std::nullopt) << bad;
    }
}

// Records the library calls; the ports it lists and whether opening works are the test's.
class FakeSerialCalls : public SerialCalls {
  public:
    std::vector<std::string> ports;
    bool opens = true;
    bool modemLinesWork = true;
    int accepts = 1 << 20;  // bytes the output buffer still takes
    std::vector<std::string> calls;

    std::vector<std::string> ListPorts() override { return ports; }
    bool Open(const std::string& device) override {
        calls.push_back("open " + device);
        return opens;
    }
    void Close() override {
        const std::lock_guard lock(gate_);
        calls.push_back("close");
        closed_ = true;
        gateChanged_.notify_all();
    }
    bool Configure(const SerialLineSettings& s) override {
        calls.push_back("configure " + std::to_string(s.baud) + s.parity +
                        std::to_string(s.dataBits) + std::to_string(s.stopBits));
        return true;
    }
    bool SetDtr(bool on) override {
        calls.push_back(on ? "dtr on" : "dtr off");
        return modemLinesWork;
    }
    bool SetRts(bool on) override {
        calls.push_back(on ? "rts on" : "rts off");
        return modemLinesWork;
    }
    int WriteNonBlocking(std::string_view bytes) override {
        const int taken = std::min(accepts, static_cast<int>(bytes.size()));
        calls.push_back("write " + std::string(bytes.substr(0, taken)));
        return taken;
    }
    // The bytes have left the wire when this returns; while `holdDrains`, that waits.
    bool Drain() override {
        std::unique_lock lock(gate_);
        calls.push_back("drain");
        ++drainsEntered_;
        gateChanged_.notify_all();
        gateChanged_.wait(lock, [this] { return !holdDrains_; });
        return true;
    }

    void HoldDrains() {
        const std::lock_guard lock(gate_);
        holdDrains_ = true;
    }
    void WaitUntilADrainIsHeld() {
        std::unique_lock lock(gate_);
        gateChanged_.wait(lock, [this] { return drainsEntered_ > 0; });
    }
    void ReleaseDrains() {
        const std::lock_guard lock(gate_);
        holdDrains_ = false;
        gateChanged_.notify_all();
    }
    // Every call made so far, once the port has been closed.
    std::vector<std::string> CallsUntilClosed() {
        std::unique_lock lock(gate_);
        gateChanged_.wait(lock, [this] { return closed_; });
        return calls;
    }

  private:
    std::mutex gate_;
    std::condition_variable gateChanged_;
    bool holdDrains_ = false;
    int drainsEntered_ = 0;
    bool closed_ = false;
};

class LinuxSerialPortTest : public ::testing::Test {
  protected:
    std::shared_ptr<FakeSerialCalls> calls = std::make_shared<FakeSerialCalls>();
    LinuxSerialPort port{[this] { return calls; }};
};

TEST_F(LinuxSerialPortTest, PortNumbersFollowTheDeviceNamesInNaturalOrder) {
    calls->ports = {"/dev/ttyUSB0", "/dev/ttyS10", "/dev/ttyS2", "/dev/ttyS0", "/dev/ttyACM0"};
    const char* expected[] = {"/dev/ttyACM0", "/dev/ttyS0", "/dev/ttyS2", "/dev/ttyS10",
                              "/dev/ttyUSB0"};
    for (int16_t n = 1; n <= 5; ++n) {
        ASSERT_TRUE(port.SetCommPort(n));
        ASSERT_TRUE(port.SetPortOpen(true));
        ASSERT_TRUE(port.SetPortOpen(false));
        EXPECT_EQ(calls->calls.front(), std::string("open ") + expected[n - 1]);
        calls->calls.clear();
    }
}

TEST_F(LinuxSerialPortTest, AMissingPortNumberLeavesNothingToOpen) {
    calls->ports = {"/dev/ttyS0"};
    ASSERT_TRUE(port.SetCommPort(1));
    EXPECT_FALSE(port.SetCommPort(2));
    EXPECT_FALSE(port.SetCommPort(0));
    EXPECT_FALSE(port.SetPortOpen(true));
    EXPECT_FALSE(port.Output("x"));
    EXPECT_THAT(calls->calls, IsEmpty());
}

TEST_F(LinuxSerialPortTest, OpeningAppliesSettingsAndLinesChosenBefore) {
    ASSERT_TRUE(port.SetCommDevice("/dev/ttyUSB1"));
    ASSERT_TRUE(port.SetSettings("115200,N,8,1"));
    EXPECT_FALSE(port.SetDTREnable(false));  // kept until the port opens
    EXPECT_FALSE(port.SetSettings("bogus"));
    EXPECT_THAT(calls->calls, IsEmpty());

    ASSERT_TRUE(port.SetPortOpen(true));
    EXPECT_THAT(calls->calls,
                ElementsAre("open /dev/ttyUSB1", "configure 115200N81", "dtr off", "rts on"));
}

TEST_F(LinuxSerialPortTest, OpenPortTakesLinesAndBytesAtOnce) {
    port.SetCommDevice("/dev/ttyS0");
    ASSERT_TRUE(port.SetPortOpen(true));
    calls->calls.clear();
    EXPECT_TRUE(port.SetRTSEnable(false));
    EXPECT_TRUE(port.SetDTREnable(true));
    EXPECT_TRUE(port.Output("\xff"));
    EXPECT_TRUE(port.SetSettings("9600,N,8,1"));
    EXPECT_THAT(calls->calls, ElementsAre("rts off", "dtr on", "write \xff", "configure 9600N81"));
}

TEST_F(LinuxSerialPortTest, AFullOutputBufferDropsTheRestInsteadOfWaiting) {
    port.SetCommDevice("/dev/ttyS0");
    ASSERT_TRUE(port.SetPortOpen(true));
    calls->accepts = 10;
    EXPECT_FALSE(port.Output(std::string(32, '0')));
    EXPECT_EQ(calls->calls.back(), "write " + std::string(10, '0'));
}

TEST_F(LinuxSerialPortTest, APortThatWillNotOpenStaysClosedAndSilent) {
    calls->opens = false;
    port.SetCommDevice("/dev/ttyS0");
    EXPECT_FALSE(port.SetPortOpen(true));
    EXPECT_FALSE(port.SetDTREnable(true));
    EXPECT_FALSE(port.Output("0"));
    EXPECT_TRUE(port.SetPortOpen(false));
    EXPECT_THAT(calls->calls, ElementsAre("open /dev/ttyS0"));
}

TEST_F(LinuxSerialPortTest, ActivationAgainClosesAndReopens) {
    calls->ports = {"/dev/ttyS0", "/dev/ttyS1"};
    COM(port, "2");
    calls->calls.clear();
    COM(port, "1");
    EXPECT_THAT(calls->calls, ElementsAre("close", "open /dev/ttyS0", "configure 115200N81",
                                          "dtr on", "rts on", "dtr on", "rts on"));
}

TEST_F(LinuxSerialPortTest, EachDtrLevelHoldsUntilItsPulseHasLeftTheWire) {
    OutputDevices devices;
    devices.serial = std::make_unique<LinuxSerialPort>([this] { return calls; });
    ASSERT_TRUE(devices.serial->SetCommDevice("/dev/ttyUSB0"));
    ASSERT_TRUE(devices.serial->SetPortOpen(true));
    calls->calls.clear();
    EngineState state;
    state.ChannelStates = {1, 0, 0, 1, 0, 0, 0, 1};
    WriteSerialFrame(SerialMode::Usb8Led, state, *devices.serial);
    devices.serial.reset();  // the frame still goes out in full

    std::vector<std::string> expected{"rts on"};
    for (const int lit : {1, 0, 0, 1, 0, 0, 0, 1}) {
        expected.insert(expected.end(), {lit ? "dtr on" : "dtr off", "write \xff", "drain"});
    }
    expected.push_back("rts off");
    EXPECT_EQ(calls->calls, expected);
}

TEST_F(LinuxSerialPortTest, ANewerFrameReplacesAWaitingOneAndClosingLetsTheLastOut) {
    port.SetCommDevice("/dev/ttyS0");
    ASSERT_TRUE(port.SetPortOpen(true));
    calls->calls.clear();
    calls->HoldDrains();
    // The tick hands frames over without waiting, even while the port is stuck in one.
    ASSERT_TRUE(port.WriteFrame({SerialStep::Send("a"), SerialStep::Dtr(false)}));
    calls->WaitUntilADrainIsHeld();
    ASSERT_TRUE(port.WriteFrame({SerialStep::Rts(false), SerialStep::Send("b")}));
    ASSERT_TRUE(port.WriteFrame({SerialStep::Rts(true), SerialStep::Send("c")}));
    std::jthread wire([this] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        calls->ReleaseDrains();
    });
    ASSERT_TRUE(port.SetPortOpen(false));
    EXPECT_THAT(calls->calls,
                ElementsAre("write a", "drain", "dtr off", "rts on", "write c", "drain", "close"));
    EXPECT_FALSE(port.WriteFrame({SerialStep::Send("d")}));
}

// A transmitter that never drains (a stalled adapter): closing and destroying the driver
// return once the frames had their time, and the writer left in the drain closes its handle
// and lets go of everything when the drain finally returns.
TEST(LinuxSerialPortStall, AStalledPortIsLeftToItsWriterAndOpenedAfreshOnceItLetGo) {
    auto stalled = std::make_shared<FakeSerialCalls>();
    auto fresh = std::make_shared<FakeSerialCalls>();
    int made = 0;
    auto port = std::make_unique<LinuxSerialPort>(
        [&]() -> std::shared_ptr<SerialCalls> { return ++made == 1 ? stalled : fresh; });
    ASSERT_TRUE(port->SetCommDevice("/dev/ttyUSB0"));
    ASSERT_TRUE(port->SetPortOpen(true));

    // A driver that waits on the drain would wait for this watchdog, and fail below.
    std::atomic<bool> releasedByWatchdog = false;
    const auto stall = [&](FakeSerialCalls& calls) {
        calls.HoldDrains();
        EXPECT_TRUE(port->WriteFrame({SerialStep::Send("a"), SerialStep::Dtr(false)}));
        calls.WaitUntilADrainIsHeld();
        return std::jthread([&calls, &releasedByWatchdog](const std::stop_token& stop) {
            std::mutex mutex;
            std::unique_lock lock(mutex);
            std::condition_variable_any().wait_for(lock, stop, std::chrono::seconds(20),
                                                   [] { return false; });
            releasedByWatchdog = !stop.stop_requested();
            calls.ReleaseDrains();
        });
    };
    const auto lettingGo = [](const std::shared_ptr<FakeSerialCalls>& calls) {
        return testing::Eventually([&] { return calls.use_count() == 1; });
    };

    {
        auto watchdog = stall(*stalled);
        EXPECT_TRUE(port->SetPortOpen(false));
        EXPECT_FALSE(releasedByWatchdog);
        EXPECT_FALSE(port->WriteFrame({SerialStep::Send("b")}));
        EXPECT_FALSE(port->SetPortOpen(true)) << "the device is still held by the stalled writer";
    }  // the watchdog releases the drain at once
    EXPECT_THAT(stalled->CallsUntilClosed(),
                ElementsAre("open /dev/ttyUSB0", "configure 9600N81", "dtr on", "rts on", "write a",
                            "drain", "close"));
    EXPECT_TRUE(lettingGo(stalled));

    ASSERT_TRUE(port->SetPortOpen(true));
    {
        auto watchdog = stall(*fresh);
        port.reset();
        EXPECT_FALSE(releasedByWatchdog);
    }
    // The fresh handle opens with the line levels of the last frame.
    EXPECT_THAT(fresh->CallsUntilClosed(),
                ElementsAre("open /dev/ttyUSB0", "configure 9600N81", "dtr off", "rts on",
                            "write a", "drain", "close"));
    EXPECT_TRUE(lettingGo(fresh));
    EXPECT_EQ(made, 2);
}

// A USB adapter that can be pulled out and plugged in again: while it is out, every call fails
// on a line the system has hung up, and the device cannot be opened.
class UnpluggableSerialCalls : public SerialCalls {
  public:
    void Unplug(bool out) {
        const std::lock_guard lock(mutex_);
        out_ = out;
    }
    // The calls since the last look.
    std::vector<std::string> TakeCalls() {
        const std::lock_guard lock(mutex_);
        return std::exchange(calls_, {});
    }

    std::vector<std::string> ListPorts() override { return {"/dev/ttyUSB0"}; }
    bool Open(const std::string& device) override { return Call("open " + device); }
    void Close() override { Call("close"); }
    bool Configure(const SerialLineSettings& /*settings*/) override { return Call("configure"); }
    bool SetDtr(bool on) override { return Call(on ? "dtr on" : "dtr off"); }
    bool SetRts(bool on) override { return Call(on ? "rts on" : "rts off"); }
    int WriteNonBlocking(std::string_view bytes) override {
        return Call("write " + std::to_string(bytes.size())) ? static_cast<int>(bytes.size()) : -1;
    }
    bool Drain() override { return Call("drain"); }
    std::string LostReason() override {
        const std::lock_guard lock(mutex_);
        return out_ ? "Input/output error" : "";
    }

  private:
    bool Call(std::string call) {
        const std::lock_guard lock(mutex_);
        calls_.push_back(std::move(call) + (out_ ? " failed" : ""));
        return !out_;
    }
    std::mutex mutex_;
    bool out_ = false;
    std::vector<std::string> calls_;
};

// The adapter pulled out under a running "COM" output: one line naming the port and the
// reason, the state line and the window's model say so, the ticks meanwhile only look for the
// device about every half second, and once it is back the same device is opened and driven.
TEST(SerialPortLoss, APulledAdapterIsReportedOnceAndOpenedAgainByNameOnceBack) {
    const auto adapter = std::make_shared<UnpluggableSerialCalls>();
    testing::CallLog others;
    OutputDevices devices = testing::RecordingDevices(others);
    devices.serial = std::make_unique<LinuxSerialPort>([adapter] { return adapter; });
    OutputSelection selection{ReadOutputMode("COM"), ReadOnOff("0", kLptTexts),
                              ReadOnOff("0", kKeyboardTexts), ""};
    ChoiceList addresses;
    ChoiceList portBox(true);
    portBox.SetText("1");
    DmxSettings dmx;
    std::string lostShown;
    testing::RecordingSink messages;
    Outputs outputs =
        MakeOutputs(devices, {selection, addresses, portBox, dmx, &lostShown}, messages);
    const EngineState state;
    const ChannelConfigs channels = DefaultChannelConfigs();
    const auto tick = [&] { outputs.stage.Write({state, channels, false}); };

    outputs.stage.Open();
    tick();
    ASSERT_TRUE(testing::Eventually([&] {
        const auto calls = adapter->TakeCalls();
        return std::find(calls.begin(), calls.end(), "drain") != calls.end();
    })) << "no frame reached the adapter";
    EXPECT_EQ(outputs.stage.InUse(), "COM");

    adapter->Unplug(true);
    ASSERT_TRUE(testing::Eventually([&] {
        tick();
        return !messages.notices.empty();
    }));
    const std::string line =
        "serial port 1 (/dev/ttyUSB0) lost: Input/output error; it is opened again as soon as "
        "it is back";
    EXPECT_EQ(outputs.stage.InUse(), "COM (port lost)");
    EXPECT_EQ(lostShown, line);
    // The writer let go of the hung-up handle at once; nothing more was played on it.
    const auto atLoss = adapter->TakeCalls();
    ASSERT_FALSE(atLoss.empty());
    EXPECT_EQ(atLoss.back(), "close failed");

    for (int i = 0; i < 3 * SerialOutput::kTicksBetweenReopens; ++i) {
        tick();
    }
    EXPECT_EQ(messages.notices, std::vector<std::string>{line}) << "one line, not one a tick";
    EXPECT_THAT(adapter->TakeCalls(),
                ElementsAre("open /dev/ttyUSB0 failed", "open /dev/ttyUSB0 failed",
                            "open /dev/ttyUSB0 failed"));

    adapter->Unplug(false);
    for (int i = 0; i < SerialOutput::kTicksBetweenReopens; ++i) {
        tick();
    }
    EXPECT_EQ(outputs.stage.InUse(), "COM");
    EXPECT_EQ(lostShown, "");
    ASSERT_TRUE(testing::Eventually([&] {
        tick();
        const auto calls = adapter->TakeCalls();
        return std::find(calls.begin(), calls.end(), "drain") != calls.end();
    })) << "no frame after the adapter came back";
    EXPECT_EQ(messages.notices.size(), 1U);
    outputs.stage.DarkenAndClose();
}

// The library itself: this version refuses pseudo-terminals (they lack modem-control
// lines), and the port must then fail without blocking and without reaching the terminal.
TEST(LibSerialPort, PseudoTerminalFailsSilentlyWithoutBlocking) {
    int master = -1;
    int slave = -1;
    char name[128] = {};
    ASSERT_EQ(openpty(&master, &slave, name, nullptr, nullptr), 0);
    fcntl(master, F_SETFL, O_NONBLOCK);
    {
        LinuxSerialPort port(MakeLibSerialPortCalls);
        COM(port, name);
        const bool sent = port.Output(std::string(32, '0'));
        char received[64];
        const ssize_t got = read(master, received, sizeof received);
        if (sent) {
            ASSERT_EQ(got, 32);
            EXPECT_EQ(std::string(received, 32), std::string(32, '0'));
        } else {
            EXPECT_LE(got, 0);
        }
        port.SetPortOpen(false);
    }
    close(slave);
    close(master);
}

}  // namespace
}  // namespace zeb
