// The runner of jobs side by side: outcomes in job order, a bounded number waiting, and stops.
#include "InOrder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <mutex>
#include <optional>
#include <random>
#include <stdexcept>
#include <thread>
#include <vector>

namespace glyphmeter::cli {
namespace {

// Jobs of random length on several workers, through windows from one outcome to many: every
// outcome arrives once, in order, and no more than the window ever wait at once.
TEST(InOrder, delivers_every_outcome_in_job_order_with_at_most_the_window_waiting) {
    for (const std::size_t window : {1u, 3u, 64u}) {
        for (const int workers : {1, 2, 4}) {
            std::mutex mutex;
            int waiting = 0;
            int mostWaiting = 0;
            std::vector<int> delivered;
            int nextJob = 0;
            InOrder<int, int> run(
                window,
                [&]() -> std::optional<int> {
                    return nextJob < 300 ? std::optional(nextJob++) : std::nullopt;
                },
                [&](int& job, int) {
                    thread_local std::mt19937 engine(std::random_device{}());
                    std::this_thread::sleep_for(std::chrono::microseconds(engine() % 200));
                    const std::lock_guard lock(mutex);
                    mostWaiting = std::max(mostWaiting, ++waiting);
                    return job;
                },
                [&](int& outcome, bool) {
                    const std::lock_guard lock(mutex);
                    --waiting;
                    delivered.push_back(outcome);
                    return true;
                });
            EXPECT_TRUE(run.run(workers));
            const std::string where =
                "window " + std::to_string(window) + " workers " + std::to_string(workers);
            ASSERT_EQ(delivered.size(), 300u) << where;
            for (int i = 0; i < 300; ++i) {
                ASSERT_EQ(delivered[i], i) << where;
            }
            EXPECT_LE(mostWaiting, static_cast<int>(window)) << where;
        }
    }
}

// Outcomes that weigh from 0 to 60 against a budget of 100, behind a window of many: all arrive
// in order, and what waits never weighs more than the budget and one outcome per worker.
TEST(InOrder, waiting_outcomes_stay_within_the_budget_and_one_outcome_per_worker) {
    for (const int workers : {1, 2, 4}) {
        std::mutex mutex;
        int waitingWeight = 0;
        int mostWeight = 0;
        int expected = 0;
        bool inOrder = true;
        int nextJob = 0;
        const auto weightOf = [](int job) { return job % 7 * 10; };
        InOrder<int, int> run(
            64,
            [&]() -> std::optional<int> {
                return nextJob < 300 ? std::optional(nextJob++) : std::nullopt;
            },
            [&](int& job, int) {
                thread_local std::mt19937 engine(std::random_device{}());
                std::this_thread::sleep_for(std::chrono::microseconds(engine() % 200));
                const std::lock_guard lock(mutex);
                waitingWeight += weightOf(job);
                mostWeight = std::max(mostWeight, waitingWeight);
                return job;
            },
            [&](int& outcome, bool) {
                const std::lock_guard lock(mutex);
                waitingWeight -= weightOf(outcome);
                inOrder = inOrder && outcome == expected++;
                return true;
            },
            [&](const int& outcome) { return static_cast<std::size_t>(weightOf(outcome)); }, 100);
        EXPECT_TRUE(run.run(workers));
        EXPECT_EQ(expected, 300) << workers;
        EXPECT_TRUE(inOrder) << workers;
        EXPECT_LE(mostWeight, 100 + workers * 60) << workers;
    }
}

// A delivery that says stop ends the run early; a job that throws ends it with that exception.
TEST(InOrder, stops_at_a_refused_delivery_and_passes_on_what_a_job_throws) {
    int next = 0;
    const auto jobs = [&]() -> std::optional<int> {
        return next < 1000 ? std::optional(next++) : std::nullopt;
    };
    std::vector<int> delivered;
    InOrder<int, int> refusing(
        8, jobs, [](int& job, int) { return job; },
        [&](int& outcome, bool) {
            delivered.push_back(outcome);
            return outcome < 10;
        });
    EXPECT_FALSE(refusing.run(2));
    EXPECT_EQ(delivered.size(), 11u);
    EXPECT_LT(next, 1000);

    next = 0;
    InOrder<int, int> throwing(
        8, jobs,
        [](int& job, int) {
            if (job == 50) {
                throw std::runtime_error("job 50");
            }
            return job;
        },
        [](int&, bool) { return true; });
    EXPECT_THROW(throwing.run(2), std::runtime_error);
}

}  // namespace
}  // namespace glyphmeter::cli
