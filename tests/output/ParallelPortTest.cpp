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

// A machine's /proc/ioports as root sees it: a parallel port the kernel drives at 378, the
// keyboard controller and the reset register, and two PCI cards without a driver: a parallel
// port at d010 and a network card at e000.
constexpr const char* kIoPorts =
    "0000-0cf7 : PCI Bus 0000:00\n"
    "  0060-0060 : keyboard\n"
    "  0064-0064 : keyboard\n"
    "  0378-037a : parport0\n"
    "0cf8-0cff : PCI conf1\n"
    "0d00-ffff : PCI Bus 0000:00\n"
    "  d000-dfff : PCI Bus 0000:05\n"
    "    d010-d017 : 0000:05:00.0\n"
    "  e000-e01f : 0000:06:00.0\n";

class LinuxPortIoTest : public ::testing::Test {
  protected:
    LinuxPortIoTest() {
        system->files["/proc/ioports"] = kIoPorts;
        system->files["/sys/bus/pci/devices/0000:05:00.0/class"] = "0x070102\n";
        system->files["/sys/bus/pci/devices/0000:06:00.0/class"] = "0x020000\n";
    }
    std::shared_ptr<FakeSystemCalls> system = std::make_shared<FakeSystemCalls>();
    LinuxPortIo port{system};
};

TEST_F(LinuxPortIoTest, KernelPortRegistersGoThroughItsDeviceFile) {
    system->AddParport(0, 0x378);
    ASSERT_TRUE(port.InitializeWinIo(0x378));
    system->calls.clear();

    EXPECT_TRUE(port.SetPortVal(0x378, 0x15a, 1));  // only the low byte is written
    EXPECT_TRUE(port.SetPortVal(0x37A, 0x0B, 1));
    EXPECT_THAT(system->calls, ElementsAre("data /dev/parport0 5a", "control /dev/parport0 0b"));
}

TEST_F(LinuxPortIoTest, InitialisingClaimsEachKernelPortOnceAndAsksNoRawAccessForThem) {
    system->AddParport(1, 0x278);
    system->AddParport(0, 0x378);
    system->directories["/proc/sys/dev/parport"].push_back("default");
    system->rawIoPermitted = true;
    EXPECT_TRUE(port.InitializeWinIo(0x278));
    EXPECT_THAT(system->calls, ElementsAre("open /dev/parport0", "claim /dev/parport0",
                                           "open /dev/parport1", "claim /dev/parport1"));

    system->calls.clear();
    EXPECT_TRUE(port.InitializeWinIo(0x378));
    EXPECT_TRUE(port.InitializeWinIo(std::nullopt));  // an address that is no port number
    EXPECT_THAT(system->calls, IsEmpty());
}

// Raw port I/O as root writes wherever the address points: only the port's own three
// registers are asked for, and never where the kernel lists another device.
TEST_F(LinuxPortIoTest, RawAccessCoversExactlyThePortsRegistersAndOnlyWherePermitted) {
    EXPECT_FALSE(port.InitializeWinIo(0xD010));
    EXPECT_EQ(port.AccessProblem(),
              "no parallel port listed in /proc/sys/dev/parport; "
              "raw port I/O at d010-d012: Operation not permitted");
    system->calls.clear();
    EXPECT_FALSE(port.SetPortVal(0xD010, 0x01, 1));
    EXPECT_THAT(system->calls, IsEmpty());

    system->rawIoPermitted = true;
    ASSERT_TRUE(port.InitializeWinIo(0xD010));
    ASSERT_TRUE(port.InitializeWinIo(0x0278));  // free: listed inside a bus, by nobody
    EXPECT_TRUE(port.InitializeWinIo(0xD010));  // granted once
    EXPECT_TRUE(port.SetPortVal(0xD010, 0xFF, 1));
    EXPECT_TRUE(port.SetPortVal(0xD012, 0x0B, 1));
    EXPECT_TRUE(port.SetPortVal(0x027A, 0x0B, 1));
    EXPECT_FALSE(port.SetPortVal(0xD013, 0x01, 1));  // beyond the port
    EXPECT_FALSE(port.SetPortVal(0x0064, 0x01, 1));
    EXPECT_THAT(system->calls, ElementsAre("ioperm d010 00003 on", "ioperm 0278 00003 on",
                                           "outb d010 ff", "outb d012 0b", "outb 027a 0b"));
}

