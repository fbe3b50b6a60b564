#include "audio/PulseConnection.h"

#include "audio/CaptureErrors.h"

namespace zeb {

namespace {

int32_t ErrorFromPulse(int pulseError) {
    switch (pulseError) {
        case PA_OK:
            return capture_error::kNone;
        case PA_ERR_CONNECTIONREFUSED:
        case PA_ERR_CONNECTIONTERMINATED:
        case PA_ERR_INVALIDSERVER:
        case PA_ERR_NOTIMPLEMENTED:
        case PA_ERR_VERSION:
        case PA_ERR_AUTHKEY:
            return capture_error::kDriver;
        case PA_ERR_NOENTITY:
            return capture_error::kDevice;
        case PA_ERR_BUSY:
        case PA_ERR_ACCESS:
            return capture_error::kBusy;
        case PA_ERR_NOTSUPPORTED:
        case PA_ERR_INVALID:
            return capture_error::kFormat;
        case PA_ERR_TIMEOUT:
            return capture_error::kTimeout;
        default:
            return capture_error::kUnknown;
    }
}

void WakeOnLoop(pa_threaded_mainloop* loop) {
    pa_threaded_mainloop_signal(loop, 0);
}

}  // namespace

std::unique_ptr<PulseConnection> PulseConnection::Begin(const std::string& server,
                                                        std::chrono::milliseconds timeout) {
    auto connection = std::make_unique<PulseConnection>(Key{}, timeout);
    connection->begun_ = std::chrono::steady_clock::now();
    connection->loop_.reset(pa_threaded_mainloop_new());
    if (!connection->loop_) {
        return nullptr;
    }
    connection->context_.reset(
        pa_context_new(pa_threaded_mainloop_get_api(connection->loop_.get()), "ZEB"));
    if (!connection->context_ || pa_threaded_mainloop_start(connection->loop_.get()) < 0) {
        return nullptr;
    }
    Lock lock(*connection);
    pa_context* context = connection->Context();
    pa_context_set_state_callback(
        context, [](pa_context*, void* self) { Wake(self); }, connection.get());
    // No autospawn: with no server running, the connection fails at once instead of starting
    // one behind the user's back or hanging.
    if (pa_context_connect(context, server.empty() ? nullptr : server.c_str(),
                           PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) {
        return nullptr;
    }
    return connection;
}

std::unique_ptr<PulseConnection> PulseConnection::Open(const std::string& server,
                                                       std::chrono::milliseconds timeout,
                                                       int32_t& error) {
    std::unique_ptr<PulseConnection> connection = Begin(server, timeout);
    if (!connection) {
        error = capture_error::kDriver;
        return nullptr;
    }
    pa_context* context = connection->Context();
    {
        Lock lock(*connection);
        const bool settled = connection->WaitFor([context] {
            const pa_context_state_t state = pa_context_get_state(context);
            return state == PA_CONTEXT_READY || !PA_CONTEXT_IS_GOOD(state);
        });
        if (!settled) {
            error = capture_error::kTimeout;
            return nullptr;
        }
    }
    if (connection->Check() != Progress::Ready) {
        error = capture_error::kDriver;
        return nullptr;
    }
    error = capture_error::kNone;
    return connection;
}

PulseConnection::Progress PulseConnection::Check() {
    Lock lock(*this);
    const pa_context_state_t state = pa_context_get_state(context_.get());
    if (state == PA_CONTEXT_READY) {
        return Progress::Ready;
    }
    if (PA_CONTEXT_IS_GOOD(state) && std::chrono::steady_clock::now() - begun_ < timeout_) {
        return Progress::Connecting;
    }
    return Progress::Failed;
}

bool PulseConnection::WatchSources() {
    pa_context_set_subscribe_callback(
        context_.get(),
        [](pa_context*, pa_subscription_event_type_t event, uint32_t, void* self) {
            // Volume and port changes arrive as changes; only a source coming or going counts.
            const auto facility = event & PA_SUBSCRIPTION_EVENT_FACILITY_MASK;
            const auto type = event & PA_SUBSCRIPTION_EVENT_TYPE_MASK;
            if (facility == PA_SUBSCRIPTION_EVENT_SOURCE && type != PA_SUBSCRIPTION_EVENT_CHANGE) {
                static_cast<PulseConnection*>(self)->sourcesChanged_.store(true);
            }
        },
        this);
    return Finish(
        pa_context_subscribe(context_.get(), PA_SUBSCRIPTION_MASK_SOURCE, nullptr, nullptr));
}

PulseConnection::~PulseConnection() {
    if (context_) {
        Lock lock(*this);
        pa_context_set_state_callback(context_.get(), nullptr, nullptr);
        pa_context_set_subscribe_callback(context_.get(), nullptr, nullptr);
        pa_context_disconnect(context_.get());
    }
    // The loop's thread must be gone before the context is released and the loop freed.
    if (loop_) {
        pa_threaded_mainloop_stop(loop_.get());
    }
    context_.reset();
}

PulseConnection::Lock::Lock(PulseConnection& connection) : loop_(connection.loop_.get()) {
    pa_threaded_mainloop_lock(loop_);
}

PulseConnection::Lock::~Lock() {
    pa_threaded_mainloop_unlock(loop_);
}

bool PulseConnection::Alive() const {
    return PA_CONTEXT_IS_GOOD(pa_context_get_state(context_.get()));
}

void PulseConnection::Wake(void* connection) {
    WakeOnLoop(static_cast<PulseConnection*>(connection)->loop_.get());
}

bool PulseConnection::WaitFor(const std::function<bool()>& done) {
    pa_mainloop_api* api = pa_threaded_mainloop_get_api(loop_.get());
    timeval deadline{};
    pa_gettimeofday(&deadline);
    pa_timeval_add(&deadline,
                   static_cast<pa_usec_t>(
                       std::chrono::duration_cast<std::chrono::microseconds>(timeout_).count()));
    timedOut_ = false;
    pa_time_event* timer = api->time_new(
        api, &deadline,
        [](pa_mainloop_api*, pa_time_event*, const timeval*, void* self) {
            static_cast<PulseConnection*>(self)->timedOut_ = true;
            Wake(self);
        },
        this);
    bool result = done();
    while (!result && !timedOut_ && Alive()) {
        pa_threaded_mainloop_wait(loop_.get());
        result = done();
    }
    api->time_free(timer);
    return result;
}

bool PulseConnection::Finish(pa_operation* operation) {
    if (operation == nullptr) {
        return false;
    }
    pa_operation_set_state_callback(
        operation, [](pa_operation*, void* self) { Wake(self); }, this);
    WaitFor([operation] { return pa_operation_get_state(operation) != PA_OPERATION_RUNNING; });
    const pa_operation_state_t state = pa_operation_get_state(operation);
    if (state == PA_OPERATION_RUNNING) {
        pa_operation_cancel(operation);
    }
    pa_operation_set_state_callback(operation, nullptr, nullptr);
    pa_operation_unref(operation);
    return state == PA_OPERATION_DONE;
}

int32_t PulseConnection::LastError() const {
    if (!Alive()) {
        return capture_error::kDriver;
    }
    return ErrorFromPulse(pa_context_errno(context_.get()));
}

}  // namespace zeb
