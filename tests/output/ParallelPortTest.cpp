// The parallel-port driver at its system boundary, the address text and the access checks.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "FakeSystemCalls.h"
#include "core/SwitchTexts.h"
#include "output/parallel/LinuxPortIo.h"
#include "output/parallel/LptAccess.h"

namespace zeb {
namespace {

using ::testing::ElementsAre;
using testing::FakeSystemCalls;
using ::testing::IsEmpty;

class LinuxPortIoTest : public ::testing::Test {
  protected:
    std::shared_ptr<FakeSystemCalls> system = std::make_shared<FakeSystemCalls>();
    LinuxPortIo port{system};
};

TEST_F(LinuxPortIoTest, KernelPortRegistersGoThroughItsDeviceFile) {
    system->AddParport(0, 0x378);
    ASSERT_TRUE(port.InitializeWinIo());
    system->calls.clear();

    EXPECT_TRUE(port.SetPortVal(0x378, 0x15a, 1));  // only the low byte is written
    EXPECT_TRUE(port.SetPortVal(0x37A, 0x0B, 1));
    EXPECT_THAT(system->calls, ElementsAre("data /dev/parport0 5a", "control /dev/parport0 0b"));
}

TEST_F(LinuxPortIoTest, InitialisingClaimsEachKernelPortOnceAndAsksForRawAccess) {
    system->AddParport(1, 0x278);
    system->AddParport(0, 0x378);
    system->directories["/proc/sys/dev/parport"].push_back("default");
    EXPECT_TRUE(port.InitializeWinIo());
    EXPECT_THAT(system->calls,
                ElementsAre("open /dev/parport0", "claim /dev/parport0", "open /dev/parport1",
                            "claim /dev/parport1", "ioperm 0000 10000 on"));

    system->calls.clear();
    EXPECT_TRUE(port.InitializeWinIo());
    EXPECT_THAT(system->calls, ElementsAre("ioperm 0000 10000 on"));
}

TEST_F(LinuxPortIoTest, OtherAddressesAreWrittenRawOnlyWhenPermitted) {
    system->AddParport(0, 0x378);
    ASSERT_TRUE(port.InitializeWinIo());
    system->calls.clear();
    EXPECT_FALSE(port.SetPortVal(0xD010, 0x01, 1));
    EXPECT_FALSE(port.SetPortVal(0x379, 0x01, 1));  // the status register is not ours
    EXPECT_THAT(system->calls, IsEmpty());

    system->rawIoPermitted = true;
    ASSERT_TRUE(port.InitializeWinIo());
    system->calls.clear();
    EXPECT_TRUE(port.SetPortVal(0xD010, 0xFF, 1));
    EXPECT_TRUE(port.SetPortVal(0x378, 0x01, 1));
    EXPECT_THAT(system->calls, ElementsAre("outb d010 ff", "data /dev/parport0 01"));
}

TEST_F(LinuxPortIoTest, NoPortAndNoRawAccessMeansNoAccessAndSilentFailure) {
    EXPECT_FALSE(port.InitializeWinIo());
    EXPECT_EQ(port.AccessProblem(),
              "no parallel port listed in /proc/sys/dev/parport; "
              "raw port I/O: Operation not permitted");
    system->calls.clear();
    EXPECT_FALSE(port.SetPortVal(0x378, 0x5a, 1));
    EXPECT_THAT(system->calls, IsEmpty());
}

TEST_F(LinuxPortIoTest, UnclaimableOrUnreadablePortsAreSkippedAndClosed) {
    system->AddParport(0, 0x378);
    system->claimFails.insert("/dev/parport0");
    system->AddParport(1, 0x278);
    system->files["/proc/sys/dev/parport/parport1/base-addr"] = "garbage";
    system->AddParport(2, 0xBC00);
    system->openable.erase("/dev/parport2");
    EXPECT_FALSE(port.InitializeWinIo());
    EXPECT_THAT(system->calls,
                ElementsAre("open /dev/parport0", "claim /dev/parport0", "close /dev/parport0",
                            "open /dev/parport2", "ioperm 0000 10000 on"));
    // Each port tried, with the system's reason, for the message's log line.
    EXPECT_EQ(port.AccessProblem(),
              "/dev/parport0: Device or resource busy; /dev/parport2: Permission denied; "
              "raw port I/O: Operation not permitted");
}

// Claiming a port another program holds would wait until that program lets go of it, with
// the window frozen meanwhile: such a port is left alone until the next check.
TEST_F(LinuxPortIoTest, APortInUseElsewhereIsNotWaitedFor) {
    system->AddParport(0, 0x378);
    system->files["/proc/sys/dev/parport/parport0/devices/active"] = "ppdev0\n";
    system->AddParport(1, 0x278);
    EXPECT_TRUE(port.InitializeWinIo());
    EXPECT_THAT(system->calls,
                ElementsAre("open /dev/parport1", "claim /dev/parport1", "ioperm 0000 10000 on"));

    system->files["/proc/sys/dev/parport/parport0/devices/active"] = "none\n";
    system->calls.clear();
    EXPECT_TRUE(port.InitializeWinIo());
    EXPECT_THAT(system->calls,
                ElementsAre("open /dev/parport0", "claim /dev/parport0", "ioperm 0000 10000 on"));
}

TEST_F(LinuxPortIoTest, ControlRegisterOfThePortAtTheTopWrapsToZero) {
    system->AddParport(0, 0xFFFE);
    ASSERT_TRUE(port.InitializeWinIo());
    system->calls.clear();
    EXPECT_TRUE(port.SetPortVal(0x0000, 0x04, 1));
    EXPECT_THAT(system->calls, ElementsAre("control /dev/parport0 04"));
}

TEST_F(LinuxPortIoTest, ClaimedPortsAreClosedWithTheDriver) {
    system->AddParport(0, 0x378);
    {
        LinuxPortIo scoped(system);
        ASSERT_TRUE(scoped.InitializeWinIo());
        system->calls.clear();
    }
    EXPECT_THAT(system->calls, ElementsAre("close /dev/parport0"));
}

// PortIo whose access the test decides, counting the checks.
class ScriptedPortIo : public PortIo {
  public:
    bool access = false;
    int checks = 0;
    bool InitializeWinIo() override {
        ++checks;
        return access;
    }
    bool SetPortVal(uint16_t, uint32_t, int) override { return access; }
};

TEST(LptAccessChecks, EachCheckReportsMissingAccess) {
    ScriptedPortIo port;
    OutputSelection outputs;
    outputs.LptSwitch = ReadOnOff("LPT", kLptTexts);
    EXPECT_TRUE(LptAccessMissing(port));
    EXPECT_TRUE(LptAccessFailsAtStartup(port, outputs));

    port.access = true;
    EXPECT_FALSE(LptAccessMissing(port));
    EXPECT_FALSE(LptAccessFailsAtStartup(port, outputs));
    EXPECT_EQ(port.checks, 4);
}

TEST(LptAccessChecks, StartupChecksOnlyWhenTheOutputIsOn) {
    ScriptedPortIo port;
    OutputSelection outputs;
    for (const char* off : {"0", "", "lpt"}) {
        outputs.LptSwitch = ReadOnOff(off, kLptTexts);
        EXPECT_FALSE(LptAccessFailsAtStartup(port, outputs));
    }
    EXPECT_EQ(port.checks, 0);
}

}  // namespace
}  // namespace zeb
