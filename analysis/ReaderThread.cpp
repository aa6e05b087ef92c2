#include "ReaderThread.h"

#include <memory>
#include <system_error>
#include <utility>

#ifdef __linux__
#include <sched.h>
#endif

namespace glyphmeter::analysis {

#ifdef __linux__

namespace {

struct ThreadStart {
    std::function<void()> work;
    cpu_set_t allowed;
    bool narrowed;
};

void* runThread(void* argument) {
    const std::unique_ptr<ThreadStart> start(static_cast<ThreadStart*>(argument));
    if (start->narrowed) {
        ::sched_setaffinity(0, sizeof start->allowed, &start->allowed);
    }
    start->work();
    return nullptr;
}

}  // namespace

ReaderThread::ReaderThread(std::function<void()> work) {
    auto start = std::make_unique<ThreadStart>(ThreadStart{std::move(work), {}, false});
    pthread_attr_t attributes;
    if (const int error = ::pthread_attr_init(&attributes); error != 0) {
        throw std::system_error(error, std::generic_category(), "pthread_attr_init");
    }
    // The processors other than this one, if the process may use any: the new thread starts
    // where nothing else keeps it waiting.
    if (::sched_getaffinity(0, sizeof start->allowed, &start->allowed) == 0) {
        cpu_set_t others = start->allowed;
        if (const int here = ::sched_getcpu(); here >= 0 && here < CPU_SETSIZE) {
            CPU_CLR(here, &others);
        }
        start->narrowed = CPU_COUNT(&others) > 0 && !CPU_EQUAL(&others, &start->allowed) &&
                          ::pthread_attr_setaffinity_np(&attributes, sizeof others, &others) == 0;
    }
    const int error = ::pthread_create(&thread_, &attributes, runThread, start.get());
    ::pthread_attr_destroy(&attributes);
    if (error != 0) {
        throw std::system_error(error, std::generic_category(), "pthread_create");
    }
    start.release();  // the thread owns it now
}

ReaderThread::~ReaderThread() {
    ::pthread_join(thread_, nullptr);
}

#else

ReaderThread::ReaderThread(std::function<void()> work) : thread_(std::move(work)) {}

ReaderThread::~ReaderThread() = default;

#endif

}  // namespace glyphmeter::analysis
