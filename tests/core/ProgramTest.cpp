// The program core's sequences against fake sound, devices, timers and message boxes that all
// write into one log, so the order across them is checked.

#include "core/Program.h"
#include "core/SwitchTexts.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "audio/Eventually.h"
#include "audio/FakeCaptureBackend.h"
#include "audio/RecordingSink.h"
#include "headless/HeadlessStatus.h"
#include "output/RecordingDevices.h"
#include "output/dmx/OlaModule.h"
#include "output/parallel/LptAccess.h"
#include "support/TempDir.h"

namespace zeb {
namespace {

using testing::CallLog;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

// The capture fake, also noting its starts, frees and volume changes in the shared log.
class LoggedCapture : public testing::FakeCaptureBackend {
  public:
    explicit LoggedCapture(CallLog& log) : log_(log) {}
    bool RecordFree() override {
        log_.push_back("capture free");
        return FakeCaptureBackend::RecordFree();
    }
    CaptureHandle RecordStart(uint32_t rate, uint32_t channels, uint32_t flags) override {
        log_.push_back("capture start");
        return FakeCaptureBackend::RecordStart(rate, channels, flags);
    }
    bool RecordSetInput(int input, uint32_t flags, float volume) override {
        if (volume != kVolumeUnchanged) {
            log_.push_back("volume " + std::to_string(input) + " " + std::to_string(volume));
        }
        return FakeCaptureBackend::RecordSetInput(input, flags, volume);
    }

  private:
    CallLog& log_;
};

class LoggedKeyboard : public KeyboardLedDevice {
  public:
    explicit LoggedKeyboard(CallLog& log) : log_(log) {}
    bool opens = true;
    bool Open() override {
        log_.push_back(opens ? "kbd open" : "kbd open failed");
        open_ = opens;
        return opens;
    }
    bool IsOpen() const override { return open_; }
    bool SetLeds(bool scroll, bool num, bool caps) override {
        log_.push_back(std::string("kbd leds ") + (num ? "N" : "-") + (caps ? "C" : "-") +
                       (scroll ? "S" : "-"));
        return open_;
    }
    bool RestoreLeds() override {
        log_.push_back("kbd restore");
        return open_;
    }
    void Close() override {
        log_.push_back("kbd close");
        open_ = false;
    }

  private:
    CallLog& log_;
    bool open_ = false;
};

class LoggedTimers : public ProgramTimers {
  public:
    explicit LoggedTimers(CallLog& log) : log_(log) {}
    void StartSpectrumTimer() override { log_.push_back("spectrum timer on"); }
    void StopSpectrumTimer() override { log_.push_back("spectrum timer off"); }
    void StartLevelTimer() override { log_.push_back("level timer on"); }
    void StartKeyboardTimer() override { log_.push_back("keyboard timer on"); }
    void StopKeyboardTimer() override { log_.push_back("keyboard timer off"); }

  private:
    CallLog& log_;
};

class LoggedMessages : public MessageSink {
  public:
    explicit LoggedMessages(CallLog& log) : log_(log) {}
    std::vector<testing::ShownMessage> shown;
    void ShowMessage(const std::string& text, const std::string& title, MessageIcon icon,
                     const std::string& detail = {}) override {
        log_.push_back("message");
        shown.push_back({text, title, icon, detail});
    }

  private:
    CallLog& log_;
};

class ProgramTest : public ::testing::Test {
  protected:
    ProgramTest() : capture(log), timers(log), messages(log) {
        devices = testing::RecordingDevices(log);
        auto keyboardDevice = std::make_unique<LoggedKeyboard>(log);
        keyboard = keyboardDevice.get();
        devices.keyboard = std::move(keyboardDevice);
    }

    Program& Make() {
        program = std::make_unique<Program>(model, capture, devices, messages, timers,
                                            settings.Path() / "set.ini");
        return *program;
    }
    std::string SettingsFile() const { return settings.File("set.ini"); }
    void WriteSettings(const std::string& text) { testing::WriteBytes(SettingsFile(), text); }
    // Everything logged so far; the log starts afresh.
    std::vector<std::string> TakeLog() {
        std::vector<std::string> taken;
        taken.swap(log);
        return taken;
    }

