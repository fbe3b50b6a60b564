#include "output/dmx/DmxSender.h"

#include <pthread.h>
#include <signal.h>

#include <algorithm>
#include <condition_variable>
#include <mutex>
#include <utility>

namespace zeb {

namespace {

using std::chrono::milliseconds;

constexpr milliseconds kFirstRetry{100};
constexpr milliseconds kLongestRetry{500};
constexpr milliseconds kDestructorBound{300};

// A write to a socket the daemon has closed raises SIGPIPE, which would end the program. It
// is blocked on the sender thread only, where such a write then just fails.
void BlockBrokenPipeSignal() {
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

}  // namespace

std::string DmxUnreachableText(int rpcPort) {
    return "No OLA daemon (olad) answers on port " + std::to_string(rpcPort) +
           ", so the DMX output stays off.\r\n\r\nStart olad, then switch \"DMX\" on again or "
           "start ZEB again.";
}

std::string DmxWaitingText(int rpcPort) {
    return "No OLA daemon (olad) answers on port " + std::to_string(rpcPort) +
           " yet: the DMX output waits for it and sends as soon as it answers.";
}

// Everything the thread uses lives here, so a thread that outlives a bounded Close still has
// it.
struct DmxSender::Shared {
    std::unique_ptr<DmxLink> link;
    std::string daemon;

    std::mutex mutex;
    std::condition_variable wake;     // a frame arrived, or Close was called
    std::condition_variable settled;  // the first attempt is over, or the thread ended
    std::optional<DmxFrame> mailbox;
    std::optional<DmxFrame> last;
    bool closing = false;
    std::optional<bool> firstContact;
    bool connected = false;
    bool hasConnected = false;
    bool finished = false;
    std::vector<std::string> events;

    void Event(const std::string& what) { events.push_back("dmx " + what + ": " + daemon); }
};

DmxSender::DmxSender(std::unique_ptr<DmxLink> link, std::string daemon)
    : shared_(std::make_shared<Shared>()) {
    shared_->link = std::move(link);
    shared_->daemon = std::move(daemon);
    thread_ = std::thread(Run, shared_);
}

DmxSender::~DmxSender() {
    Close(std::nullopt, kDestructorBound);
}

DmxSender::FirstContact DmxSender::WaitForFirstContact(milliseconds wait) {
    std::unique_lock lock(shared_->mutex);
    shared_->settled.wait_for(lock, wait, [this] { return shared_->firstContact.has_value(); });
    if (!shared_->firstContact) {
        return FirstContact::Pending;
    }
    return *shared_->firstContact ? FirstContact::Connected : FirstContact::Refused;
}

void DmxSender::Post(const DmxFrame& frame) {
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->mailbox = frame;
    }
    shared_->wake.notify_one();
}

void DmxSender::Close(std::optional<DmxFrame> last, milliseconds bound) {
    if (!thread_.joinable()) {
        return;
    }
    {
        const std::lock_guard lock(shared_->mutex);
        shared_->closing = true;
        shared_->last = last;
    }
    shared_->wake.notify_one();
    std::unique_lock lock(shared_->mutex);
    if (shared_->settled.wait_for(lock, bound, [this] { return shared_->finished; })) {
        lock.unlock();
        thread_.join();
    } else {
        // Stuck in a call to a daemon that does not answer: leave it to end by itself.
        thread_.detach();
    }
}

std::vector<std::string> DmxSender::TakeEvents() {
    const std::lock_guard lock(shared_->mutex);
    return std::exchange(shared_->events, {});
}

bool DmxSender::LinkLost() {
    const std::lock_guard lock(shared_->mutex);
    return shared_->firstContact.has_value() && !shared_->connected;
}

bool DmxSender::HasConnected() {
    const std::lock_guard lock(shared_->mutex);
    return shared_->hasConnected;
}

void DmxSender::Run(const std::shared_ptr<Shared>& shared) {
    BlockBrokenPipeSignal();
    Shared& s = *shared;
    DmxLink& link = *s.link;
    std::optional<DmxFrame> lastSent;
    // A frame for other slots (another layout, universe, address or pixel count) first darkens
    // the slots left behind.
    const auto send = [&](const DmxFrame& frame) {
        if (lastSent && !lastSent->patch.SameSlots(frame.patch) &&
            !link.Send(Darkened(*lastSent))) {
            return false;
        }
        lastSent = frame;
        return link.Send(frame);
    };

    bool connected = link.Connect();
    std::unique_lock lock(s.mutex);
    s.firstContact = connected;
    s.connected = connected;
    if (connected) {
        s.hasConnected = true;
        s.Event("connected");
    }
    s.settled.notify_all();

    milliseconds retry = kFirstRetry;
    for (;;) {
        if (connected) {
            s.wake.wait(lock, [&] { return s.closing || s.mailbox.has_value(); });
        } else {
            s.wake.wait_for(lock, retry, [&] { return s.closing; });
        }
        if (s.closing) {
            const std::optional<DmxFrame> last = s.last;
            lock.unlock();
            if (connected && last) {
                send(*last);
            }
            link.Disconnect();
            break;
        }
        if (!connected) {
            lock.unlock();
            connected = link.Connect();
            lock.lock();
            s.connected = connected;
            if (connected) {
                s.Event(std::exchange(s.hasConnected, true) ? "reconnected" : "connected");
                retry = kFirstRetry;
            } else {
                retry = std::min(retry * 2, kLongestRetry);
            }
            continue;
        }
        const DmxFrame frame = *std::exchange(s.mailbox, std::nullopt);
        lock.unlock();
        const bool sent = send(frame);
        if (!sent) {
            link.Disconnect();
            connected = false;
            retry = kFirstRetry;
        }
        lock.lock();
        if (!sent) {
            s.connected = false;
            s.Event("lost");
        }
    }
    lock.lock();
    s.finished = true;
    s.settled.notify_all();
}

}  // namespace zeb
