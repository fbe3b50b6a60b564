// What the headless service says about itself: the live line and the logged state line.

#include "headless/HeadlessStatus.h"

#include <gtest/gtest.h>

#include <string>

namespace zeb {
namespace {

TEST(HeadlessStatusTest, LinesTellTheInputTheLampsAndTheOutputs) {
    ProgramModel model;
    EXPECT_EQ(StateLine(model, "none"), "no sound input; outputs: none");
    model.capture.RecordHandle = 1;
    EXPECT_EQ(StateLine(model, "COM"), "input silent (only channel 0 lit); outputs: COM");
    model.engine.PeakLeft = 16384;
    model.engine.ChannelStates.fill(0);
    model.engine.ChannelStates[0] = 1;
    model.engine.ChannelStates[11] = 1;
    EXPECT_EQ(StateLine(model, "COM, LPT 378"), "sound; outputs: COM, LPT 378");
    EXPECT_EQ(StatusLine(model, "COM"), "level  50%  lamps #----------#  outputs: COM");
    model.engine.PeakLeft = 32768;
    EXPECT_EQ(StatusLine(model, "COM").substr(0, 10), "level 100%");
}

}  // namespace
}  // namespace zeb
