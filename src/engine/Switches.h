#pragma once
// The program's switches as states. The settings file keeps them as short texts; only the
// settings code turns texts into states and back. A text the program does not know reads as
// off and is written back as it was read, until the program changes the switch.

#include <optional>
#include <string>
#include <utility>

namespace zeb {

// Which of the four mutually exclusive serial/USB outputs is selected.
enum class SerialMode { Off, Com, Ftdi, Usb3Led, Usb8Led };

template <typename State>
class StoredSwitch {
  public:
    constexpr StoredSwitch() = default;
    // As read from a settings file: `unknownText` is the text when it named no state.
    StoredSwitch(State state, std::optional<std::string> unknownText)
        : state_(state), unknownText_(std::move(unknownText)) {}

    State Get() const { return state_; }
    bool Is(State state) const { return state_ == state; }
    // The program's own change: the stored text is the state's from now on.
    void Set(State state) {
        state_ = state;
        unknownText_.reset();
    }
    const std::optional<std::string>& UnknownText() const { return unknownText_; }

  private:
    State state_{};
    std::optional<std::string> unknownText_;
};

using ModeSwitch = StoredSwitch<SerialMode>;

class OnOffSwitch : public StoredSwitch<bool> {
  public:
    using StoredSwitch<bool>::StoredSwitch;
    bool On() const { return Get(); }
};

}  // namespace zeb
