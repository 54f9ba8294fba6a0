#pragma once
// Runs the lines of a batch on worker threads and hands each line's outcome
// back in line order, whichever thread finished it. At most `window` lines
// are held at once (waiting, in work, or done and waiting for an earlier
// line), so memory follows the work in flight, not the length of the input.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "batch/line_reader.hpp"
#include "korvel/result_code.hpp"

namespace korvel {

class OrderedWorkers {
public:
    // Makes the line's symbol; called on the worker threads, several at once.
    using Work = std::function<Outcome(const BatchLine& line)>;
    // Takes one line's outcome; called for one line at a time, in the order
    // the lines were submitted, from the thread that completed the line due.
    using Deliver = std::function<void(std::uint64_t lineNumber, const Outcome& outcome)>;

    // The end of a line's work, when it waits for something working beside
    // the worker (the verifier helper reading the symbol).
    using Rest = std::function<Outcome()>;
    // Starts the line's work; may leave the rest of it in `rest`. The worker
    // then goes on with other lines and calls the rests it holds in the
    // order it started their lines: when it holds `linesInFlight` of them,
    // or when no line is waiting to be started. A line is delivered once
    // its rest is done.
    using Start = std::function<Outcome(const BatchLine& line, Rest& rest)>;

    // Starts `threads` workers (at least one; fewer when the system refuses
    // more). Throws std::system_error when not even one can start.
    OrderedWorkers(unsigned threads, std::size_t window, Work work, Deliver deliver);
    OrderedWorkers(unsigned threads, std::size_t window, std::size_t linesInFlight, Start start, Deliver deliver);
    // Stops the workers; lines not yet started are dropped undelivered.
    ~OrderedWorkers();
    OrderedWorkers(const OrderedWorkers&) = delete;
    OrderedWorkers& operator=(const OrderedWorkers&) = delete;

    // Queues the line, first waiting while the window is full.
    void submit(BatchLine line);
    // Waits until every submitted line has been delivered, then stops the workers.
    void finish();

private:
    struct Slot {
        BatchLine line;
        Outcome outcome;
        bool done = false;
    };

    // A line started on this worker whose rest is still to do.
    struct Started {
        Slot* slot;
        Rest rest;
    };

    void workLoop();
    // Hands back the lines that are due, unless another thread is doing so.
    void deliverDue(std::unique_lock<std::mutex>& lock);
    void stop();

    Start start_;
    std::size_t linesInFlight_;
    Deliver deliver_;
    std::vector<Slot> slots_;  // a ring: line k of the submission order uses slot k % size
    std::mutex mutex_;
    std::condition_variable workReady_;
    std::condition_variable slotFreed_;
    std::uint64_t submitted_ = 0;
    std::uint64_t claimed_ = 0;
    std::uint64_t delivered_ = 0;
    bool delivering_ = false;
    bool stopping_ = false;
    std::vector<std::jthread> threads_;  // last: joined before the rest is destroyed
};

}  // namespace korvel
