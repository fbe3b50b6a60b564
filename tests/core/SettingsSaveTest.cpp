// Writing set.ini from the program's state.

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>

#include "core/Settings.h"
#include "core/SwitchTexts.h"
#include "ini/clsINI.h"
#include "support/ErrorOf.h"
#include "support/TempDir.h"

namespace zeb::testing {
namespace {

class SaveSettingsTest : public ::testing::Test {
  protected:
    std::string Path() const { return dir_.File("set.ini"); }
    std::string SaveAndRead() {
        SaveSettings(model_, Path());
        return ReadBytes(Path());
    }
    TempDir dir_;
    ProgramModel model_;
};

TEST_F(SaveSettingsTest, AFirstSaveWritesEveryKeyInOrder) {
    EXPECT_EQ(SaveAndRead(),
              "[ForeColor]\r\n"
              "f9 =4210752\r\nf5 =4210752\r\nf10 =4210752\r\nf11 =4210752\r\n"
              "f12 =4210752\r\nf13 =4210752\r\nf14 =4210752\r\n\r\n"
              "[Value]\r\n"
              "Sld2 =0\r\nsLevel=0\r\n"
              "Sld10=0\r\nSld11=0\r\nSld12=0\r\nSld13=0\r\nSld14=0\r\nSld15=0\r\n"
              "Sld16=0\r\nSld17=0\r\nSld18=0\r\nSld19=0\r\nSld110=0\r\nSld111=0\r\n\r\n"
              "[text]\r\n"
              "Caption0=0\r\nCaption1=4\r\nCaption2=8\r\nCaption3=12\r\nCaption4=14\r\n"
              "Caption5=20\r\nCaption6=24\r\nCaption7=29\r\nCaption8=0\r\nCaption9=0\r\n"
              "Caption10=0\r\nCaption11=0\r\n\r\n"
              "[Count]\r\nCombo1=0\r\n\r\n"
              "[index]\r\nCombo1=-1\r\nCombo2=-1\r\nCombo3=-1\r\nCombo4=-1\r\n\r\n"
              "[COM]\r\nCPORT=\r\n\r\n"
              "[LPT]\r\nLPORT=\r\n\r\n"
              "[AUTO]\r\nATUNE=\r\n\r\n"
              "[KEY]\r\nKPORT=\r\n\r\n"
              "[Frm]\r\nWh=9650\r\n\r\n"
              "[DMX]\r\nSwitch=0\r\nUniverse=1\r\nAddress=1\r\nOnLevel=255\r\nOffLevel=0\r\n"
              "RpcPort=9010\r\nDimmer=0\r\n\r\n");
}

TEST_F(SaveSettingsTest, AddressesGetTheirSectionAfterIndexAndEndSelected) {
    model_.combo1.Add("378");
    model_.combo1.Add("278");
    model_.combo1.Add("3BC");
    model_.combo1.SetIndex(0);
    model_.captions.label9 = colours::Blue;
    model_.slider2.Set(254);
    model_.widthTwips = kCollapsedWidthTwips;
    model_.outputs.OutputMode = ReadOutputMode("USB8LED");

    const std::string text = SaveAndRead();
    clsINI saved;
    saved.FileName(Path());
    std::vector<std::string> sections;
    for (int32_t i = 1; i <= saved.SectionsCount(); ++i) {
        sections.push_back(saved.SectionName(i));
    }
    EXPECT_EQ(sections,
              (std::vector<std::string>{"ForeColor", "Value", "text", "Count", "index", "CText",
                                        "COM", "LPT", "AUTO", "KEY", "Frm", "DMX"}));
    EXPECT_NE(text.find("[Count]\r\nCombo1=3\r\n"), std::string::npos);
    // The position is taken before the entries are walked through.
    EXPECT_NE(text.find("[index]\r\nCombo1=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("[CText]\r\nCombo10=378\r\nCombo11=278\r\nCombo12=3BC\r\n\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("f9 =16711680\r\n"), std::string::npos);
    EXPECT_NE(text.find("Sld2 =254\r\n"), std::string::npos);
    EXPECT_NE(text.find("CPORT=USB8LED\r\n"), std::string::npos);
    EXPECT_NE(text.find("Wh=6655\r\n"), std::string::npos);
    EXPECT_EQ(model_.combo1.Index(), 2);
}

TEST_F(SaveSettingsTest, UnknownSectionsAndKeysStayInPlace) {
    WriteBytes(Path(),
               "[Mine]\r\nx=1\r\n[Value]\r\nextra=2\r\nSld2 =9\r\n[CText]\r\nCombo13=old\r\n");
    model_.slider2.Set(5);
    const std::string text = SaveAndRead();
    EXPECT_EQ(text.rfind("[Mine]\r\nx=1\r\n\r\n[Value]\r\nextra=2\r\nSld2 =5\r\nsLevel=0\r\n", 0),
              0u);
    EXPECT_NE(text.find("[CText]\r\nCombo13=old\r\n\r\n[ForeColor]\r\n"), std::string::npos);
}

TEST_F(SaveSettingsTest, TheBeatAndTheDelayAreWrittenOnceUsedAndLoadBackWithTheBandKept) {
    EXPECT_EQ(SaveAndRead().find("[Beat]"), std::string::npos) << "not used: not written";
    model_.channels[3].bandCaption = "12";
    model_.channels[3].followsBeat = true;
    model_.beat.every = 4;
    model_.delay.ms.Set(250);
    const std::string text = SaveAndRead();
    EXPECT_NE(text.find("Caption3=12\r\n"), std::string::npos) << "older programs see the band";
    EXPECT_NE(text.find("[Beat]\r\nChannel0=0\r\n"), std::string::npos);
    EXPECT_NE(text.find("Channel3=1\r\n"), std::string::npos);
    EXPECT_NE(text.find("Flash=0\r\nEvery=4\r\n"), std::string::npos);
    EXPECT_NE(text.find("[Output]\r\nDelay=250\r\n"), std::string::npos);

    ProgramModel loaded;
    LoadSettings(loaded, Path());
    EXPECT_TRUE(loaded.channels[3].followsBeat);
    EXPECT_EQ(loaded.channels[3].bandCaption, "12");
    EXPECT_FALSE(loaded.channels[2].followsBeat);
    EXPECT_EQ(loaded.beat.every, 4);
    EXPECT_EQ(loaded.delay.ms.Value(), 250);

    // Back to no beat channel: the section stays up to date instead of keeping channel 3.
    loaded.channels[3].followsBeat = false;
    loaded.beat.every = 1;
    SaveSettings(loaded, Path());
    EXPECT_NE(ReadBytes(Path()).find("Channel3=0\r\n"), std::string::npos);
}

TEST_F(SaveSettingsTest, SwitchTextsTheProgramDoesNotKnowReadAsOffAndAreSavedBackUnchanged) {
    WriteBytes(Path(),
               "[COM]\r\nCPORT=com\r\n[LPT]\r\nLPORT=lpt\r\n[AUTO]\r\nATUNE=2\r\n"
               "[KEY]\r\nKPORT=yes\r\n[DMX]\r\nSwitch=dmx\r\n");
    LoadSettings(model_, Path());
    EXPECT_TRUE(model_.outputs.OutputMode.Is(SerialMode::Off));
    EXPECT_FALSE(model_.outputs.LptSwitch.On() || model_.AutoMode.On() ||
                 model_.outputs.KeyboardSwitch.On() || model_.dmx.On());
    std::string text = SaveAndRead();
    for (const char* kept :
         {"CPORT=com\r\n", "LPORT=lpt\r\n", "ATUNE=2\r\n", "KPORT=yes\r\n", "Switch=dmx\r\n"}) {
        EXPECT_NE(text.find(kept), std::string::npos) << kept;
    }
    // A switch the program changes is stored with its own text from then on.
    model_.outputs.OutputMode.Set(SerialMode::Usb3Led);
    model_.AutoMode.Set(false);
    text = SaveAndRead();
    EXPECT_NE(text.find("CPORT=USB3LED\r\n"), std::string::npos);
    EXPECT_NE(text.find("ATUNE=0\r\n"), std::string::npos);
}

TEST_F(SaveSettingsTest, ColoursAndLayoutsLoadAndUnreadableTextsSurviveASave) {
    WriteBytes(Path(),
               "[DMX]\r\nLayout=Pixels\r\nPixels=120\r\nMirror=1\r\nGamma=2.5\r\n"
               "Brightness=300\r\n[Colour]\r\nColour0=00ff80\r\nColour1=red\r\n"
               "Colour2= 123456 \r\nColour3=1234567\r\n");
    LoadSettings(model_, Path());
    EXPECT_EQ(model_.dmx.layout, DmxLayout::Pixels);
    EXPECT_EQ(model_.dmx.pixels.Value(), 120);
    EXPECT_TRUE(model_.dmx.mirror);
    EXPECT_DOUBLE_EQ(model_.dmx.Gamma(), 2.5);
    EXPECT_EQ(model_.dmx.brightness.Value(), 255);  // out of range: the default
    EXPECT_EQ(model_.channels[0].colour, (LampColour{0x00, 0xFF, 0x80}));
    EXPECT_EQ(model_.channels[1].colour, DefaultLampColour(1));
    EXPECT_EQ(model_.channels[2].colour, (LampColour{0x12, 0x34, 0x56}));
    EXPECT_EQ(model_.channels[3].colour, DefaultLampColour(3));
    // Neighbours of the default palette stand clearly apart.
    for (int i = 1; i < kChannelCount; ++i) {
        const LampColour a = DefaultLampColour(i - 1);
        const LampColour b = DefaultLampColour(i);
        EXPECT_GE(std::abs(a.red - b.red) + std::abs(a.green - b.green) + std::abs(a.blue - b.blue),
                  80)
            << i;
    }

    model_.channels[3].colour = LampColour{1, 2, 3};
    const std::string text = SaveAndRead();
    EXPECT_NE(text.find("Layout=Pixels\r\nPixels=120\r\nMirror=1\r\nGamma=2.5\r\n"
                        "Brightness=300\r\n"),
              std::string::npos);
    EXPECT_NE(text.find("[Colour]\r\nColour0=00FF80\r\nColour1=red\r\nColour2=123456\r\n"
                        "Colour3=010203\r\n\r\n"),
              std::string::npos);

    // Back to the defaults: a value the file held readably is written as the default.
    model_.dmx.layout = DmxLayout::Channels;
    model_.channels[0].colour = DefaultLampColour(0);
    EXPECT_NE(SaveAndRead().find("Layout=Channels\r\n"), std::string::npos);
    LoadSettings(model_, Path());
    EXPECT_EQ(model_.channels[0].colour, DefaultLampColour(0));
}

TEST_F(SaveSettingsTest, AFileWithLinuxLineEndsLoadsAndKeepsItsUnknownKeys) {
    WriteBytes(Path(), "# by hand\n[Mine]\nx=1\n[Value]\nSld2 =9\nextra=2\n[COM]\nCPORT=FTDI\n");
    LoadSettings(model_, Path());
    EXPECT_EQ(model_.slider2.Value(), 9);
    EXPECT_EQ(OutputModeText(model_.outputs.OutputMode), "FTDI");

    const std::string text = SaveAndRead();
    EXPECT_EQ(text.rfind("[Mine]\r\nx=1\r\n\r\n[Value]\r\nSld2 =9\r\nextra=2\r\nsLevel=0\r\n", 0),
              0u);
    EXPECT_NE(text.find("[COM]\r\nCPORT=FTDI\r\n\r\n"), std::string::npos);
}

TEST_F(SaveSettingsTest, AShrunkenAddressListKeepsTheOldEntries) {
    WriteBytes(Path(),
               "[Count]\r\nCombo1=5\r\n[CText]\r\nCombo10=a\r\nCombo11=b\r\nCombo12=c\r\n"
               "Combo13=d\r\nCombo14=e\r\n");
    for (const char* address : {"x", "y", "z"}) {
        model_.combo1.Add(address);
    }
    SaveSettings(model_, Path());

    clsINI saved;
    saved.FileName(Path());
    EXPECT_EQ(saved.Value("Count", "Combo1"), "3");
    EXPECT_EQ(saved.Value("CText", "Combo12"), "z");
    EXPECT_EQ(saved.Value("CText", "Combo13"), "d");
    EXPECT_EQ(saved.Value("CText", "Combo14"), "e");

    ProgramModel loaded;
    LoadSettings(loaded, Path());
    EXPECT_EQ(loaded.combo1.Entries(), (std::vector<std::string>{"x", "y", "z"}));
}

TEST_F(SaveSettingsTest, FailuresReachTheCallerWithTheirErrorNumber) {
    model_.combo1.Add("378");
    model_.combo1.Add("278");
    model_.combo1.SetIndex(0);
    EXPECT_EQ(ErrorOf([&] { SaveSettings(model_, dir_.File("missing/set.ini")); }), ENOENT);
    // The program runs on, so the address the user chose stays selected.
    EXPECT_EQ(model_.combo1.Index(), 0);
    EXPECT_EQ(model_.combo1.Text(), "378");
    std::filesystem::create_directory(Path());
    EXPECT_EQ(ErrorOf([&] { SaveSettings(model_, Path()); }), EISDIR);
}

}  // namespace
}  // namespace zeb::testing
