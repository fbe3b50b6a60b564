#include "core/Settings.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

#include "core/SettingsNumbers.h"
#include "core/SwitchTexts.h"
#include "engine/ChannelText.h"
#include "engine/LampColour.h"
#include "ini/clsINI.h"

namespace zeb {
namespace {

// Several keys end in a blank that belongs to them.
constexpr const char* kValue = "Value";
constexpr const char* kSlider2Key = "Sld2 ";
constexpr const char* kLevelKey = "sLevel";
constexpr const char* kColours = "ForeColor";
constexpr const char* kIndex = "index";
constexpr const char* kCombo1 = "Combo1";
constexpr const char* kCombo3 = "Combo3";
// The sound system's name of the selected capture device, beside its list position, which
// changes whenever a device is plugged in earlier in the list.
constexpr const char* kSourceName = "Source";

// Toggle caption colours in the order they are loaded; saving starts with "f9 ".
using ColourKey = std::pair<const char*, Colour ToggleColours::*>;
constexpr std::array<ColourKey, 7> kColourKeys = {{{"f5 ", &ToggleColours::label5},
                                                   {"f9 ", &ToggleColours::label9},
                                                   {"f10 ", &ToggleColours::label10},
                                                   {"f11 ", &ToggleColours::label11},
                                                   {"f12 ", &ToggleColours::label12},
                                                   {"f13 ", &ToggleColours::label13},
                                                   {"f14 ", &ToggleColours::label14}}};
constexpr std::array<size_t, 7> kColourSaveOrder = {1, 0, 2, 3, 4, 5, 6};

std::string ThresholdKey(int channel) {
    return "Sld1" + std::to_string(channel);
}
std::string CaptionKey(int channel) {
    return "Caption" + std::to_string(channel);
}
std::string AddressKey(int entry) {
    return kCombo1 + std::to_string(entry);
}

// Colours are stored as signed 32-bit numbers; system colours (top bit set) are negative.
Colour ColourFromStored(int32_t stored) {
    return static_cast<Colour>(stored);
}
int32_t ColourToStored(Colour colour) {
    return static_cast<int32_t>(colour);
}

// True when the file held a value the slider took.
bool LoadSlider(const clsINI& ini, const std::string& key, RangedValue& slider) {
    const auto value = ParseInt32(ini.Value(kValue, key));
    return value && slider.Set(*value);
}

void LoadSelection(const clsINI& ini, const std::string& key, ChoiceList& list) {
    if (const auto position = ParseInt16(ini.Value(kIndex, key))) {
        list.SetIndex(*position);
    }
}

void LoadAddressList(const clsINI& ini, ChoiceList& addresses) {
    const auto count = ParseInt16(ini.Value("Count", kCombo1));
    for (int k = 0; count && k < *count; ++k) {
        // A missing entry reads as NulString, which is not empty and is therefore added.
        const std::string address = ini.Value("CText", AddressKey(k));
        if (!address.empty()) {
            addresses.Add(address);
        }
    }
}

// The DMX output's own section; a file without it leaves every value at its default.
constexpr const char* kDmx = "DMX";
using DmxNumberKey = std::pair<const char*, RangedValue DmxSettings::*>;
constexpr std::array<DmxNumberKey, 5> kDmxNumberKeys = {{{"Universe", &DmxSettings::universe},
                                                         {"Address", &DmxSettings::startAddress},
                                                         {"OnLevel", &DmxSettings::onLevel},
                                                         {"OffLevel", &DmxSettings::offLevel},
                                                         {"RpcPort", &DmxSettings::rpcPort}}};

// The keys added with the colour layouts. A key whose text cannot be read leaves its default,
// and a save keeps that text as long as the value is still the default: a typing slip in the
// file is not wiped out by the next save.
constexpr const char* kColourSection = "Colour";

std::string LampColourKey(int channel) {
    return "Colour" + std::to_string(channel);
}

std::optional<LampColour> ReadColour(const std::string& text) {
    return ParseLampColour(std::string(TrimBlanks(text)));
}

std::optional<DmxLayout> ReadLayout(const std::string& text) {
    const std::string_view trimmed = TrimBlanks(text);
    for (size_t i = 0; i < kDmxLayoutNames.size(); ++i) {
        if (trimmed == kDmxLayoutNames[i]) {
            return static_cast<DmxLayout>(i);
        }
    }
    return std::nullopt;
}

const char* LayoutText(DmxLayout layout) {
    return kDmxLayoutNames[static_cast<size_t>(layout)];
}

std::optional<double> ReadGamma(const std::string& text) {
    const auto gamma = ParseSingle(text);
    if (!gamma || *gamma < kLeastGamma || *gamma > kMostGamma) {
        return std::nullopt;
    }
    return *gamma;
}

std::optional<bool> ReadFlag(const std::string& text) {
    const std::string_view trimmed = TrimBlanks(text);
    if (trimmed == "0" || trimmed == "1") {
        return trimmed == "1";
    }
    return std::nullopt;
}

constexpr std::array<DmxNumberKey, 2> kAddedDmxNumberKeys = {
    {{"Pixels", &DmxSettings::pixels}, {"Brightness", &DmxSettings::brightness}}};

// Writes `text` unless the value is the default and the file holds no readable value there.
template <typename Reader>
void SaveAddedKey(clsINI& ini, const char* section, const std::string& key, const std::string& text,
                  bool isDefault, Reader readable) {
    if (!isDefault || readable(ini.Value(section, key))) {
        ini.Value(section, key, text);
    }
}

void LoadColours(const clsINI& ini, ChannelConfigs& channels) {
    for (int i = 0; i < kChannelCount; ++i) {
        if (const auto colour = ReadColour(ini.Value(kColourSection, LampColourKey(i)))) {
            channels[static_cast<size_t>(i)].colour = *colour;
        }
    }
}

void SaveColours(clsINI& ini, const ChannelConfigs& channels) {
    for (int i = 0; i < kChannelCount; ++i) {
        const LampColour colour = channels[static_cast<size_t>(i)].colour;
        SaveAddedKey(ini, kColourSection, LampColourKey(i), LampColourText(colour),
                     colour == DefaultLampColour(i),
                     [](const std::string& text) { return ReadColour(text).has_value(); });
    }
}

void LoadDmx(const clsINI& ini, DmxSettings& dmx) {
    const std::string stored = ini.Value(kDmx, "Switch");
    if (stored != NulString) {
        dmx.DmxSwitch = ReadOnOff(stored, kDmxTexts);
    }
    for (const auto& [key, value] : kDmxNumberKeys) {
        if (const auto number = ParseInt32(ini.Value(kDmx, key))) {
            (dmx.*value).Set(*number);
        }
    }
    dmx.dimmer = ini.Value(kDmx, "Dimmer") == "1";
    if (const auto layout = ReadLayout(ini.Value(kDmx, "Layout"))) {
        dmx.layout = *layout;
    }
    for (const auto& [key, value] : kAddedDmxNumberKeys) {
        if (const auto number = ParseInt32(ini.Value(kDmx, key))) {
            (dmx.*value).Set(*number);
        }
    }
    dmx.mirror = ReadFlag(ini.Value(kDmx, "Mirror")).value_or(false);
    dmx.gamma = ReadGamma(ini.Value(kDmx, "Gamma"));
    dmx.caption = dmx.On() ? colours::Blue : colours::Grey;
}

void SaveDmx(clsINI& ini, const DmxSettings& dmx) {
    ini.Value(kDmx, "Switch", OnOffText(dmx.DmxSwitch, kDmxTexts));
    for (const auto& [key, value] : kDmxNumberKeys) {
        ini.Value(kDmx, key, std::to_string((dmx.*value).Value()));
    }
    ini.Value(kDmx, "Dimmer", dmx.dimmer ? "1" : "0");

    const DmxSettings defaults;
    SaveAddedKey(ini, kDmx, "Layout", LayoutText(dmx.layout), dmx.layout == defaults.layout,
                 [](const std::string& text) { return ReadLayout(text).has_value(); });
    for (const auto& [key, value] : kAddedDmxNumberKeys) {
        RangedValue range = defaults.*value;
        SaveAddedKey(ini, kDmx, key, std::to_string((dmx.*value).Value()),
                     (dmx.*value).Value() == range.Value(), [&range](const std::string& text) {
                         const auto number = ParseInt32(text);
                         return number && range.Set(*number);
                     });
    }
    SaveAddedKey(ini, kDmx, "Mirror", dmx.mirror ? "1" : "0", !dmx.mirror,
                 [](const std::string& text) { return ReadFlag(text).has_value(); });
    if (dmx.gamma) {
        ini.Value(kDmx, "Gamma", FormatSingle(static_cast<float>(*dmx.gamma)));
    }
}

// The beat channels' section: which channels follow the beat (their band captions in [text]
// keep the band they had, for older files and programs), the flash and every how many beats.
constexpr const char* kBeat = "Beat";
std::string BeatChannelKey(int channel) {
    return "Channel" + std::to_string(channel);
}

void LoadBeat(const clsINI& ini, ProgramModel& model) {
    bool stored = false;
    for (int i = 0; i < kChannelCount; ++i) {
        const std::string value = ini.Value(kBeat, BeatChannelKey(i));
        stored = stored || value != NulString;
        model.channels[static_cast<size_t>(i)].followsBeat = value == "1";
    }
    if (const std::string value = ini.Value(kBeat, "Flash"); value != NulString) {
        stored = true;
        if (const auto flash = ParseInt32(value)) {
            model.beat.flash.Set(*flash);
        }
    }
    if (const std::string value = ini.Value(kBeat, "Every"); value != NulString) {
        stored = true;
        const auto every = ParseInt32(value);
        if (every && (*every == 1 || *every == 2 || *every == 4)) {
            model.beat.every = *every;
        }
    }
    model.beat.stored = stored;
}

bool BeatInUse(const ProgramModel& model) {
    for (const auto& channel : model.channels) {
        if (channel.followsBeat) {
            return true;
        }
    }
    return model.beat.flash.Value() != 0 || model.beat.every != 1;
}

// Written once the beat is in use, so the files of runs without it stay as they were.
void SaveBeat(clsINI& ini, ProgramModel& model) {
    if (!model.beat.stored && !BeatInUse(model)) {
        return;
    }
    for (int i = 0; i < kChannelCount; ++i) {
        ini.Value(kBeat, BeatChannelKey(i),
                  model.channels[static_cast<size_t>(i)].followsBeat ? "1" : "0");
    }
    ini.Value(kBeat, "Flash", std::to_string(model.beat.flash.Value()));
    ini.Value(kBeat, "Every", std::to_string(model.beat.every));
    model.beat.stored = true;
}

constexpr const char* kOutput = "Output";
constexpr const char* kDelay = "Delay";

void LoadDelay(const clsINI& ini, OutputDelay& delay) {
    const std::string value = ini.Value(kOutput, kDelay);
    delay.stored = value != NulString;
    if (const auto ms = ParseInt32(value)) {
        delay.ms.Set(*ms);
    }
}

void SaveDelay(clsINI& ini, OutputDelay& delay) {
    if (delay.stored || delay.ms.Value() != 0) {
        ini.Value(kOutput, kDelay, std::to_string(delay.ms.Value()));
        delay.stored = true;
    }
}

void LoadWidth(const clsINI& ini, float& widthTwips) {
    // A window cannot be narrower than nothing.
    const auto width = ParseSingle(ini.Value("Frm", "Wh"));
    if (width && *width >= 0.0f) {
        widthTwips = *width;
    }
}

}  // namespace

bool LoadSettings(ProgramModel& model, const std::string& path) {
    clsINI ini;
    ini.FileName(path);

    LoadSlider(ini, kSlider2Key, model.slider2);
    const bool inputLevelStored = LoadSlider(ini, kLevelKey, model.sLevel);
    for (const auto& [key, label] : kColourKeys) {
        if (const auto stored = ParseInt32(ini.Value(kColours, key))) {
            model.captions.*label = ColourFromStored(*stored);
        }
    }
    LoadSelection(ini, "Combo2", model.combo2);
    LoadSelection(ini, "Combo4", model.combo4);
    for (int i = 0; i < kChannelCount; ++i) {
        auto& channel = model.channels[static_cast<size_t>(i)];
        LoadSlider(ini, ThresholdKey(i), channel.threshold);
        channel.bandCaption = ini.Value("text", CaptionKey(i));
    }
    LoadAddressList(ini, model.combo1);
    LoadSelection(ini, kCombo1, model.combo1);
    model.outputs.OutputMode = ReadOutputMode(ini.Value("COM", "CPORT"));
    model.outputs.KeyboardSwitch = ReadOnOff(ini.Value("KEY", "KPORT"), kKeyboardTexts);
    model.outputs.LptSwitch = ReadOnOff(ini.Value("LPT", "LPORT"), kLptTexts);
    model.AutoMode = ReadOnOff(ini.Value("AUTO", "ATUNE"), kAutoTexts);
    LoadWidth(ini, model.widthTwips);
    model.outputs.LptAddressText = model.combo1.Text();
    LoadDmx(ini, model.dmx);
    LoadBeat(ini, model);
    LoadDelay(ini, model.delay);
    LoadColours(ini, model.channels);

    // Selected by start-up once the capture devices are listed.
    if (const auto device = ParseInt16(ini.Value(kIndex, kCombo3))) {
        model.storedDeviceIndex = *device;
    }
    if (const std::string source = ini.Value(kSourceName, kCombo3); source != NulString) {
        model.capture.source = source;
    }
    return inputLevelStored;
}

void SaveSettings(ProgramModel& model, const std::string& path) {
    clsINI ini;
    ini.FileName(path);

    for (const size_t entry : kColourSaveOrder) {
        const auto& [key, label] = kColourKeys[entry];
        ini.Value(kColours, key, std::to_string(ColourToStored(model.captions.*label)));
    }
    ini.Value(kValue, kSlider2Key, std::to_string(model.slider2.Value()));
    ini.Value(kValue, kLevelKey, std::to_string(model.sLevel.Value()));
    for (int i = 0; i < kChannelCount; ++i) {
        const auto& channel = model.channels[static_cast<size_t>(i)];
        ini.Value(kValue, ThresholdKey(i), std::to_string(channel.threshold.Value()));
        ini.Value("text", CaptionKey(i), channel.bandCaption);
    }
    ini.Value("Count", kCombo1, std::to_string(model.combo1.Count()));
    ini.Value(kIndex, kCombo1, std::to_string(model.combo1.Index()));
    ini.Value(kIndex, "Combo2", std::to_string(model.combo2.Index()));
    ini.Value(kIndex, kCombo3, std::to_string(model.capture.devices.Index()));
    ini.Value(kIndex, "Combo4", std::to_string(model.combo4.Index()));
    const int32_t selected = model.combo1.Index();
    for (int k = 0; k < model.combo1.Count(); ++k) {
        model.combo1.SetIndex(k);
        ini.Value("CText", AddressKey(k), model.combo1.Text());
    }
    ini.Value("COM", "CPORT", OutputModeText(model.outputs.OutputMode));
    ini.Value("LPT", "LPORT", OnOffText(model.outputs.LptSwitch, kLptTexts));
    ini.Value("AUTO", "ATUNE", OnOffText(model.AutoMode, kAutoTexts));
    ini.Value("KEY", "KPORT", OnOffText(model.outputs.KeyboardSwitch, kKeyboardTexts));
    ini.Value("Frm", "Wh", FormatSingle(model.widthTwips));
    // A sound file has no such name; a name stored earlier then stays for the next start.
    if (!model.capture.source.empty()) {
        ini.Value(kSourceName, kCombo3, model.capture.source);
    }
    SaveDmx(ini, model.dmx);
    SaveBeat(ini, model);
    SaveDelay(ini, model.delay);
    SaveColours(ini, model.channels);
    try {
        ini.UpdateFile();
    } catch (...) {
        // The program runs on after a failed save; the parallel output's control register
        // follows the address box, so the user's address must be selected again.
        model.combo1.SetIndex(selected);
        throw;
    }
}

}  // namespace zeb
