#pragma once
// Small value types the program's state model is built from: a slider's value within its
// range, a drop-down list with its selection, and the colours the window uses.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zeb {

constexpr int kChannelCount = 12;
constexpr int kBandCount = 32;

// 1 = lit, 0 = dark, index = channel; channel 0 is the leftmost strip of the window.
using ChannelStatesArray = std::array<int16_t, kChannelCount>;
// Band levels, index 0 = lowest band.
using SpectrumBandsArray = std::array<double, kBandCount>;

// Colours are 0x00BBGGRR, blue in the high byte.
using Colour = uint32_t;
namespace colours {
constexpr Colour Blue = 0xFF0000;         // 16711680: a selected toggle, a hovered caption
constexpr Colour Grey = 0x404040;         // 4210752: an idle caption
constexpr Colour BrightGreen = 0x00FF00;  // a lit lamp, a highlighted band label
constexpr Colour DarkGreen = 0x004000;    // a dark lamp, an idle band label
}  // namespace colours

// A slider's value within Min..Max. A value outside the range is refused and the old one kept,
// as the slider control itself refuses it.
class RangedValue {
  public:
    RangedValue(int32_t min, int32_t max, int32_t value = 0);

    int32_t Min() const { return min_; }
    int32_t Max() const { return max_; }
    int32_t Value() const { return value_; }
    // False, and no change, when the value lies outside Min..Max.
    bool Set(int32_t value);

  private:
    int32_t min_;
    int32_t max_;
    int32_t value_;
};

// A list box: its entries and the selected position (-1 = none). An editable list (a combo box
// the user may type into) also has a text of its own.
class ChoiceList {
  public:
    explicit ChoiceList(bool editable = false) : editable_(editable) {}
    ChoiceList(std::vector<std::string> entries, bool editable = false);

    const std::vector<std::string>& Entries() const { return entries_; }
    int32_t Count() const { return static_cast<int32_t>(entries_.size()); }
    int32_t Index() const { return index_; }
    bool Editable() const { return editable_; }

    // Selects entry `index` (-1 clears the selection). False, and no change, for a position
    // outside the list. Selecting an entry of an editable list also sets its text.
    bool SetIndex(int32_t index);
    // The text the list shows: the selected entry, "" when none is selected; for an editable
    // list, its own text.
    std::string Text() const;
    // Typing into an editable list: sets the text and clears the selection. Ignored (false)
    // for a plain drop-down list.
    bool SetText(const std::string& text);

    void Add(const std::string& entry);
    // Removes entry `index`; the selection is cleared. False for a position outside the list.
    bool RemoveAt(int32_t index);
    void Clear();

  private:
    std::vector<std::string> entries_;
    int32_t index_ = -1;
    bool editable_ = false;
    std::string text_;
};

}  // namespace zeb