TEST_F(LinuxPortIoTest, AnAddressTheKernelListsForAnotherDeviceIsRefusedByName) {
    system->rawIoPermitted = true;
    for (const auto& [base, refusal] : {
             std::pair<uint16_t, std::string>{
                 0x0062,
                 "raw port I/O at 0062-0064 refused: /proc/ioports lists port 0064 "
                 "as part of 0064-0064 : keyboard, not a parallel port"},
             {0x0CF9,
              "raw port I/O at 0cf9-0cfb refused: /proc/ioports lists port 0cf9 as "
              "part of 0cf8-0cff : PCI conf1, not a parallel port"},
             {0xE000,
              "raw port I/O at e000-e002 refused: /proc/ioports lists port e000 as "
              "part of e000-e01f : 0000:06:00.0, not a parallel port"},
         }) {
        system->calls.clear();
        EXPECT_FALSE(port.InitializeWinIo(base));
        EXPECT_EQ(port.AccessProblem(),
                  "no parallel port listed in /proc/sys/dev/parport; " + refusal);
        EXPECT_FALSE(port.SetPortVal(base, 0xFF, 1));
        EXPECT_THAT(system->calls, IsEmpty());
    }

    // A list the kernel shows without addresses (to a process that may not see them) or no
    // list at all cannot tell what lies there.
    system->files["/proc/ioports"] = "0000-0000 : PCI Bus 0000:00\n  0000-0000 : keyboard\n";
    EXPECT_FALSE(port.InitializeWinIo(0x0378));
    EXPECT_THAT(port.AccessProblem(), ::testing::HasSubstr("shows this process no port addresses"));
    system->files.erase("/proc/ioports");
    EXPECT_FALSE(port.InitializeWinIo(0x0378));
    EXPECT_THAT(port.AccessProblem(), ::testing::EndsWith("/proc/ioports cannot be read"));
    EXPECT_THAT(system->calls, IsEmpty());
}

TEST_F(LinuxPortIoTest, UnclaimableOrUnreadablePortsAreSkippedAndClosed) {
    system->AddParport(0, 0x378);
    system->claimFails.insert("/dev/parport0");
    system->AddParport(1, 0x278);
    system->files["/proc/sys/dev/parport/parport1/base-addr"] = "garbage";
    system->AddParport(2, 0xBC00);
    system->openable.erase("/dev/parport2");
    EXPECT_FALSE(port.InitializeWinIo(0x378));
    EXPECT_THAT(system->calls,
                ElementsAre("open /dev/parport0", "claim /dev/parport0", "close /dev/parport0",
                            "open /dev/parport2", "ioperm 0378 00003 on"));
    // Each port tried, with the system's reason, for the message's log line.
    EXPECT_EQ(port.AccessProblem(),
              "/dev/parport0: Device or resource busy; /dev/parport2: Permission denied; "
              "raw port I/O at 0378-037a: Operation not permitted");
}

// Claiming a port another program holds would wait until that program lets go of it, with
// the window frozen meanwhile: such a port is left alone until the next check.
TEST_F(LinuxPortIoTest, APortInUseElsewhereIsNotWaitedFor) {
    system->AddParport(0, 0x378);
    system->files["/proc/sys/dev/parport/parport0/devices/active"] = "ppdev0\n";
    system->AddParport(1, 0x278);
    EXPECT_TRUE(port.InitializeWinIo(0x278));
    EXPECT_THAT(system->calls, ElementsAre("open /dev/parport1", "claim /dev/parport1"));

    system->files["/proc/sys/dev/parport/parport0/devices/active"] = "none\n";
    system->calls.clear();
    EXPECT_TRUE(port.InitializeWinIo(0x378));
    EXPECT_THAT(system->calls, ElementsAre("open /dev/parport0", "claim /dev/parport0"));
}

TEST_F(LinuxPortIoTest, ControlRegisterOfThePortAtTheTopWrapsToZero) {
    system->AddParport(0, 0xFFFE);
    ASSERT_TRUE(port.InitializeWinIo(0xFFFE));
    system->rawIoPermitted = true;
    ASSERT_TRUE(port.InitializeWinIo(0xFFFF));  // raw: ffff, then 0000 and 0001
    system->calls.clear();
    EXPECT_TRUE(port.SetPortVal(0x0000, 0x04, 1));
    EXPECT_TRUE(port.SetPortVal(0x0001, 0x04, 1));
    EXPECT_THAT(system->calls, ElementsAre("control /dev/parport0 04", "outb 0001 04"));
}

TEST_F(LinuxPortIoTest, ClaimedPortsAreClosedWithTheDriver) {
    system->AddParport(0, 0x378);
    {
        LinuxPortIo scoped(system);
        ASSERT_TRUE(scoped.InitializeWinIo(0x378));
        system->calls.clear();
    }
    EXPECT_THAT(system->calls, ElementsAre("close /dev/parport0"));
}

// PortIo whose access the test decides, counting the checks.
class ScriptedPortIo : public PortIo {
  public:
    bool access = false;
    int checks = 0;
    std::vector<std::optional<uint16_t>> bases;
    bool InitializeWinIo(std::optional<uint16_t> base) override {
        ++checks;
        bases.push_back(base);
        return access;
    }
    bool SetPortVal(uint16_t, uint32_t, int) override { return access; }
};

TEST(LptAccessChecks, EachCheckReportsMissingAccess) {
    ScriptedPortIo port;
    OutputSelection outputs;
    outputs.LptSwitch = ReadOnOff("LPT", kLptTexts);
    outputs.LptAddressText = "378";
    EXPECT_TRUE(LptAccessMissing(port, "D010"));
    EXPECT_TRUE(LptAccessFailsAtStartup(port, outputs));

    port.access = true;
    EXPECT_FALSE(LptAccessMissing(port, "x"));
    EXPECT_FALSE(LptAccessFailsAtStartup(port, outputs));
    // Each check is about the address it was given.
    EXPECT_THAT(port.bases, ElementsAre(0xD010, 0x378, std::nullopt, 0x378));
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
