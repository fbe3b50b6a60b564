#include <gtest/gtest.h>

#include <initializer_list>

#include "RecordingDevices.h"
#include "core/SwitchTexts.h"
#include "engine/EngineTick.h"
#include "output/OutputFactory.h"
#include "output/parallel/ParallelFrame.h"

namespace zeb {
namespace {

using testing::CallLog;
using Log = std::vector<std::string>;

EngineState StateWithLit(std::initializer_list<int> lit) {
    EngineState state;
    for (const int channel : lit) {
        state.ChannelStates[static_cast<size_t>(channel)] = 1;
    }
    state.ChannelByte = PackChannelByte(state.ChannelStates);
    return state;
}

class OutputStageTest : public ::testing::Test {
  protected:
    Log Write(const std::string& mode, const std::string& lpt, const EngineState& state,
              const std::string& addressBox = "378") {
        log.clear();
        selection.OutputMode = ReadOutputMode(mode);
        selection.LptSwitch = ReadOnOff(lpt, kLptTexts);
        ChoiceList addresses({addressBox});
        addresses.SetIndex(0);
        Outputs outputs = MakeOutputs(devices, {selection, addresses, portBox, dmx}, messages);
        const ChannelConfigs channels = DefaultChannelConfigs();
        outputs.stage.Write({state, channels, false});
        return log;
    }

