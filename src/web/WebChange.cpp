#include "web/WebChange.h"

#include <array>
#include <nlohmann/json.hpp>
#include <utility>

#include "core/ModelActions.h"

namespace zeb {

namespace {

using Kind = WebChange::Kind;
using nlohmann::json;

constexpr std::array<std::pair<const char*, Kind>, 21> kKinds = {{
    {"toggle", Kind::Toggle},
    {"threshold", Kind::Threshold},
    {"band", Kind::Band},
    {"level", Kind::Level},
    {"gain", Kind::Gain},
    {"speed", Kind::Speed},
    {"device", Kind::Device},
    {"input", Kind::Input},
    {"lpt", Kind::LptSelect},
    {"lpt-add", Kind::LptAdd},
    {"lpt-delete", Kind::LptDelete},
    {"com", Kind::ComSelect},
    {"com-type", Kind::ComType},
    {"dmx-universe", Kind::DmxUniverse},
    {"dmx-address", Kind::DmxAddress},
    {"dmx-layout", Kind::DmxLayout},
    {"colour", Kind::Colour},
    {"delay", Kind::Delay},
    {"tap", Kind::Tap},
    {"save", Kind::Save},
    {"new-token", Kind::NewToken},
}};

// Typed texts the window's boxes would hold: short, printable, one line.
constexpr size_t kLongestText = 32;

// The fields a change carries besides "do".
enum Fields : unsigned { kNone = 0, kName = 1, kChannel = 2, kValue = 4, kIndex = 8, kText = 16 };

unsigned FieldsOf(Kind kind) {
    switch (kind) {
        case Kind::Toggle:
            return kName;
        case Kind::Threshold:
        case Kind::Band:
            return kChannel | kValue;
        case Kind::Colour:
            return kChannel | kText;
        case Kind::Level:
        case Kind::Gain:
            return kValue;
        case Kind::Speed:
        case Kind::Device:
        case Kind::Input:
        case Kind::LptSelect:
        case Kind::ComSelect:
        case Kind::DmxLayout:
            return kIndex;
        case Kind::LptAdd:
        case Kind::ComType:
        case Kind::DmxUniverse:
        case Kind::DmxAddress:
        case Kind::Delay:
            return kText;
        case Kind::LptDelete:
        case Kind::Tap:
        case Kind::Save:
        case Kind::NewToken:
            return kNone;
    }
    return kNone;
}

unsigned FieldFlag(const std::string& key) {
    if (key == "name")
        return kName;
    if (key == "channel")
        return kChannel;
    if (key == "value")
        return kValue;
    if (key == "index")
        return kIndex;
    if (key == "text")
        return kText;
    return 0;
}

std::optional<int32_t> WholeNumber(const json& value) {
    if (!value.is_number_integer()) {
        return std::nullopt;
    }
    const auto number = value.get<int64_t>();
    if (number < INT32_MIN || number > INT32_MAX) {
        return std::nullopt;
    }
    return static_cast<int32_t>(number);
}

bool PlainText(const std::string& text) {
    if (text.size() > kLongestText) {
        return false;
    }
    for (const char c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

std::string Range(const char* what, int32_t low, int32_t high) {
    return std::string(what) + " must be a whole number " + std::to_string(low) + ".." +
           std::to_string(high);
}

// The window's own limits, the same for every program: checked before the change travels.
std::optional<std::string> OutsideFixedRange(const WebChange& change) {
    static const ProgramModel limits;
    const auto check = [&](const char* what,
                           const RangedValue& range) -> std::optional<std::string> {
        if (change.number < range.Min() || change.number > range.Max()) {
            return Range(what, range.Min(), range.Max());
        }
        return std::nullopt;
    };
    switch (change.kind) {
        case Kind::Threshold:
            return check("a threshold", limits.channels[0].threshold);
        case Kind::Band:
            // One step above the last band is the beat ("B"), as on the window's caption.
            if (change.number < 0 || change.number > kBeatStep) {
                return Range("a band", 0, kBeatStep);
            }
            return std::nullopt;
        case Kind::Level:
            return check("the input volume", limits.sLevel);
        case Kind::Gain:
            return check("the spectrum gain", limits.slider2);
        case Kind::DmxLayout:
            if (change.number < 0 || static_cast<size_t>(change.number) >= kDmxLayoutNames.size()) {
                return std::string("no entry ") + std::to_string(change.number) +
                       " in the DMX layouts (" + std::to_string(kDmxLayoutNames.size()) +
                       " entries)";
            }
            return std::nullopt;
        default:
            return std::nullopt;
    }
}

std::optional<std::string> WithinList(const ChoiceList& list, int32_t index, const char* what) {
    if (index < 0 || index >= list.Count()) {
        return std::string("no entry ") + std::to_string(index) + " in " + what + " (" +
               std::to_string(list.Count()) + " entries)";
    }
    return std::nullopt;
}

}  // namespace

const char* ToggleName(Toggle toggle) {
    switch (toggle) {
        case Toggle::Lpt:
            return "LPT";
        case Toggle::Com:
            return "COM";
        case Toggle::Ftdi:
            return "USB FTDI";
        case Toggle::Keyboard:
            return "KEYBOARD";
        case Toggle::Usb3:
            return "USB-D 3";
        case Toggle::Usb8:
            return "USB-D 8";
        case Toggle::Auto:
            return "AUTO";
        case Toggle::Dmx:
            return "DMX";
    }
    return "";
}

std::optional<WebChange> ParseWebChange(std::string_view body, std::string& reason) {
    const json request = json::parse(body, nullptr, /*allow_exceptions=*/false);
    if (request.is_discarded() || !request.is_object()) {
        reason = "the body is not a JSON object";
        return std::nullopt;
    }
    const auto what = request.find("do");
    if (what == request.end() || !what->is_string()) {
        reason = "the change names no \"do\"";
        return std::nullopt;
    }
    WebChange change;
    bool known = false;
    for (const auto& [name, kind] : kKinds) {
        if (what->get_ref<const std::string&>() == name) {
            change.kind = kind;
            known = true;
        }
    }
    if (!known) {
        reason = "unknown change \"" + what->get<std::string>().substr(0, kLongestText) + "\"";
        return std::nullopt;
    }
    const unsigned wanted = FieldsOf(change.kind);
    unsigned given = 0;
    for (const auto& [key, value] : request.items()) {
        if (key == "do") {
            continue;
        }
        const unsigned flag = FieldFlag(key);
        if ((flag & wanted) == 0) {
            reason = "unknown field \"" + key.substr(0, kLongestText) + "\"";
            return std::nullopt;
        }
        given |= flag;
        if (flag == kName || flag == kText) {
            if (!value.is_string() || !PlainText(value.get_ref<const std::string&>())) {
                reason = "\"" + key + "\" must be a text of at most 32 printable characters";
                return std::nullopt;
            }
            change.text = value.get<std::string>();
        } else {
            const auto number = WholeNumber(value);
            if (!number) {
                reason = "\"" + key + "\" must be a whole number";
                return std::nullopt;
            }
            (flag == kChannel ? change.channel : change.number) = *number;
        }
    }
    if (given != wanted) {
        reason = "the change lacks a field";
        return std::nullopt;
    }
    if ((wanted & kChannel) != 0 && (change.channel < 0 || change.channel >= kChannelCount)) {
        reason = Range("a channel", 0, kChannelCount - 1);
        return std::nullopt;
    }
    if (change.kind == Kind::Toggle) {
        known = false;
        for (const Toggle toggle : kToggles) {
            if (change.text == ToggleName(toggle)) {
                change.toggle = toggle;
                known = true;
            }
        }
        if (!known) {
            reason = "no switch is called \"" + change.text + "\"";
            return std::nullopt;
        }
    }
    if (change.kind == Kind::LptAdd && change.text.empty()) {
        reason = "type an address first";
        return std::nullopt;
    }
    if (change.kind == Kind::Colour) {
        const auto colour = ParseLampColour(change.text);
        if (!colour) {
            reason = "a colour must be six hex digits, RRGGBB";
            return std::nullopt;
        }
        change.colour = *colour;
    }
    if (auto outside = OutsideFixedRange(change)) {
        reason = std::move(*outside);
        return std::nullopt;
    }
    return change;
}

std::optional<std::string> ApplyWebChange(const WebChange& change, ProgramActions& actions,
                                          const ProgramModel& model) {
    switch (change.kind) {
        case Kind::Toggle:
            actions.PressToggle(change.toggle);
            return std::nullopt;
        case Kind::Threshold:
            actions.SetThreshold(change.channel, change.number);
            return std::nullopt;
        case Kind::Band:
            actions.SetBand(change.channel, change.number);
            return std::nullopt;
        case Kind::Level:
            actions.DragInputLevel(change.number);
            return std::nullopt;
        case Kind::Gain:
            actions.SetSpectrumGain(change.number);
            return std::nullopt;
        case Kind::Speed:
            if (auto refused = WithinList(model.combo4, change.number, "SPEED AUTO")) {
                return refused;
            }
            actions.SelectSpeed(change.number);
            return std::nullopt;
        case Kind::Device:
            if (auto refused = WithinList(model.capture.devices, change.number, "the devices")) {
                return refused;
            }
            actions.SelectCaptureDevice(change.number);
            return std::nullopt;
        case Kind::Input:
            if (auto refused = WithinList(model.capture.inputs, change.number, "the inputs")) {
                return refused;
            }
            actions.SelectCaptureInput(change.number);
            return std::nullopt;
        case Kind::LptSelect:
            if (auto refused = WithinList(model.combo1, change.number, "the LPT addresses")) {
                return refused;
            }
            // The page's list has no focus to leave: the pick is the address written.
            actions.SelectLptAddress(change.number);
            actions.LptAddressListLeft();
            return std::nullopt;
        case Kind::LptAdd:
            actions.AddLptAddress(change.text);
            actions.LptAddressListLeft();
            return std::nullopt;
        case Kind::LptDelete:
            if (!actions.DeleteLptAddress()) {
                return std::string("no LPT address is selected");
            }
            return std::nullopt;
        case Kind::ComSelect:
            if (auto refused = WithinList(model.combo2, change.number, "the COM ports")) {
                return refused;
            }
            actions.SelectSerialPort(change.number);
            return std::nullopt;
        case Kind::ComType:
            actions.TypeSerialPort(change.text);
            return std::nullopt;
        case Kind::DmxUniverse:
            if (!actions.SetDmxUniverse(change.text)) {
                return Range("the DMX universe", model.dmx.universe.Min(),
                             model.dmx.universe.Max());
            }
            return std::nullopt;
        case Kind::DmxAddress:
            if (!actions.SetDmxAddress(change.text)) {
                return Range("the DMX start address", model.dmx.startAddress.Min(),
                             model.dmx.startAddress.Max());
            }
            return std::nullopt;
        case Kind::DmxLayout:
            actions.SelectDmxLayout(change.number);
            return std::nullopt;
        case Kind::Colour:
            actions.SetChannelColour(change.channel, change.colour);
            return std::nullopt;
        case Kind::Delay:
            if (!actions.SetOutputDelay(change.text)) {
                return Range("the output delay (ms)", model.delay.ms.Min(), model.delay.ms.Max());
            }
            return std::nullopt;
        case Kind::Tap:
            actions.TapTempo();
            return std::nullopt;
        case Kind::Save:
        case Kind::NewToken:
            return std::nullopt;
    }
    return std::nullopt;
}

}  // namespace zeb
