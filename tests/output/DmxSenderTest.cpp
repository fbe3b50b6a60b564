// The DMX sender thread against a daemon that stops answering in the middle of a frame.

#include "output/dmx/DmxSender.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>

namespace zeb {
namespace {

using namespace std::chrono_literals;

// Shared between the test and a link that may outlive the sender.
struct Gate {
    std::mutex mutex;
    std::condition_variable changed;
    bool sending = false;
    bool released = false;
    bool gone = false;

    void Set(bool Gate::*flag) {
        const std::lock_guard lock(mutex);
        this->*flag = true;
        changed.notify_all();
    }
    bool Await(bool Gate::*flag) {
        std::unique_lock lock(mutex);
        return changed.wait_for(lock, 10s, [&] { return this->*flag; });
    }
};

// Connects, then hangs in its first Send until the test releases it.
class HangingLink : public DmxLink {
  public:
    explicit HangingLink(std::shared_ptr<Gate> gate) : gate_(std::move(gate)) {}
    ~HangingLink() override { gate_->Set(&Gate::gone); }
    bool Connect() override { return true; }
    bool Send(const DmxFrame& /*frame*/) override {
        gate_->Set(&Gate::sending);
        gate_->Await(&Gate::released);
        return true;
    }
    void Disconnect() override {}

  private:
    std::shared_ptr<Gate> gate_;
};

TEST(DmxSenderTest, AHangingDaemonHoldsNeitherTheTicksNorTheClose) {
    auto gate = std::make_shared<Gate>();
    {
        DmxSender sender(std::make_unique<HangingLink>(gate), "olad on port 1");
        ASSERT_EQ(sender.WaitForFirstContact(10s), DmxSender::FirstContact::Connected);
        EXPECT_EQ(sender.TakeEvents(), std::vector<std::string>{"dmx connected: olad on port 1"});
        sender.Post(DmxFrame{});
        ASSERT_TRUE(gate->Await(&Gate::sending));

        // The ticks go on leaving frames, and leaving comes back while the send still hangs.
        for (int tick = 0; tick < 100; ++tick) {
            sender.Post(DmxFrame{});
        }
        sender.Close(DmxFrame{}, 100ms);
        const std::lock_guard lock(gate->mutex);
        EXPECT_FALSE(gate->released);
        EXPECT_FALSE(gate->gone);
    }
    // Once the daemon answers, the thread left behind ends and frees the link.
    gate->Set(&Gate::released);
    EXPECT_TRUE(gate->Await(&Gate::gone));
}

}  // namespace
}  // namespace zeb
