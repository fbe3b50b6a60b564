#pragma once
// The program's actions: what only changes the model goes there, the rest to `Program`. When
// an action ends the program, the front end's loop is left with the exit status.

#include <functional>
#include <utility>

#include "core/ModelActions.h"
#include "core/Program.h"

namespace zeb {

class ProgramCommands final : public ModelActions {
  public:
    // Leaves the front end's loop with an exit status; the program has let go of everything.
    using EndLoop = std::function<void(int status)>;

    ProgramCommands(ProgramModel& model, Program& program, EndLoop endLoop)
        : ModelActions(model), program_(program), endLoop_(std::move(endLoop)) {}

    void PressToggle(Toggle toggle) override;
    bool Save() override;
    void SaveAndExit() override;
    void SelectCaptureDevice(int32_t index) override;
    void SelectCaptureInput(int32_t index) override;
    void DragInputLevel(int32_t level) override;
    void LptAddressListLeft() override;
    void TapTempo() override;

  private:
    Program& program_;
    EndLoop endLoop_;
};

}  // namespace zeb