    CallLog log;
    OutputDevices devices = testing::RecordingDevices(log);
    ChoiceList portBox;
    DmxSettings dmx;
    class : public MessageSink {
        void ShowMessage(const std::string&, const std::string&, MessageIcon,
                         const std::string&) override {}
    } messages;
    OutputSelection selection{ReadOutputMode("0"), ReadOnOff("0", kLptTexts),
                              ReadOnOff("0", kKeyboardTexts), "378"};
    const EngineState dark = StateWithLit({});
    // Channels 0, 2, 5 of the low byte and 9, 11 of the control nibble lit.
    const EngineState mixed = StateWithLit({0, 2, 5, 9, 11});
};

TEST_F(OutputStageTest, NothingSelectedWritesNothing) {
    EXPECT_TRUE(Write("0", "0", mixed).empty());
    EXPECT_TRUE(Write("ftdi", "lpt", mixed).empty()) << "switch texts compare exactly";
    EXPECT_TRUE(Write("", "", mixed).empty());
}

TEST_F(OutputStageTest, FtdiThenParallelDataThenControl) {
    EXPECT_EQ(Write("FTDI", "LPT", mixed),
              (Log{"ftdi 25", "port 0378 25 size 1", "port 037A 01 size 1"}));
    EXPECT_EQ(Write("FTDI", "LPT", dark),
              (Log{"ftdi 00", "port 0378 00 size 1", "port 037A 0B size 1"}));
    EXPECT_EQ(Write("FTDI", "0", mixed), (Log{"ftdi 25"}));
}

// RTS at `rts` during the shift, then flipped; one DTR level ('0' or '1') and one 0xFF pulse
// per channel 0..7.
Log ShiftFrame(Log frame, char rts, std::string_view dtrLevels) {
    const char flipped = rts == '0' ? '1' : '0';
    frame.push_back(std::string("RTS ") + rts);
    for (const char dtr : dtrLevels) {
        frame.insert(frame.end(), {std::string("DTR ") + dtr, "out FFx1"});
    }
    frame.push_back(std::string("RTS ") + flipped);
    return frame;
}

TEST_F(OutputStageTest, ComShiftsChannelsOutWithDtrLowForLit) {
    EXPECT_EQ(Write("COM", "LPT", mixed),
              ShiftFrame({"port 0378 25 size 1", "port 037A 01 size 1"}, '0', "01011011"));
    EXPECT_EQ(Write("COM", "0", dark), ShiftFrame({}, '0', "11111111"));
}

TEST_F(OutputStageTest, Usb8LedShiftsWithTheOppositeLevels) {
    EXPECT_EQ(Write("USB8LED", "0", mixed), ShiftFrame({}, '1', "10100100"));
    EXPECT_EQ(Write("USB8LED", "LPT", dark),
              ShiftFrame({"port 0378 00 size 1", "port 037A 0B size 1"}, '1', "00000000"));
}

TEST_F(OutputStageTest, Usb3LedDrivesThreeChannels) {
    EXPECT_EQ(Write("USB3LED", "LPT", dark),
              (Log{"port 0378 00 size 1", "port 037A 0B size 1", "DTR 1", "RTS 1"}));
    EXPECT_EQ(Write("USB3LED", "0", mixed), (Log{"DTR 0", "RTS 1", "out 30x32"}));
    EXPECT_EQ(Write("USB3LED", "0", StateWithLit({1, 3, 4, 5, 6, 7, 8, 9, 10, 11})),
              (Log{"DTR 1", "RTS 0"}));
}

TEST_F(OutputStageTest, HighChannelsReachOnlyTheControlRegister) {
    const EngineState high = StateWithLit({8, 9, 10, 11});
    EXPECT_EQ(Write("FTDI", "LPT", high),
              (Log{"ftdi 00", "port 0378 00 size 1", "port 037A 04 size 1"}));
}

TEST_F(OutputStageTest, DataGoesToTheRememberedAddressControlToTheAddressBox) {
    selection.LptAddressText = "278";
    EXPECT_EQ(Write("0", "LPT", mixed, "3BC"), (Log{"port 0278 25 size 1", "port 03BE 01 size 1"}));
    // The control port wraps at 16 bits.
    EXPECT_EQ(Write("0", "LPT", mixed, "FFFF"),
              (Log{"port 0278 25 size 1", "port 0001 01 size 1"}));
}

TEST_F(OutputStageTest, UnreadableAddressWritesNoPort) {
    selection.LptAddressText = "";
    EXPECT_EQ(Write("0", "LPT", mixed, "378"), (Log{"port 037A 01 size 1"}));
    selection.LptAddressText = "378";
    EXPECT_EQ(Write("0", "LPT", mixed, "12345"), (Log{"port 0378 25 size 1"}));
    selection.LptAddressText = "xyz";
    EXPECT_EQ(Write("FTDI", "LPT", mixed, ""), (Log{"ftdi 25"}));
}

TEST_F(OutputStageTest, MissingDevicesAreSkipped) {
    devices.ftdi.reset();
    devices.port.reset();
    EXPECT_EQ(Write("FTDI", "LPT", mixed), Log{});
    EXPECT_EQ(Write("USB3LED", "LPT", mixed).size(), 3u);
    devices.serial.reset();
    EXPECT_TRUE(Write("COM", "LPT", mixed).empty());
}

TEST(ControlNibble, AllSixteenCombinations) {
    // Lit channels among 8..11 as bits (bit k = channel 8 + k) -> nibble.
    const std::pair<int, int> table[] = {{0b0000, 11}, {0b0001, 10}, {0b0010, 9},  {0b0100, 15},
                                         {0b1000, 3},  {0b0011, 8},  {0b0101, 14}, {0b1001, 2},
                                         {0b0110, 13}, {0b1010, 1},  {0b1100, 7},  {0b0111, 12},
                                         {0b1011, 0},  {0b1101, 6},  {0b1110, 5},  {0b1111, 4}};
    for (const auto& [litBits, nibble] : table) {
        ChannelStatesArray states{};
        states.fill(1);  // low channels do not matter
        for (int k = 0; k < 4; ++k) {
            states[static_cast<size_t>(8 + k)] = (litBits >> k) & 1 ? 1 : 0;
        }
        EXPECT_EQ(ControlNibble(states), nibble) << "lit bits " << litBits;
    }
}

TEST(ReadHexPort, LenientHexadecimal) {
    EXPECT_EQ(ReadHexPort("378"), 0x378);
    EXPECT_EQ(ReadHexPort("3bc"), 0x3BC);
    EXPECT_EQ(ReadHexPort("FFFF"), 0xFFFF);
    EXPECT_EQ(ReadHexPort("0"), 0);
    EXPECT_EQ(ReadHexPort("000378"), 0x378) << "leading zeros are not significant";
    EXPECT_EQ(ReadHexPort("37Z"), 0x37);
    EXPECT_EQ(ReadHexPort("378 (LPT1)"), 0x378);
    EXPECT_EQ(ReadHexPort("  278"), 0x278) << "leading blanks skipped";
}

TEST(ReadHexPort, NoUsablePortNumber) {
    EXPECT_EQ(ReadHexPort("12345"), std::nullopt);
    EXPECT_EQ(ReadHexPort("FFFFFFFFF"), std::nullopt);
    EXPECT_EQ(ReadHexPort(""), std::nullopt);
    EXPECT_EQ(ReadHexPort("   "), std::nullopt);
    EXPECT_EQ(ReadHexPort("Z37"), std::nullopt);
    EXPECT_EQ(ReadHexPort("&H378"), std::nullopt);
}

}  // namespace
}  // namespace zeb
