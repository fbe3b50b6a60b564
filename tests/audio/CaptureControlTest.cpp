// Start-up, device and input selection, input volume and the error report, run against a
// scripted back end.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>

#include "FakeCaptureBackend.h"
#include "RecordingSink.h"
#include "audio/CaptureControl.h"

namespace zeb {
namespace {

using ::testing::ElementsAre;
using testing::FakeCaptureBackend;
using testing::FakeInput;
using testing::RecordingSink;

class CaptureStartUp : public ::testing::Test {
  protected:
    AudioOutcome Start(std::optional<int16_t> stored = std::nullopt) {
        return StartAudio(backend, state, stored, sink);
    }
    // The calls from the first `marker` on, to look at one stretch of a sequence.
    std::vector<std::string> CallsFrom(const std::string& marker) {
        auto it = std::find(backend.calls.begin(), backend.calls.end(), marker);
        return {it, backend.calls.end()};
    }

    FakeCaptureBackend backend;
    CaptureState state;
    RecordingSink sink;
};

TEST_F(CaptureStartUp, WrongVersionShowsTheCriticalMessageAndTouchesNoDevice) {
    backend.version = 0x02030000;
    EXPECT_EQ(Start(), AudioOutcome::EndProgram);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "An incorrect version of BASS.DLL was loaded");
    EXPECT_EQ(sink.shown[0].title, "ZEB");
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Critical);
    EXPECT_TRUE(backend.calls.empty());
}

TEST_F(CaptureStartUp, NoRecordingDeviceReportsTheInitFailureWithItsCode) {
    backend.defaultDeviceWorks = false;
    EXPECT_EQ(Start(), AudioOutcome::EndProgram);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "Can't initialize device\r\n\r\nerror code: 23");
    EXPECT_EQ(sink.shown[0].title, "Error");
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Warning);
    EXPECT_THAT(backend.calls, ElementsAre("Init(-1)"));
}

TEST_F(CaptureStartUp, TheLastInputThatIsOnWinsAndEarlierOnesAreSwitchedOff) {
    backend.inputs = {{"Mic", false}, {"Line", true}, {"CD", false}, {"Aux", true}};
    EXPECT_EQ(Start(), AudioOutcome::Running);
    EXPECT_EQ(state.CurrentInput, 3);
    EXPECT_EQ(state.inputs.Index(), 3);
    EXPECT_THAT(state.inputs.Entries(), ElementsAre("Mic", "Line", "CD", "Aux"));
    EXPECT_FALSE(backend.inputs[1].on);
    EXPECT_TRUE(backend.inputs[3].on);
    // Selecting "Line" switched only the two inputs listed by then off.
    EXPECT_THAT(std::vector<std::string>(backend.calls.begin() + 1, backend.calls.begin() + 4),
                ElementsAre("SetInput(0,off)", "SetInput(1,off)", "SetInput(1,on)"));
}

TEST_F(CaptureStartUp, AllInputsOffLeavesTheMasterInputCurrent) {
    backend.inputs = {{"Mic", false}, {"Line", false}};
    EXPECT_EQ(Start(), AudioOutcome::Running);
    EXPECT_EQ(state.CurrentInput, -1);
    EXPECT_EQ(state.inputs.Index(), -1);
    EXPECT_EQ(state.inputs.Count(), 2);

    backend.calls.clear();
    levelin(backend, state, RangedValue(0, 254, 127));
    EXPECT_THAT(backend.calls, ElementsAre("SetInput(-1,vol=0.500000)"));
    EXPECT_FLOAT_EQ(backend.masterVolume, 0.5f);
}

TEST_F(CaptureStartUp, EveryDeviceIsOpenedInTurnThenTheStoredOneThenTheCapture) {
    backend.devices = {"Card A", "Card B", "Card C"};
    EXPECT_EQ(Start(int16_t{1}), AudioOutcome::Running);
    EXPECT_THAT(backend.calls,
                ElementsAre("Init(-1)", "Free", "Init(0)", "Start(44100,1,0)", "Free", "Init(1)",
                            "Start(44100,1,0)", "Free", "Init(2)", "Start(44100,1,0)", "Free",
                            "Init(1)", "Start(44100,1,0)", "Start(44100,1,0)"));
    EXPECT_THAT(state.devices.Entries(), ElementsAre("Card A", "Card B", "Card C"));
    EXPECT_EQ(state.devices.Index(), 1);
    EXPECT_EQ(backend.openDevice, 1);
    EXPECT_NE(state.RecordHandle, 0u);
    EXPECT_TRUE(sink.shown.empty());
}

TEST_F(CaptureStartUp, AStoredIndexThatIsSelectedOrOutOfRangeChangesNothing) {
    backend.devices = {"Card A", "Card B"};
    for (const int16_t stored : {int16_t{1}, int16_t{2}, int16_t{-1}, int16_t{-7}}) {
        backend.calls.clear();
        state.devices.Clear();
        EXPECT_EQ(Start(stored), AudioOutcome::Running);
        EXPECT_EQ(state.devices.Index(), 1) << "stored " << stored;
        EXPECT_EQ(CallsFrom("Init(1)").size(), 3u) << "stored " << stored;
    }
}

TEST_F(CaptureStartUp, ADeviceThatCannotStartEndsTheProgramEvenWhenAnotherIsStored) {
    backend.devices = {"Card A", "Card B", "Card C"};
    backend.devicesThatCannotStart = {1};
    EXPECT_EQ(Start(int16_t{2}), AudioOutcome::EndProgram);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "Can't start recording\r\n\r\nerror code: 46");
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Warning);
    EXPECT_EQ(state.RecordHandle, 0u);
    EXPECT_EQ(backend.calls.back(), "Start(44100,1,0)");
    EXPECT_EQ(std::count(backend.calls.begin(), backend.calls.end(), "Init(2)"), 0);
}

