// The headless service's event loop: due timers in order of their due time, one-shot timers,
// readable descriptors, and the way out.

#include "headless/PollLoop.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <array>
#include <string>

namespace zeb {
namespace {

using std::chrono::milliseconds;

TEST(PollLoopTest, DueTimersRunEarliestFirstAndExitStopsTheRest) {
    PollLoop loop;
    std::string ran;
    const auto start = PollLoop::Clock::now();
    const int late = loop.AddTimer(milliseconds::zero(), [&] {
        ran += "late ";
        loop.Exit(7);
    });
    const int early = loop.AddTimer(milliseconds::zero(), [&] { ran += "early "; });
    const int never = loop.AddTimer(milliseconds::zero(), [&] { ran += "never "; });
    const int stopped = loop.AddTimer(milliseconds::zero(), [&] { ran += "stopped "; });
    loop.StartTimerAt(late, start + milliseconds(20));
    loop.StartTimerAt(early, start + milliseconds(5));
    loop.StartTimerAt(never, start + milliseconds(20));  // due with `late`, but after it
    loop.StartTimerAt(stopped, start);
    loop.StopTimer(stopped);
    EXPECT_EQ(loop.Run(), 7);
    EXPECT_EQ(ran, "early late ");
    EXPECT_GE(PollLoop::Clock::now() - start, milliseconds(20));
}

TEST(PollLoopTest, AOneShotTimerFiresOncePerStartAndADescriptorWakesTheLoop) {
    PollLoop loop;
    std::array<int, 2> pipe{};
    ASSERT_EQ(::pipe(pipe.data()), 0);
    int shots = 0;
    const int oneShot = loop.AddTimer(milliseconds::zero(), [&] {
        if (++shots == 1) {
            loop.StartTimer(oneShot);  // once more, then not again
            return;
        }
        ASSERT_EQ(::write(pipe[1], "x", 1), 1);
    });
    std::string read;
    loop.WatchReadable(pipe[0], [&] {
        char byte = 0;
        ASSERT_EQ(::read(pipe[0], &byte, 1), 1);
        read += byte;
        loop.Exit(0);
    });
    loop.StartTimer(oneShot);
    EXPECT_EQ(loop.Run(), 0);
    EXPECT_EQ(shots, 2);
    EXPECT_EQ(read, "x");
    ::close(pipe[0]);
    ::close(pipe[1]);
}

}  // namespace
}  // namespace zeb