    CallLog log;
    LoggedCapture capture;
    OutputDevices devices;
    LoggedKeyboard* keyboard = nullptr;
    LoggedTimers timers;
    LoggedMessages messages;
    ProgramModel model;
    testing::TempDir settings;
    std::unique_ptr<Program> program;
};

TEST_F(ProgramTest, AFirstStartRunsTheStepsInOrderAndKeepsTheSourceVolume) {
    capture.masterVolume = 0.5f;
    EXPECT_EQ(Make().StartUp(), Program::Outcome::Running);

    // The device list opens the one device, then the capture starts for good; the source
    // keeps its own volume, which the slider shows.
    EXPECT_THAT(TakeLog(), ElementsAre("capture free", "capture start", "capture start",
                                       "spectrum timer on", "level timer on"));
    EXPECT_EQ(model.sLevel.Value(), 127);
    EXPECT_TRUE(messages.shown.empty());
    // Nothing is written before the save-and-exit button.
    EXPECT_TRUE(settings.Listing().empty());
}

TEST_F(ProgramTest, ASettingsFileThatCannotBeReadStartsLikeAFirstStart) {
    std::filesystem::create_directory(SettingsFile());  // set.ini is there, but not a file
    capture.masterVolume = 0.5f;

    EXPECT_EQ(Make().StartUp(), Program::Outcome::Running);

    // Every setting keeps its initial value, and the source is not silenced.
    EXPECT_EQ(model.sLevel.Value(), 127);
    EXPECT_FLOAT_EQ(capture.masterVolume, 0.5f);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ProgramTest, TheServiceEndsOnASettingsFileThatCannotBeReadBeforeAnyDevice) {
    std::filesystem::create_directory(SettingsFile());

    EXPECT_EQ(Make().StartUp(Program::UnreadableSettings::EndProgram),
              Program::Outcome::EndProgram);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "The settings could not be read from " + SettingsFile() +
                                          "\r\n\r\nerror 21: " + SettingsFile() +
                                          " is a folder, not a regular file: Is a directory");
    EXPECT_THAT(log, ::testing::Not(::testing::Contains("capture start")));
}

TEST_F(ProgramTest, StoredSettingsApplyAndTheStoredOutputsStartAfterTheTimers) {
    WriteSettings(
        "[Value]\r\nsLevel=127\r\n[KEY]\r\nKPORT=1\r\n[LPT]\r\nLPORT=LPT\r\n"
        "[COM]\r\nCPORT=FTDI\r\n");
    devices.port = std::make_unique<testing::RecordingPort>(log, /*initializes=*/false);
    capture.masterVolume = 1.0f;

    EXPECT_EQ(Make().StartUp(), Program::Outcome::Running);

    EXPECT_THAT(TakeLog(),
                ElementsAre("capture free", "capture start", "capture start", "spectrum timer on",
                            "level timer on", "kbd open", "kbd leds N--", "keyboard timer on",
                            "volume -1 0.500000", "port init", "message"));
    // The stored level is kept; the port message is shown once and the program runs on.
    EXPECT_EQ(model.sLevel.Value(), 127);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kLptMessage);
    EXPECT_EQ(messages.shown[0].title, "ZEB");
    EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
    EXPECT_EQ(OutputModeText(model.outputs.OutputMode), "FTDI");
}

TEST_F(ProgramTest, AKeyboardThatCannotBeOpenedAtStartUpLeavesTheOutputOff) {
    WriteSettings("[KEY]\r\nKPORT=1\r\n[ForeColor]\r\nf12 =16711680\r\n");
    keyboard->opens = false;

    EXPECT_EQ(Make().StartUp(), Program::Outcome::Running);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Can't open keyboard device!");
    EXPECT_EQ(messages.shown[0].title, "ZEB");
    EXPECT_EQ(OnOffText(model.outputs.KeyboardSwitch, kKeyboardTexts), "0");
    EXPECT_EQ(model.captions.label12, colours::Grey);
    EXPECT_THAT(log, ::testing::Not(::testing::Contains("keyboard timer on")));
}

TEST_F(ProgramTest, NoCaptureDeviceEndsTheProgramBeforeAnyTimer) {
    capture.defaultDeviceWorks = false;

    EXPECT_EQ(Make().StartUp(), Program::Outcome::EndProgram);

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, "Can't initialize device\r\n\r\nerror code: 23");
    EXPECT_EQ(messages.shown[0].title, "Error");
    EXPECT_THAT(log, ::testing::Not(::testing::Contains("spectrum timer on")));
}

