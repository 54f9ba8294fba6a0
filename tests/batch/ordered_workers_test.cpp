// The batch worker pool hands every outcome back once, in submission order,
// whichever thread finishes first, and never works further ahead than its
// window. Besides joining the ordinary test program, this file is built with
// ThreadSanitizer by the library.thread_sanitizer test: the delivery
// callback below keeps its state without a lock of its own, as the batch
// runner does.

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "batch/ordered_workers.hpp"

namespace korvel {
namespace {

// Work whose length varies with the line, so that later lines often finish
// before earlier ones.
Outcome uneven(const BatchLine& line)
{
    volatile std::uint64_t sum = 0;
    for (std::uint64_t i = 0; i < (line.number * 7919) % 13 * 3000; ++i) {
        sum = sum + i;
    }
    return line.number % 5 == 0 ? Outcome(ResultCode::InvalidData, line.text) : Outcome();
}

TEST(OrderedWorkers, HandsBackEveryLineInOrderWithinTheWindow)
{
    constexpr std::size_t kWindow = 6;
    constexpr std::uint64_t kLines = 2000;
    for (const unsigned threads : {1U, 4U}) {
        std::vector<std::uint64_t> order;
        std::atomic<std::uint64_t> deliveredCount{0};
        std::atomic<bool> aheadOfWindow{false};
        OrderedWorkers workers(
            threads, kWindow,
            [&](const BatchLine& line) {
                // Line k (from 0) may start once fewer than kWindow lines before it
                // are still held; the count below lags by the one being delivered.
                if ((line.number - 1) / 2 >= deliveredCount + kWindow + 1) {
                    aheadOfWindow = true;
                }
                return uneven(line);
            },
            [&](std::uint64_t number, const Outcome& outcome) {
                order.push_back(number);
                EXPECT_EQ(outcome.detail, number % 5 == 0 ? "line " + std::to_string(number) : "");
                ++deliveredCount;
            });
        for (std::uint64_t k = 0; k < kLines; ++k) {
            const std::uint64_t number = 2 * k + 1;  // as with an empty line after each
            workers.submit({number, "line " + std::to_string(number)});
        }
        workers.finish();
        ASSERT_EQ(order.size(), kLines);
        for (std::uint64_t k = 0; k < kLines; ++k) {
            ASSERT_EQ(order[k], 2 * k + 1) << threads << " threads";
        }
        EXPECT_FALSE(aheadOfWindow) << threads << " threads";
    }
}

// A pool left without finish() (the reader failed with an exception) stops
// its threads and drops what it had not started.
TEST(OrderedWorkers, StopsWhenDestroyedEarly)
{
    std::atomic<int> delivered{0};
    {
        OrderedWorkers workers(3, 4, uneven, [&](std::uint64_t, const Outcome&) { ++delivered; });
        for (std::uint64_t number = 1; number <= 20; ++number) {
            workers.submit({number, "x"});
        }
    }
    EXPECT_GE(delivered.load(), 16);
    EXPECT_LE(delivered.load(), 20);
}

}  // namespace
}  // namespace korvel