TEST_F(CaptureStartUp, NoListedDeviceStillStartsOnTheDefaultDevice) {
    backend.devices.clear();
    EXPECT_EQ(Start(int16_t{0}), AudioOutcome::Running);
    EXPECT_THAT(backend.calls, ElementsAre("Init(-1)", "Start(44100,1,0)"));
    EXPECT_NE(state.RecordHandle, 0u);
}

class CaptureSelection : public ::testing::Test {
  protected:
    void SetUp() override {
        backend.devices = {"Card A", "Card B"};
        backend.inputs = {{"Mic", true}, {"Line", false}, {"CD", false}};
        ASSERT_EQ(StartAudio(backend, state, std::nullopt, sink), AudioOutcome::Running);
        backend.calls.clear();
    }
    FakeCaptureBackend backend;
    CaptureState state;
    RecordingSink sink;
};

TEST_F(CaptureSelection, PickingAnInputSwitchesAllOffThenThatOneOn) {
    SelectInput(backend, state, 2);
    EXPECT_EQ(state.CurrentInput, 2);
    EXPECT_EQ(state.inputs.Index(), 2);
    EXPECT_THAT(backend.calls, ElementsAre("SetInput(0,off)", "SetInput(1,off)", "SetInput(2,off)",
                                           "SetInput(2,on)"));
    // Picking it again repeats the whole switching.
    backend.calls.clear();
    SelectInput(backend, state, 2);
    EXPECT_EQ(backend.calls.size(), 4u);
}

TEST_F(CaptureSelection, PickingADeviceRestartsTheCaptureAndKeepsTheInput) {
    const CaptureHandle before = state.RecordHandle;
    EXPECT_EQ(SelectDevice(backend, state, 0, sink), AudioOutcome::Running);
    EXPECT_THAT(backend.calls, ElementsAre("Free", "Init(0)", "Start(44100,1,0)"));
    EXPECT_NE(state.RecordHandle, before);
    EXPECT_EQ(state.devices.Index(), 0);
    EXPECT_EQ(state.CurrentInput, 0);
}

TEST_F(CaptureSelection, PickingADeviceThatCannotStartEndsTheProgramAfterTheReport) {
    backend.devicesThatCannotStart = {0};
    EXPECT_EQ(SelectDevice(backend, state, 0, sink), AudioOutcome::EndProgram);
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "Can't start recording\r\n\r\nerror code: 46");
    EXPECT_EQ(state.RecordHandle, 0u);
}

TEST_F(CaptureSelection, InputVolumeFollowsTheSliderAndFallsBackToTheMaster) {
    levelin(backend, state, RangedValue(0, 254, 254));
    EXPECT_EQ(backend.inputs[0].volume, 1.0f);
    levelin(backend, state, RangedValue(0, 254, 0));
    EXPECT_EQ(backend.inputs[0].volume, 0.0f);

    backend.inputs[0].refusesVolume = true;
    backend.masterVolume = 1.0f;
    backend.calls.clear();
    levelin(backend, state, RangedValue(0, 254, 127));
    EXPECT_THAT(backend.calls,
                ElementsAre("SetInput(0,vol=0.500000)", "SetInput(-1,vol=0.500000)"));
    EXPECT_FLOAT_EQ(backend.masterVolume, 0.5f);
}

TEST_F(CaptureSelection, CurrentVolumeIsTheInputsOrElseTheMasters) {
    backend.inputs[0].volume = 0.25f;
    backend.masterVolume = 0.75f;
    EXPECT_EQ(CurrentInputVolume(backend, state), 0.25f);
    state.CurrentInput = -1;
    EXPECT_EQ(CurrentInputVolume(backend, state), 0.75f);
    state.CurrentInput = 9;  // no such input on this device
    EXPECT_EQ(CurrentInputVolume(backend, state), 0.75f);
}

TEST(InputLevel, AVolumeMapsBackOntoTheSlidersScale) {
    EXPECT_EQ(InputLevelOfVolume(1.0f), 254);
    EXPECT_EQ(InputLevelOfVolume(0.0f), 0);
    EXPECT_EQ(InputLevelOfVolume(0.5f), 127);
    EXPECT_EQ(InputLevelOfVolume(100.0f / 254.0f), 100);  // what levelin sets for 100
    EXPECT_EQ(InputLevelOfVolume(1.5f), 254);             // a server above 100 %
}

TEST_F(CaptureSelection, StoppingFreesTheDeviceAndForgetsTheHandle) {
    StopCapture(backend, state);
    EXPECT_THAT(backend.calls, ElementsAre("Free"));
    EXPECT_EQ(state.RecordHandle, 0u);
    EXPECT_EQ(backend.openDevice, -2);
}

TEST(AudioErrorReport, ShowsTextBlankLineAndSignedCode) {
    FakeCaptureBackend backend;
    RecordingSink sink;
    backend.SetError(-1);
    Error_(backend, sink, "Can't start recording");
    ASSERT_EQ(sink.shown.size(), 1u);
    EXPECT_EQ(sink.shown[0].text, "Can't start recording\r\n\r\nerror code: -1");
    EXPECT_EQ(sink.shown[0].title, "Error");
    EXPECT_EQ(sink.shown[0].icon, MessageIcon::Warning);
}

}  // namespace
}  // namespace zeb