TEST_F(ProgramTest, ActivationOpensTheFtdiChipThenTheSerialPortThenAppliesTheVolume) {
    WriteSettings("[Value]\r\nsLevel=254\r\n");
    Make().StartUp();
    model.combo2.SetIndex(3);  // "4  "
    TakeLog();

    program->Activate();

    EXPECT_THAT(TakeLog(),
                ElementsAre("ftdi open 0", "ftdi bitmode FF 01", "ftdi baud 57600", "serial close",
                            "serial port 4", "serial settings 115200,N,8,1", "serial open", "DTR 1",
                            "RTS 1", "volume -1 1.000000"));
}

TEST_F(ProgramTest, TheEngineTickWritesTheSelectedOutputs) {
    Make().StartUp();
    model.outputs.OutputMode = ReadOutputMode("FTDI");
    TakeLog();

    // No sound yet: the silence gate leaves only channel 0 lit.
    program->EngineTick();

    EXPECT_THAT(TakeLog(), ElementsAre("ftdi 01"));
    EXPECT_EQ(model.engine.ChannelStates[0], 1);
}

TEST_F(ProgramTest, TheExitCommandSavesThenSwitchesTheLampsOffAndFreesTheCapture) {
    Make().StartUp();
    model.channels[5].bandCaption = "17";
    TakeLog();

    EXPECT_TRUE(program->ExitCommand());

    EXPECT_THAT(TakeLog(), ElementsAre("spectrum timer off", "keyboard timer off", "ftdi 00",
                                       "ftdi close", "serial close", "capture free"));
    EXPECT_THAT(testing::ReadBytes(SettingsFile()), HasSubstr("Caption5=17\r\n"));
}

TEST_F(ProgramTest, TheExitCommandCreatesAConfigurationFolderThatIsNotThereYet) {
    const std::filesystem::path path = settings.Path() / "config" / "zeb" / "set.ini";
    program = std::make_unique<Program>(model, capture, devices, messages, timers, path);
    program->StartUp();

    program->ExitCommand();

    EXPECT_TRUE(messages.shown.empty());
    EXPECT_THAT(testing::ReadBytes(path.string()), HasSubstr("[Value]\r\n"));
}

TEST_F(ProgramTest, AFailedSaveIsReportedWithItsErrorNumberAndTheProgramRunsOn) {
    program = std::make_unique<Program>(model, capture, devices, messages, timers,
                                        settings.Path() / "set.ini" / "set.ini");
    testing::WriteBytes(SettingsFile(), "");  // a file where the folder should be
    program->StartUp();
    TakeLog();

    EXPECT_FALSE(program->ExitCommand());

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_THAT(messages.shown[0].text, HasSubstr("error 20: "));  // ENOTDIR
    EXPECT_EQ(messages.shown[0].title, "ZEB");
    EXPECT_THAT(TakeLog(), ElementsAre("message"));
}

TEST_F(ProgramTest, ClosingTheWindowOtherwiseSavesNothingAndDarkensEveryOutput) {
    WriteSettings("[KEY]\r\nKPORT=1\r\n");
    Make().StartUp();
    const std::string before = testing::ReadBytes(SettingsFile());
    model.channels[0].bandCaption = "9";
    TakeLog();

    program->Unload();

    EXPECT_THAT(TakeLog(),
                ElementsAre("spectrum timer off", "keyboard timer off", "ftdi 00", "ftdi close",
                            "serial close", "kbd restore", "kbd close", "capture free"));
    EXPECT_EQ(testing::ReadBytes(SettingsFile()), before);
}

TEST_F(ProgramTest, AnOutputSwitchedOffDuringTheRunStillGetsItsDarkFrameOnTheWayOut) {
    Make().StartUp();
    model.outputs.LptSwitch = ReadOnOff("LPT", kLptTexts);
    model.outputs.LptAddressText = "378";
    model.outputs.OutputMode = ReadOutputMode("USB3LED");
    program->EngineTick();  // silence: channel 0 lit on both
    model.outputs.LptSwitch = ReadOnOff("0", kLptTexts);
    model.outputs.OutputMode = ReadOutputMode("0");
    program->EngineTick();
    TakeLog();

    program->Unload();

    const auto log = TakeLog();
    EXPECT_THAT(log, Contains("port 0378 00 size 1"));
    // The three-line frame with every channel off raises DTR and RTS; the port then closes.
    const auto close = std::find(log.begin(), log.end(), "serial close");
    ASSERT_NE(close, log.end());
    EXPECT_NE(std::find(log.begin(), close, "DTR 1"), close);
    EXPECT_NE(std::find(log.begin(), close, "RTS 1"), close);
}

