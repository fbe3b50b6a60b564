#pragma once
// A change the page asks for, read from its JSON body on the server's thread and carried out
// on the program's thread through the same actions the window calls.
//
//   {"do": "toggle", "name": "LPT"}            LPT, COM, USB FTDI, KEYBOARD, USB-D 3, USB-D 8,
//                                              AUTO, DMX
//   {"do": "threshold", "channel": 3, "value": 12}    {"do": "band", "channel": 3, "value": 20}
//   {"do": "level", "value": 200}   {"do": "gain", "value": 254}   {"do": "speed", "index": 1}
//   {"do": "device", "index": 0}    {"do": "input", "index": 0}
//   {"do": "lpt", "index": 0}   {"do": "lpt-add", "text": "378"}   {"do": "lpt-delete"}
//   {"do": "com", "index": 2}   {"do": "com-type", "text": "4"}
//   {"do": "dmx-universe", "text": "2"}   {"do": "dmx-address", "text": "13"}
//   {"do": "dmx-layout", "index": 1}   {"do": "colour", "channel": 3, "text": "FF8800"}
//   {"do": "delay", "text": "250"}     {"do": "tap"}
//   {"do": "save"}   {"do": "new-token"}

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/ProgramActions.h"
#include "core/ProgramModel.h"

namespace zeb {

struct WebChange {
    enum class Kind {
        Toggle,
        Threshold,
        Band,
        Level,
        Gain,
        Speed,
        Device,
        Input,
        LptSelect,
        LptAdd,
        LptDelete,
        ComSelect,
        ComType,
        DmxUniverse,
        DmxAddress,
        DmxLayout,
        Colour,
        Delay,
        Tap,
        Save,
        NewToken,
    };
    Kind kind = Kind::Save;
    Toggle toggle = Toggle::Lpt;
    int channel = 0;
    int32_t number = 0;  // the value or the list position
    std::string text;
    LampColour colour;  // Colour: the text read as RRGGBB
};

// The change a body asks for, or nothing with `reason` set: not JSON, not an object, an
// unknown change or field, a field of the wrong type, or a value outside what the window's
// control accepts.
std::optional<WebChange> ParseWebChange(std::string_view body, std::string& reason);

// Carries the change out on the program's thread; what the model must be asked first (a
// list position within its list, a DMX number within range) is checked here. Returns the
// reason when it is refused: nothing has changed then. Save and NewToken are the caller's.
std::optional<std::string> ApplyWebChange(const WebChange& change, ProgramActions& actions,
                                          const ProgramModel& model);

// The toggle's name on the page and in the window ("USB FTDI", without the caption's blank).
const char* ToggleName(Toggle toggle);

}  // namespace zeb
