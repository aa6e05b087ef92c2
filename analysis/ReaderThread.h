// The thread of a tally's second reader, started on another processor than its creator's.
//
// Linux queues a new thread on its creator's processor, and while the creator keeps that
// processor busy reading, the new thread may wait there for milliseconds before the system moves
// it to an idle one: the two readers then take turns instead of reading at once. So on Linux the
// thread is created allowed only on the processors other than the caller's, and widens itself back
// to every processor the process may use as soon as it runs. Elsewhere it is a plain thread.
#pragma once

#include <functional>

#ifdef __linux__
#include <pthread.h>
#else
#include <thread>
#endif

namespace glyphmeter::analysis {

class ReaderThread {
  public:
    // Runs `work`, which must not throw, on a new thread. Throws std::system_error when no
    // thread can be had.
    explicit ReaderThread(std::function<void()> work);
    // Waits for `work` to end.
    ~ReaderThread();

    ReaderThread(const ReaderThread&) = delete;
    ReaderThread& operator=(const ReaderThread&) = delete;

  private:
#ifdef __linux__
    pthread_t thread_{};
#else
    std::jthread thread_;
#endif
};

}  // namespace glyphmeter::analysis