TEST_F(ProgramTest, SwitchingTheParallelPortOnWithoutAccessReportsAndStaysOff) {
    devices.port = std::make_unique<testing::RecordingPort>(log, /*initializes=*/false);
    Make().StartUp();

    program->LptPressed();

    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kLptMessage);
    EXPECT_EQ(OnOffText(model.outputs.LptSwitch, kLptTexts), "0");
    EXPECT_EQ(model.captions.label9, colours::Grey);
}

TEST_F(ProgramTest, TheAddressBoxTakesItsTextWhenItLosesFocusEvenWithoutPortAccess) {
    devices.port = std::make_unique<testing::RecordingPort>(log, /*initializes=*/false);
    model.combo1.Add("378");
    model.combo1.Add("278");
    Make().StartUp();
    model.combo1.SetIndex(1);

    program->AddressBoxFocusLost();

    EXPECT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(model.outputs.LptAddressText, "278");
}

TEST_F(ProgramTest, TheKeyboardToggleStartsAndStopsTheLedOutput) {
    Make().StartUp();
    TakeLog();

    program->KeyboardClicked();
    model.engine.ChannelStates = {0, 1, 0};
    program->KeyboardTick();
    program->KeyboardClicked();

    EXPECT_THAT(TakeLog(),
                ElementsAre("kbd open", "kbd leds N--", "keyboard timer on", "kbd leds -C-",
                            "keyboard timer off", "kbd restore", "kbd close"));
    EXPECT_EQ(OnOffText(model.outputs.KeyboardSwitch, kKeyboardTexts), "0");
}

// A daemon the test takes away and brings back.
class SwitchableOlad : public DmxLink {
  public:
    explicit SwitchableOlad(std::shared_ptr<std::atomic<bool>> running)
        : running_(std::move(running)) {}
    bool Connect() override { return *running_; }
    bool Send(const DmxFrame& /*frame*/) override { return *running_; }
    void Disconnect() override {}

  private:
    std::shared_ptr<std::atomic<bool>> running_;
};

TEST_F(ProgramTest, DmxWithoutOlaLibrarySaysWhyAndStaysOff) {
    devices.dmx = [](uint16_t, std::string& problem) -> std::unique_ptr<DmxLink> {
        problem = "libola.so.1: cannot open shared object file";
        return nullptr;
    };
    WriteSettings("[DMX]\r\nSwitch=DMX\r\n");
    Make().StartUp();
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].text, kDmxModuleMessage);
    EXPECT_EQ(messages.shown[0].detail, "libola.so.1: cannot open shared object file");
    EXPECT_FALSE(model.dmx.On());
    EXPECT_EQ(model.dmx.caption, colours::Grey);
    program->Unload();
}

TEST_F(ProgramTest, TheHeadlessStatusNamesALostOladUntilItIsBack) {
    auto running = std::make_shared<std::atomic<bool>>(true);
    devices.dmx = [running](uint16_t, std::string&) {
        return std::make_unique<SwitchableOlad>(running);
    };
    WriteSettings("[DMX]\r\nSwitch=DMX\r\nUniverse=3\r\n");
    Make().StartUp();
    const auto outputsOnceTicked = [this](const std::string& outputs) {
        return testing::Eventually([&] {
            program->EngineTick();
            return program->OutputsInUse() == outputs;
        });
    };
    ASSERT_TRUE(outputsOnceTicked("DMX universe 3"));

    *running = false;
    EXPECT_TRUE(outputsOnceTicked("DMX universe 3 (olad lost)"));
    EXPECT_THAT(StateLine(model, program->OutputsInUse()),
                HasSubstr("outputs: DMX universe 3 (olad lost)"));
    *running = true;
    EXPECT_TRUE(outputsOnceTicked("DMX universe 3"));
    program->Unload();
}

}  // namespace
}  // namespace zeb
