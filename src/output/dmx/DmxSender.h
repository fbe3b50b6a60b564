#pragma once
// Sends the DMX frames of the engine ticks to the lighting daemon from a thread of its own, so
// the tick never waits on the daemon or the network. The tick only leaves its frame in a
// one-frame mailbox; the thread sends the newest frame, notices a daemon that went away and
// connects again on its own, trying more slowly the longer it stays away (at most 0.5 s apart).

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "output/Devices.h"
#include "output/dmx/DmxFrame.h"

namespace zeb {

// The message of a DMX output switched on in the window while no daemon answers on `rpcPort`.
// Without a screen there is no switch to press again: the service waits instead.
std::string DmxUnreachableText(int rpcPort);
// The line of a service whose DMX output waits for olad to answer on `rpcPort`.
std::string DmxWaitingText(int rpcPort);

class DmxSender {
  public:
    enum class FirstContact { Connected, Refused, Pending };

    // Starts the thread, which connects through `link` at once. `daemon` names the daemon in
    // the events ("olad on port 9010").
    DmxSender(std::unique_ptr<DmxLink> link, std::string daemon);
    // Closes without a final frame.
    ~DmxSender();
    DmxSender(const DmxSender&) = delete;
    DmxSender& operator=(const DmxSender&) = delete;

    // The outcome of the first connection attempt, waiting at most `wait` for it.
    FirstContact WaitForFirstContact(std::chrono::milliseconds wait);
    // Leaves `frame` for the thread, replacing one it has not sent yet. Never waits on the link.
    void Post(const DmxFrame& frame);
    // Sends `last` when connected, then disconnects and ends the thread. Returns within
    // `bound` even when the daemon hangs; the thread then ends on its own later.
    void Close(std::optional<DmxFrame> last, std::chrono::milliseconds bound);
    // What happened to the connection since the last call ("dmx lost: olad on port 9010").
    std::vector<std::string> TakeEvents();
    // Whether frames have stopped reaching the daemon: after the first attempt to connect,
    // whenever the connection is not (or no longer) made.
    bool LinkLost();
    // Whether a connection was ever made.
    bool HasConnected();

  private:
    struct Shared;
    static void Run(const std::shared_ptr<Shared>& shared);

    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace zeb
