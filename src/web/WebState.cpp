#include "web/WebState.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>

#include "core/ModelActions.h"
#include "engine/EngineTick.h"
#include "web/WebChange.h"

namespace zeb {

namespace {

// Length of the well-formed UTF-8 sequence starting `text` (0 when there is none): no overlong
// forms, no surrogates, nothing above U+10FFFF.
size_t Utf8Length(std::string_view text) {
    const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned lead = byte(0);
    if (lead < 0x80) {
        return 1;
    }
    size_t length = 0;
    unsigned low = 0x80;
    unsigned high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    }
    if (length == 0 || length > text.size() || byte(1) < low || byte(1) > high) {
        return 0;
    }
    for (size_t i = 2; i < length; ++i) {
        if ((byte(i) >> 6) != 0x2) {
            return 0;
        }
    }
    return length;
}

// The state is built at every engine tick while a page is open: written straight into one
// text, which costs a fraction of building a JSON document first.
class JsonWriter {
  public:
    // About what a frame takes, so it is written without growing.
    static constexpr size_t kUsualSize = 4096;

    std::string Take() { return std::move(text_); }

    JsonWriter() { text_.reserve(kUsualSize); }

    // Keys are the page's own names: plain ASCII, nothing to escape.
    JsonWriter& Key(std::string_view key) {
        Piece piece(*this);
        if (key.size() > Piece::kRoom - 4) {
            piece.Add('"');
            text_.append(piece.Text()).append(key).append("\":");
        } else {
            piece.Add('"').Add(key).Add("\":");
            text_.append(piece.Text());
        }
        afterKey_ = true;
        return *this;
    }
    void Open(char bracket) {
        Piece(*this).Add(bracket).AppendTo(text_);
        first_ = true;
    }
    void Close(char bracket) {
        text_ += bracket;
        first_ = false;
    }
    void Number(int64_t number) { Piece(*this).Add(number).AppendTo(text_); }
    // Tenths are all a bar or a number on a phone shows.
    void Tenths(double number) {
        const double tenths = std::isfinite(number) ? std::round(number * 10.0) : 0.0;
        const auto whole = static_cast<int64_t>(std::clamp(tenths, -1e15, 1e15));
        const int64_t size = whole < 0 ? -whole : whole;
        Piece piece(*this);
        if (whole < 0) {
            piece.Add('-');
        }
        piece.Add(size / 10).Add('.').Add(static_cast<char>('0' + size % 10)).AppendTo(text_);
    }
    void Bool(bool value) { Piece(*this).Add(value ? "true" : "false").AppendTo(text_); }
    // Texts typed by hand need not be UTF-8: a byte that is not becomes U+FFFD.
    void String(std::string_view value) {
        Piece(*this).AppendTo(text_);
        Quoted(value);
    }
    void List(const ChoiceList& list) {
        Open('{');
        Key("entries").Open('[');
        for (const std::string& entry : list.Entries()) {
            String(entry);
        }
        Close(']');
        Key("index").Number(list.Index());
        Key("text").String(list.Text());
        Close('}');
    }

  private:
    // A short value with the comma before it, written at once: a frame is mostly these, and
    // one append each costs a fraction of adding their characters one by one.
    class Piece {
      public:
        static constexpr size_t kRoom = 48;

        explicit Piece(JsonWriter& writer) {
            if (writer.afterKey_) {
                writer.afterKey_ = false;
            } else if (!writer.first_) {
                Add(',');
            }
            writer.first_ = false;
        }
        Piece& Add(char c) {
            data_[size_++] = c;
            return *this;
        }
        Piece& Add(std::string_view text) {
            std::memcpy(data_ + size_, text.data(), text.size());
            size_ += text.size();
            return *this;
        }
        Piece& Add(int64_t number) {
            size_ = static_cast<size_t>(std::to_chars(data_ + size_, data_ + kRoom, number).ptr -
                                        data_);
            return *this;
        }
        std::string_view Text() const { return {data_, size_}; }
        void AppendTo(std::string& text) const { text.append(data_, size_); }

      private:
        char data_[kRoom];
        size_t size_ = 0;
    };

    void Quoted(std::string_view value) {
        text_ += '"';
        while (!value.empty()) {
            // A run of characters that need nothing goes in at once.
            size_t plain = 0;
            while (plain < value.size() && value[plain] >= 0x20 && value[plain] < 0x7F &&
                   value[plain] != '"' && value[plain] != '\\') {
                ++plain;
            }
            text_.append(value.data(), plain);
            value.remove_prefix(plain);
            if (value.empty()) {
                break;
            }
            const char c = value[0];
            const size_t length = Utf8Length(value);
            if (length == 0) {
                text_ += "\\ufffd";
                value.remove_prefix(1);
                continue;
            }
            if (c == '"' || c == '\\') {
                text_ += '\\';
                text_ += c;
            } else if (static_cast<unsigned char>(c) < 0x20) {
                static constexpr char kHex[] = "0123456789abcdef";
                text_ += "\\u00";
                text_ += kHex[(c >> 4) & 0xF];
                text_ += kHex[c & 0xF];
            } else {
                text_.append(value.data(), length);
            }
            value.remove_prefix(length);
        }
        text_ += '"';
    }
    std::string text_;
    bool first_ = true;
    bool afterKey_ = false;
};

}  // namespace

