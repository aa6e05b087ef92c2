#include "ReaderThread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <optional>

#ifdef __linux__
#include <sched.h>
#endif

using glyphmeter::analysis::ReaderThread;

// The work runs on its own thread and is over once the thread is destroyed. On Linux, where it
// starts confined to the other processors, it must end up free to run on all of them again: a
// reader left pinned to one processor would wait whenever that one is busy.
TEST(ReaderThread, runsTheWorkAndMayUseEveryProcessorOfTheProcess) {
    std::atomic<bool> ran = false;
    std::optional<bool> mayUseEveryProcessor;
    {
        ReaderThread thread([&] {
            ran = true;
#ifdef __linux__
            cpu_set_t process;
            cpu_set_t own;
            ASSERT_EQ(::sched_getaffinity(::getpid(), sizeof process, &process), 0);
            ASSERT_EQ(::sched_getaffinity(0, sizeof own, &own), 0);
            mayUseEveryProcessor = CPU_EQUAL(&process, &own);
#endif
        });
    }
    EXPECT_TRUE(ran);
#ifdef __linux__
    EXPECT_EQ(mayUseEveryProcessor, std::optional{true});
#endif
}
