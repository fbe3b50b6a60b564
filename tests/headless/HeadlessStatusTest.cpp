// What the headless service says about itself, for the outputs a settings file switches on.

#include "headless/HeadlessStatus.h"

#include <gtest/gtest.h>

#include <string>

#include "core/Settings.h"
#include "support/TempDir.h"

namespace zeb {
namespace {

ProgramModel Loaded(const std::string& settings) {
    const testing::TempDir folder;
    testing::WriteBytes(folder.File("set.ini"), settings);
    ProgramModel model;
    LoadSettings(model, folder.File("set.ini"));
    return model;
}

TEST(HeadlessStatusTest, NamesTheOutputsInUseAsTheTogglesDo) {
    EXPECT_EQ(OutputsInUse(Loaded("")), "none");
    // A text the program does not know switches nothing on.
    EXPECT_EQ(OutputsInUse(Loaded("[COM]\r\nCPORT=LPT\r\n[KEY]\r\nKPORT=2\r\n")), "none");

    ProgramModel model = Loaded(
        "[COM]\r\nCPORT=FTDI\r\n[LPT]\r\nLPORT=LPT\r\n[Count]\r\nCombo1=1\r\n[CText]\r\n"
        "Combo10=378\r\n[index]\r\nCombo1=0\r\n[KEY]\r\nKPORT=1\r\n[DMX]\r\nSwitch=DMX\r\n"
        "Universe=3\r\n");
    EXPECT_EQ(OutputsInUse(model), "USB FTDI, LPT 378, KEYBOARD, DMX universe 3");
    model.dmx.oladLost = true;
    EXPECT_EQ(OutputsInUse(model), "USB FTDI, LPT 378, KEYBOARD, DMX universe 3 (olad lost)");
    EXPECT_EQ(OutputsInUse(Loaded("[COM]\r\nCPORT=USB8LED\r\n")), "USB-D 8");
}

TEST(HeadlessStatusTest, LinesTellTheInputTheLampsAndTheOutputs) {
    ProgramModel model = Loaded("[COM]\r\nCPORT=COM\r\n");
    EXPECT_EQ(StateLine(model), "no sound input; outputs: COM");
    model.capture.RecordHandle = 1;
    EXPECT_EQ(StateLine(model), "input silent (only channel 0 lit); outputs: COM");
    model.engine.PeakLeft = 16384;
    model.engine.ChannelStates.fill(0);
    model.engine.ChannelStates[0] = 1;
    model.engine.ChannelStates[11] = 1;
    EXPECT_EQ(StateLine(model), "sound; outputs: COM");
    EXPECT_EQ(StatusLine(model), "level  50%  lamps #----------#  outputs: COM");
    model.engine.PeakLeft = 32768;
    EXPECT_EQ(StatusLine(model).substr(0, 10), "level 100%");
}

}  // namespace
}  // namespace zeb
