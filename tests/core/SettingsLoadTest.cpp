// Applying set.ini to the program's state, and the round trip through a save.

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>

#include "core/Settings.h"
#include "core/SwitchTexts.h"
#include "ini/clsINI.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace zeb::testing {
namespace {

class LoadSettingsTest : public ::testing::Test {
  protected:
    std::string Path() const { return dir_.File("set.ini"); }
    void Load(const std::string& text) {
        WriteBytes(Path(), text);
        LoadSettings(model_, Path());
    }
    TempDir dir_;
    ProgramModel model_;
};

TEST_F(LoadSettingsTest, ASavedStateLoadsBackWhole) {
    ProgramModel saved;
    saved.slider2.Set(254);
    saved.sLevel.Set(17);
    saved.captions.label5 = colours::Blue;
    saved.captions.label14 = 0x80000012;  // a system colour
    saved.combo2.SetIndex(3);
    saved.combo4.SetIndex(1);
    for (int i = 0; i < kChannelCount; ++i) {
        saved.channels[static_cast<size_t>(i)].threshold.Set(25 - i);
        saved.channels[static_cast<size_t>(i)].bandCaption = std::to_string(31 - i);
    }
    saved.combo1.Add("378");
    saved.combo1.Add("3BC");
    saved.combo1.SetIndex(0);
    saved.capture.devices.Add("Monitor");
    saved.capture.devices.Add("Mic");
    saved.capture.devices.SetIndex(1);
    saved.capture.source = "alsa_input.usb-mic";
    saved.outputs.OutputMode = ReadOutputMode("COM");
    saved.outputs.LptSwitch = ReadOnOff("LPT", kLptTexts);
    saved.outputs.KeyboardSwitch = ReadOnOff("1", kKeyboardTexts);
    saved.AutoMode = ReadOnOff("AUTO", kAutoTexts);
    saved.widthTwips = 9650.0f / 15.0f;
    SaveSettings(saved, Path());
    EXPECT_NE(ReadBytes(Path()).find("f14 =-2147483630\r\n"), std::string::npos);
    // The source's own name goes in a section of its own after every older one.
    const std::string text = ReadBytes(Path());
    const size_t source = text.find("[Source]\r\nCombo3=alsa_input.usb-mic\r\n");
    ASSERT_NE(source, std::string::npos);
    EXPECT_GT(source, text.find("[Frm]"));

    LoadSettings(model_, Path());
    EXPECT_EQ(model_.slider2.Value(), 254);
    EXPECT_EQ(model_.sLevel.Value(), 17);
    EXPECT_EQ(model_.captions.label5, colours::Blue);
    EXPECT_EQ(model_.captions.label9, colours::Grey);
    EXPECT_EQ(model_.captions.label14, 0x80000012u);
    EXPECT_EQ(model_.combo2.Index(), 3);
    EXPECT_EQ(model_.combo2.Text(), "4  ");
    EXPECT_EQ(model_.combo4.Index(), 1);
    for (int i = 0; i < kChannelCount; ++i) {
        EXPECT_EQ(model_.channels[static_cast<size_t>(i)].threshold.Value(), 25 - i);
        EXPECT_EQ(model_.channels[static_cast<size_t>(i)].bandCaption, std::to_string(31 - i));
    }
    EXPECT_EQ(model_.combo1.Entries(), (std::vector<std::string>{"378", "3BC"}));
    // The position is written before saving walks through the entries.
    EXPECT_EQ(model_.combo1.Index(), 0);
    EXPECT_EQ(model_.outputs.LptAddressText, "378");
    EXPECT_EQ(model_.storedDeviceIndex, std::optional<int16_t>(1));
    EXPECT_EQ(model_.capture.source, "alsa_input.usb-mic");
    EXPECT_EQ(OutputModeText(model_.outputs.OutputMode), "COM");
    EXPECT_EQ(OnOffText(model_.outputs.LptSwitch, kLptTexts), "LPT");
    EXPECT_EQ(OnOffText(model_.outputs.KeyboardSwitch, kKeyboardTexts), "1");
    EXPECT_EQ(OnOffText(model_.AutoMode, kAutoTexts), "AUTO");
    EXPECT_EQ(model_.widthTwips, 643.3333f);

    // Saving the loaded state changes nothing, once start-up has listed the devices and
    // selected the stored one.
    model_.capture.devices = saved.capture.devices;
    model_.capture.devices.SetIndex(*model_.storedDeviceIndex);
    const std::string first = ReadBytes(Path());
    SaveSettings(model_, Path());
    EXPECT_EQ(ReadBytes(Path()), first);
}

TEST_F(LoadSettingsTest, KeysDifferingByTheTrailingBlankAreDifferent) {
    Load("[Value]\r\nSld2=100\r\nsLevel =50\r\n[ForeColor]\r\nf5=16711680\r\n");
    EXPECT_EQ(model_.slider2.Value(), 0);
    EXPECT_EQ(model_.sLevel.Value(), 0);
    EXPECT_EQ(model_.captions.label5, colours::Grey);

    Load("[VALUE]\r\nsld2 =100\r\n");
    EXPECT_EQ(model_.slider2.Value(), 100);
}

TEST_F(LoadSettingsTest, MissingTextsBecomeNulStringAndAreWrittenBack) {
    Load("[text]\r\nCaption0=5\r\nCaption1=x y\r\n[COM]\r\nCPORT=\r\n");
    EXPECT_EQ(model_.channels[0].bandCaption, "5");
    EXPECT_EQ(model_.channels[1].bandCaption, "x y");
    EXPECT_EQ(model_.channels[3].bandCaption, NulString);
    EXPECT_EQ(OutputModeText(model_.outputs.OutputMode), "");
    EXPECT_EQ(OnOffText(model_.outputs.LptSwitch, kLptTexts), NulString);
    EXPECT_EQ(OnOffText(model_.AutoMode, kAutoTexts), NulString);

    SaveSettings(model_, Path());
    EXPECT_NE(ReadBytes(Path()).find(std::string("Caption3=\0\r\n", 12)), std::string::npos);
    ProgramModel again;
    LoadSettings(again, Path());
    EXPECT_EQ(again.channels[3].bandCaption, NulString);
    EXPECT_EQ(again.channels[1].bandCaption, "x y");
}

TEST_F(LoadSettingsTest, AMissingAddressKeyAddsANulEntry) {
    Load(
        "[Count]\r\nCombo1=3\r\n[CText]\r\nCombo10=378\r\nCombo11=278\r\n"
        "[index]\r\nCombo1=2\r\n");
    EXPECT_EQ(model_.combo1.Entries(), (std::vector<std::string>{"378", "278", NulString}));
    EXPECT_EQ(model_.outputs.LptAddressText, NulString);
}

TEST_F(LoadSettingsTest, EmptyAddressesAndABadCountAddNothing) {
    Load("[Count]\r\nCombo1=3\r\n[CText]\r\nCombo10=\r\nCombo11=278\r\nCombo12=\r\n");
    EXPECT_EQ(model_.combo1.Entries(), std::vector<std::string>{"278"});
    EXPECT_EQ(model_.outputs.LptAddressText, "");

    ProgramModel other;
    for (const char* count : {"x", "", "-2", "70000"}) {
        WriteBytes(Path(),
                   std::string("[Count]\r\nCombo1=") + count + "\r\n[CText]\r\nCombo10=1\r\n");
        LoadSettings(other, Path());
        EXPECT_EQ(other.combo1.Count(), 0) << count;
    }
}

TEST_F(LoadSettingsTest, AColourMayDisagreeWithItsSwitch) {
    Load(
        "[ForeColor]\r\nf9 =16711680\r\nf10 "
        "=4210752\r\n[LPT]\r\nLPORT=0\r\n[COM]\r\nCPORT=COM\r\n");
    EXPECT_EQ(model_.captions.label9, colours::Blue);
    EXPECT_EQ(OnOffText(model_.outputs.LptSwitch, kLptTexts), "0");
    EXPECT_EQ(model_.captions.label10, colours::Grey);
    EXPECT_EQ(OutputModeText(model_.outputs.OutputMode), "COM");
}

TEST_F(LoadSettingsTest, NumbersThatDoNotFitAreSkipped) {
    model_.slider2.Set(10);
    model_.channels[0].threshold.Set(3);
    model_.combo4.SetIndex(2);
    model_.combo2.SetIndex(1);
    model_.widthTwips = 6655.0f;
    Load(
        "[Value]\r\nSld2 =255\r\nsLevel= 12 \r\nSld10=26\r\nSld11=-1\r\nSld12=+25\r\n"
        "[index]\r\nCombo4=4\r\nCombo2=70000\r\nCombo3=abc\r\n"
        "[Frm]\r\nWh=-5\r\n[ForeColor]\r\nf5 =4294967295\r\nf9 =0x10\r\n");
    EXPECT_EQ(model_.slider2.Value(), 10);
    EXPECT_EQ(model_.sLevel.Value(), 12);
    EXPECT_EQ(model_.channels[0].threshold.Value(), 3);
    EXPECT_EQ(model_.channels[1].threshold.Value(), 0);
    EXPECT_EQ(model_.channels[2].threshold.Value(), 25);
    EXPECT_EQ(model_.combo4.Index(), 2);
    EXPECT_EQ(model_.combo2.Index(), 1);
    EXPECT_EQ(model_.storedDeviceIndex, std::nullopt);
    EXPECT_EQ(model_.widthTwips, 6655.0f);
    EXPECT_EQ(model_.captions.label5, colours::Grey);
    EXPECT_EQ(model_.captions.label9, colours::Grey);

    Load("[index]\r\nCombo4=-1\r\nCombo3=7\r\n[Frm]\r\nWh=9650\r\n");
    EXPECT_EQ(model_.combo4.Index(), -1);
    EXPECT_EQ(model_.storedDeviceIndex, std::optional<int16_t>(7));
    EXPECT_EQ(model_.widthTwips, 9650.0f);
}

TEST_F(LoadSettingsTest, DmxKeysOutsideTheirRangesKeepTheDefaults) {
    Load("[KEY]\r\nKPORT=1\r\n");  // a file from before the DMX output: all defaults, off
    EXPECT_FALSE(model_.dmx.On());
    EXPECT_EQ(model_.dmx.caption, colours::Grey);

    Load(
        "[DMX]\r\nSwitch=DMX\r\nUniverse=0\r\nAddress=502\r\nOnLevel=0\r\nOffLevel=255\r\n"
        "RpcPort=x\r\nDimmer=yes\r\n");
    EXPECT_TRUE(model_.dmx.On());
    EXPECT_EQ(model_.dmx.caption, colours::Blue);
    EXPECT_EQ(model_.dmx.universe.Value(), 1);
    EXPECT_EQ(model_.dmx.startAddress.Value(), 1);
    EXPECT_EQ(model_.dmx.onLevel.Value(), 255);
    EXPECT_EQ(model_.dmx.offLevel.Value(), 0);
    EXPECT_EQ(model_.dmx.rpcPort.Value(), 9010);
    EXPECT_FALSE(model_.dmx.dimmer);

    Load("[DMX]\r\nSwitch=dmx\r\nAddress=501\r\nOffLevel=254\r\nDimmer=1\r\n");
    EXPECT_FALSE(model_.dmx.On());  // switch texts are exact, as for the other outputs
    EXPECT_EQ(model_.dmx.startAddress.Value(), 501);
    EXPECT_EQ(model_.dmx.offLevel.Value(), 254);
    EXPECT_TRUE(model_.dmx.dimmer);
}

TEST_F(LoadSettingsTest, AnUnreadableFileReportsItsErrorNumber) {
    std::filesystem::create_directory(Path());
    EXPECT_EQ(ErrorOf([&] { LoadSettings(model_, Path()); }), EISDIR);
}

}  // namespace
}  // namespace zeb::testing
