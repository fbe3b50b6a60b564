#include "output/keyboard/KeyboardLedOutput.h"

namespace zeb {

const std::string kKeyboardMessage = "Can't open keyboard device!";

bool KeyboardLedOutput::Start() {
    if (running_) {
        return true;
    }
    if (!device_.Open()) {
        return false;
    }
    device_.SetLeds(/*scroll=*/false, /*num=*/true, /*caps=*/false);
    running_ = true;
    return true;
}

void KeyboardLedOutput::Tick(const ChannelStatesArray& channels) {
    if (!running_) {
        return;
    }
    device_.SetLeds(/*scroll=*/channels[2] == 1, /*num=*/channels[0] == 1,
                    /*caps=*/channels[1] == 1);
}

void KeyboardLedOutput::Stop() {
    if (!running_) {
        return;
    }
    device_.RestoreLeds();
    device_.Close();
    running_ = false;
}

}  // namespace zeb
