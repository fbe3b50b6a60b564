#pragma once
// A connection to the PulseAudio server (or PipeWire's pulse server) served by libpulse's own
// thread. Every libpulse call is made with the loop's Lock held, and every wait for the server
// ends after a timeout, so an unresponsive server cannot freeze the window.

#include <pulse/pulseaudio.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <string>

namespace zeb {

class PulseConnection {
  public:
    // Connects to `server` (empty = the usual one, from PULSE_SERVER or the session) without
    // starting a server. Null, with `error` set to a capture error code, when none answers.
    static std::unique_ptr<PulseConnection> Open(const std::string& server,
                                                 std::chrono::milliseconds timeout, int32_t& error);
    // Starts connecting and returns at once; Progress tells how it goes. Null when the attempt
    // fails before it has begun.
    static std::unique_ptr<PulseConnection> Begin(const std::string& server,
                                                  std::chrono::milliseconds timeout);
    ~PulseConnection();
    PulseConnection(const PulseConnection&) = delete;
    PulseConnection& operator=(const PulseConnection&) = delete;

    // Holds the loop's lock for its lifetime; libpulse calls and waits happen inside one.
    class Lock {
      public:
        explicit Lock(PulseConnection& connection);
        ~Lock();
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

      private:
        pa_threaded_mainloop* loop_;
    };

    pa_context* Context() const { return context_.get(); }
    // False once the server has gone away; the connection is then useless.
    bool Alive() const;

    enum class Progress { Connecting, Ready, Failed };
    // Where a connection begun with Begin stands; never waits. One still connecting after the
    // timeout counts as failed.
    Progress Check();

    // With the lock held: from now on, note when the server adds or removes a source.
    bool WatchSources();
    // Whether a source was added or removed since the last call.
    bool TakeSourcesChanged() { return sourcesChanged_.exchange(false); }

    // With the lock held: waits until `done` holds, the timeout passes or the connection dies.
    // Returns whether `done` held.
    bool WaitFor(const std::function<bool()>& done);
    // With the lock held: waits for `operation` to finish and releases it. False when it was
    // null, did not finish in time (it is then cancelled) or was cancelled.
    bool Finish(pa_operation* operation);

    // A capture error code for the last failure libpulse reports on this connection.
    int32_t LastError() const;

    // libpulse callback that only wakes the waiting thread; its userdata is the connection.
    static void Wake(void* connection);

  private:
    struct Key {};  // only Open constructs connections

  public:
    PulseConnection(Key, std::chrono::milliseconds timeout) : timeout_(timeout) {}

  private:
    struct FreeLoop {
        void operator()(pa_threaded_mainloop* loop) const { pa_threaded_mainloop_free(loop); }
    };
    struct UnrefContext {
        void operator()(pa_context* context) const { pa_context_unref(context); }
    };

    std::chrono::milliseconds timeout_;
    std::unique_ptr<pa_threaded_mainloop, FreeLoop> loop_;
    std::unique_ptr<pa_context, UnrefContext> context_;
    bool timedOut_ = false;  // set by the loop thread, read under the lock
    std::chrono::steady_clock::time_point begun_;
    std::atomic<bool> sourcesChanged_ = false;  // set by the loop thread
};

}  // namespace zeb