namespace {

// What every tick changes but the lamps and automatic levels, which the channels carry.
void WriteLive(JsonWriter& json, const ProgramModel& model, const std::string& outputsInUse) {
    const EngineState& engine = model.engine;
    json.Key("spectrum").Open('[');
    for (const double band : engine.SpectrumBands) {
        json.Tenths(band);
    }
    json.Close(']');
    json.Key("meters").Open('[');
    json.Tenths(engine.MeterLeft);
    json.Tenths(engine.MeterRight);
    json.Close(']');
    json.Key("tempo").String(model.beat.readout);
    json.Key("silent").Bool(engine.PeakLeft <= kSilencePeak);
    json.Key("outputs").String(outputsInUse);
}

void WriteSettings(JsonWriter& json, const ProgramModel& model, const WebMessages& messages) {
    json.Key("toggles").Open('{');
    for (const Toggle toggle : kToggles) {
        json.Key(ToggleName(toggle)).Bool(ToggleOn(model, toggle));
    }
    json.Close('}');
    json.Key("level").Number(model.sLevel.Value());
    json.Key("gain").Number(model.slider2.Value());
    json.Key("speed").List(model.combo4);
    json.Key("lpt").List(model.combo1);
    json.Key("lptAddress").String(model.outputs.LptAddressText);
    json.Key("com").List(model.combo2);
    json.Key("devices").List(model.capture.devices);
    json.Key("inputs").List(model.capture.inputs);
    json.Key("dmx").Open('{');
    json.Key("universe").Number(model.dmx.universe.Value());
    json.Key("address").Number(model.dmx.startAddress.Value());
    json.Key("lastAddress").Number(model.dmx.startAddress.Max());
    json.Key("layout").Open('{');
    json.Key("entries").Open('[');
    for (const char* name : kDmxLayoutNames) {
        json.String(name);
    }
    json.Close(']');
    json.Key("index").Number(static_cast<int64_t>(model.dmx.layout));
    json.Close('}');
    json.Close('}');
    json.Key("delay").Number(model.delay.ms.Value());
    json.Key("captureLost").Bool(model.capture.lost);
    json.Key("capturing").Bool(model.capture.RecordHandle != 0);
    json.Key("oladLost").Bool(model.dmx.On() && model.dmx.oladLost);
    json.Key("messages").Open('[');
    for (const WebMessage& message : messages.Recent()) {
        json.Open('{');
        json.Key("number").Number(static_cast<int64_t>(message.number));
        json.Key("text").String(message.text);
        json.Key("title").String(message.title);
        json.Key("detail").String(message.detail);
        json.Close('}');
    }
    json.Close(']');
}

}  // namespace

std::string WebStateJson(const ProgramModel& model, const std::string& outputsInUse,
                         const WebMessages& messages, WebStatePart part) {
    const EngineState& engine = model.engine;
    JsonWriter json;
    json.Open('{');
    if (part == WebStatePart::Live) {
        json.Key("live").Bool(true);
        json.Key("lit").Open('[');
        for (const bool lit : engine.lampLit) {
            json.Bool(lit);
        }
        json.Close(']');
        json.Key("auto").Open('[');
        for (const double level : engine.AutoThreshold) {
            json.Tenths(level);
        }
        json.Close(']');
        WriteLive(json, model, outputsInUse);
        json.Close('}');
        return json.Take();
    }
    const bool whole = part == WebStatePart::Whole;
    json.Key("channels").Open('[');
    for (int i = 0; i < kChannelCount; ++i) {
        const auto at = static_cast<size_t>(i);
        const ChannelConfig& channel = model.channels[at];
        json.Open('{');
        json.Key("band").Number(ClampedBand(BandCaptionNumber(channel.bandCaption)));
        json.Key("caption").String(channel.bandCaption);
        json.Key("threshold").Number(channel.threshold.Value());
        if (whole) {
            json.Key("lit").Bool(engine.lampLit[at]);
            json.Key("auto").Tenths(engine.AutoThreshold[at]);
        }
        json.Key("colour").String(LampColourText(channel.colour));
        json.Key("beat").Bool(channel.followsBeat);
        json.Close('}');
    }
    json.Close(']');
    WriteSettings(json, model, messages);
    if (whole) {
        WriteLive(json, model, outputsInUse);
    }
    json.Close('}');
    return json.Take();
}

}  // namespace zeb
