// Jobs done side by side, their outcomes handed on in the order the jobs came.
//
// Used for counting many files: the files are counted on every processor, yet each file's output
// is written in command-line order, as soon as every file before it has been written. Only a
// window of outcomes may wait for an earlier job, so memory stays bounded whatever the number of
// jobs; a worker that would run past the window waits instead. Where outcomes are weighed, a
// worker also waits while the outcomes waiting weigh more than a budget (bytes, say), so the
// memory they hold stays below the budget plus one outcome per worker.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <functional>
#include <mutex>
#include <optional>
#include <system_error>
#include <thread>
#include <utility>
#include <vector>

namespace glyphmeter::cli {

template <typename Job, typename Outcome>
class InOrder {
  public:
    // Gives the next job, or nullopt when there are no more; called by one worker at a time.
    using NextJob = std::function<std::optional<Job>()>;
    // Does one job on worker `worker` (0 to workers - 1); several run at once.
    using Perform = std::function<Outcome(Job& job, int worker)>;
    // Takes the outcomes one at a time, in the order of the jobs. `moreReady` says whether the
    // next outcome is waiting already (a moment to batch output rather than flush it). Returning
    // false stops the run: no further job is started and no further outcome delivered.
    using Deliver = std::function<bool(Outcome& outcome, bool moreReady)>;
    // What an outcome weighs against the budget.
    using Weigh = std::function<std::size_t(const Outcome& outcome)>;

    InOrder(std::size_t window, NextJob next, Perform perform, Deliver deliver, Weigh weigh = {},
            std::size_t budget = 0)
        : window_(window < 1 ? 1 : window),
          next_(std::move(next)),
          perform_(std::move(perform)),
          deliver_(std::move(deliver)),
          weigh_(std::move(weigh)),
          budget_(budget),
          ready_(window_) {}

    // Runs every job on the calling thread and up to `workers - 1` more, started only once there
    // is a second job for them. Returns false when a delivery stopped the run. Whatever a job, a
    // delivery or the source throws is thrown here, once every worker has ended.
    bool run(int workers) {
        workers_ = workers < 1 ? 1 : workers;
        threads_.reserve(static_cast<std::size_t>(workers_ - 1));
        work(0);
        {
            const std::lock_guard source(sourceMutex_);
            closing_ = true;
        }
        for (std::thread& thread : threads_) {
            thread.join();
        }
        if (error_) {
            std::rethrow_exception(error_);
        }
        return !stoppedByDelivery_;
    }

  private:
    void work(int worker) noexcept {
        try {
            Job job;
            std::size_t index = 0;
            while (take(job, index)) {
                Outcome outcome = perform_(job, worker);
                finish(index, std::move(outcome));
            }
        } catch (...) {
            stop(std::current_exception());
        }
    }

    // The next job and its place, once the window has room for it; false when there is none.
    bool take(Job& job, std::size_t& index) {
        const std::lock_guard source(sourceMutex_);
        {
            std::unique_lock lock(mutex_);
            // Past the budget there is always an unfinished job before the waiting outcomes,
            // which some worker is doing, so waiting here cannot last.
            room_.wait(lock, [&] {
                return stopped_ ||
                       (taken_ < delivered_ + window_ && (!weigh_ || waitingWeight_ <= budget_));
            });
            if (stopped_) {
                return false;
            }
        }
        if (!lookahead_ && !sourceDone_) {
            lookahead_ = next_();
            sourceDone_ = !lookahead_;
        }
        if (!lookahead_) {
            return false;
        }
        job = std::move(*lookahead_);
        lookahead_.reset();
        {
            const std::lock_guard lock(mutex_);
            index = taken_++;
        }
        // One job read ahead tells whether another worker has anything to do.
        if (!closing_ && static_cast<int>(threads_.size()) + 1 < workers_) {
            lookahead_ = next_();
            sourceDone_ = !lookahead_;
            if (lookahead_) {
                const int worker = static_cast<int>(threads_.size()) + 1;
                try {
                    threads_.emplace_back([this, worker] { work(worker); });
                } catch (const std::system_error&) {
                    workers_ = worker;  // no thread to be had: the workers there are go on
                }
            }
        }
        return true;
    }

    // Keeps the outcome of job `index`; the worker that finishes the oldest job delivers it and
    // every outcome after it that is ready.
    void finish(std::size_t index, Outcome&& outcome) {
        const std::size_t weight = weigh_ ? weigh_(outcome) : 0;
        std::unique_lock lock(mutex_);
        ready_[index % window_] = std::move(outcome);
        weights_[index % window_] = weight;
        waitingWeight_ += weight;
        if (delivering_ || index != delivered_) {
            return;
        }
        delivering_ = true;
        while (!stopped_ && ready_[delivered_ % window_]) {
            Outcome next = std::move(*ready_[delivered_ % window_]);
            ready_[delivered_ % window_].reset();
            waitingWeight_ -= weights_[delivered_ % window_];
            const bool moreReady = ready_[(delivered_ + 1) % window_].has_value();
            lock.unlock();
            bool goOn = false;
            std::exception_ptr error;
            try {
                goOn = deliver_(next, moreReady);
            } catch (...) {
                error = std::current_exception();
            }
            lock.lock();
            ++delivered_;
            if (error && !error_) {
                error_ = error;
            }
            if (!goOn) {
                stopped_ = true;
                stoppedByDelivery_ = !error;
            }
            room_.notify_all();
        }
        delivering_ = false;
    }

    void stop(std::exception_ptr error) {
        const std::lock_guard lock(mutex_);
        if (!error_) {
            error_ = std::move(error);
        }
        stopped_ = true;
        room_.notify_all();
    }

    const std::size_t window_;
    const NextJob next_;
    const Perform perform_;
    const Deliver deliver_;
    const Weigh weigh_;
    const std::size_t budget_;

    // Taken in this order when both are needed.
    std::mutex sourceMutex_;  // the source, the read-ahead job and the threads
    std::mutex mutex_;        // the rest

    std::optional<Job> lookahead_;
    bool sourceDone_ = false;
    bool closing_ = false;
    int workers_ = 1;
    std::vector<std::thread> threads_;

    std::condition_variable room_;
    std::vector<std::optional<Outcome>> ready_;  // outcome of job i in slot i % window_
    std::vector<std::size_t> weights_ = std::vector<std::size_t>(window_);
    std::size_t waitingWeight_ = 0;  // of the outcomes in ready_
    std::size_t taken_ = 0;
    std::size_t delivered_ = 0;
    bool delivering_ = false;
    bool stopped_ = false;
    bool stoppedByDelivery_ = false;
    std::exception_ptr error_;
};

}  // namespace glyphmeter::cli
