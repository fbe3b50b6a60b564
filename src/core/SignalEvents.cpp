#include "core/SignalEvents.h"

#include <fcntl.h>
#include <pthread.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>

namespace zeb {

namespace {

constexpr std::array<int, 4> kEndSignals = {SIGTERM, SIGINT, SIGHUP, SIGQUIT};

// A signal handler reaches nothing but globals: the pipe of the one SignalEvents object and
// whether a request is already under way. Both are set by that object alone.
std::atomic<int> handlerPipe{-1};
std::atomic<bool> requestUnderWay{false};

void OnEndSignal(int signal) {
    if (requestUnderWay.exchange(true)) {
        // The second request: end now, the way the signal ends a program by default.
        ::signal(signal, SIG_DFL);
        ::raise(signal);
        return;
    }
    const int savedErrno = errno;
    const auto byte = static_cast<unsigned char>(signal);
    // A full pipe already holds a request; nothing is lost by dropping this one.
    [[maybe_unused]] const ssize_t written = ::write(handlerPipe.load(), &byte, 1);
    errno = savedErrno;
}

sigset_t EndSignalSet() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : kEndSignals) {
        sigaddset(&set, signal);
    }
    return set;
}

void MaskEndSignals(int how) {
    const sigset_t set = EndSignalSet();
    ::pthread_sigmask(how, &set, nullptr);
}

}  // namespace

void SignalEvents::BlockEndSignals() {
    MaskEndSignals(SIG_BLOCK);
}

SignalEvents::SignalEvents() {
    int fds[2] = {-1, -1};
    if (::pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0) {
        // No pipe, no handlers: the signals keep their default, immediate end.
        MaskEndSignals(SIG_UNBLOCK);
        return;
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
    handlerPipe = writeFd_;
    requestUnderWay = false;
    struct sigaction action = {};
    action.sa_handler = OnEndSignal;
    action.sa_mask = EndSignalSet();  // one handler at a time, whichever signal comes
    action.sa_flags = SA_RESTART;
    for (size_t i = 0; i < kEndSignals.size(); ++i) {
        ::sigaction(kEndSignals[i], &action, &previous_[i]);
    }
    // A signal held back since main began reaches the handler here, into the pipe.
    MaskEndSignals(SIG_UNBLOCK);
}

SignalEvents::~SignalEvents() {
    if (readFd_ < 0) {
        return;
    }
    MaskEndSignals(SIG_BLOCK);
    for (size_t i = 0; i < kEndSignals.size(); ++i) {
        ::sigaction(kEndSignals[i], &previous_[i], nullptr);
    }
    handlerPipe = -1;
    ::close(readFd_);
    ::close(writeFd_);
}

std::optional<int> SignalEvents::Take() {
    unsigned char byte = 0;
    if (readFd_ < 0 || ::read(readFd_, &byte, 1) != 1) {
        return std::nullopt;
    }
    return static_cast<int>(byte);
}

std::string SignalEvents::Name(int signal) {
    switch (signal) {
        case SIGTERM:
            return "SIGTERM";
        case SIGINT:
            return "SIGINT";
        case SIGHUP:
            return "SIGHUP";
        case SIGQUIT:
            return "SIGQUIT";
        default:
            return "signal " + std::to_string(signal);
    }
}

std::string SignalEvents::EndLine(int signal) {
    return Name(signal) + ": every lamp dark, settings left as they were";
}

}  // namespace zeb
