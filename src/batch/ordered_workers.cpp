#include "batch/ordered_workers.hpp"

#include <algorithm>
#include <new>
#include <system_error>
#include <utility>

namespace korvel {

OrderedWorkers::OrderedWorkers(unsigned threads, std::size_t window, Work work, Deliver deliver)
    : OrderedWorkers(threads, window, 0,
                     [work = std::move(work)](const BatchLine& line, Rest&) { return work(line); }, std::move(deliver))
{
}

OrderedWorkers::OrderedWorkers(unsigned threads, std::size_t window, std::size_t linesInFlight, Start start,
                               Deliver deliver)
    : start_(std::move(start)), linesInFlight_(linesInFlight), deliver_(std::move(deliver)),
      slots_(std::max<std::size_t>(window, 1))
{
    threads_.reserve(std::max(threads, 1U));
    for (unsigned i = 0; i < std::max(threads, 1U); ++i) {
        try {
            threads_.emplace_back([this] { workLoop(); });
        } catch (const std::system_error&) {
            if (threads_.empty()) {
                throw;
            }
            break;
        }
    }
}

OrderedWorkers::~OrderedWorkers() { stop(); }

void OrderedWorkers::stop()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    workReady_.notify_all();
    threads_.clear();
}

void OrderedWorkers::submit(BatchLine line)
{
    std::unique_lock lock(mutex_);
    if (submitted_ - delivered_ == slots_.size()) {
        // Waking for every line delivered would cost a thread switch each;
        // once the window is full, the reader waits for half of it.
        slotFreed_.wait(lock, [this] { return submitted_ - delivered_ <= slots_.size() / 2; });
    }
    slots_[submitted_ % slots_.size()].line = std::move(line);
    ++submitted_;
    lock.unlock();
    workReady_.notify_one();
}

void OrderedWorkers::finish()
{
    {
        std::unique_lock lock(mutex_);
        slotFreed_.wait(lock, [this] { return delivered_ == submitted_ && !delivering_; });
    }
    stop();
}

void OrderedWorkers::workLoop()
{
    std::deque<Started> started;
    std::unique_lock lock(mutex_);
    for (;;) {
        workReady_.wait(lock, [&] { return stopping_ || claimed_ < submitted_ || !started.empty(); });
        if (stopping_) {
            return;  // finish() waits for every line, so only an early stop leaves rests undone
        }
        if (claimed_ < submitted_ && (started.empty() || started.size() < linesInFlight_)) {
            // The slot stays this line's until it is delivered, which needs
            // it done: it is read here without the lock.
            Slot& slot = slots_[claimed_++ % slots_.size()];
            Rest rest;
            lock.unlock();
            Outcome outcome;
            try {
                outcome = start_(slot.line, rest);
            } catch (...) {
                outcome = ResultCode::UnknownException;
                rest = nullptr;
            }
            lock.lock();
            if (rest) {
                started.push_back({&slot, std::move(rest)});
                continue;
            }
            slot.outcome = std::move(outcome);
            slot.done = true;
            deliverDue(lock);
            continue;
        }
        // Too many lines held, or none waiting: the oldest held line is finished.
        Started oldest = std::move(started.front());
        started.pop_front();
        lock.unlock();
        Outcome outcome;
        try {
            outcome = oldest.rest();
        } catch (...) {
            outcome = ResultCode::UnknownException;
        }
        lock.lock();
        oldest.slot->outcome = std::move(outcome);
        oldest.slot->done = true;
        deliverDue(lock);
    }
}

void OrderedWorkers::deliverDue(std::unique_lock<std::mutex>& lock)
{
    if (delivering_) {
        return;  // that thread finds this line done when it gets to it
    }
    delivering_ = true;
    while (delivered_ < submitted_ && slots_[delivered_ % slots_.size()].done) {
        Slot& slot = slots_[delivered_ % slots_.size()];
        const std::uint64_t number = slot.line.number;
        const Outcome outcome = std::move(slot.outcome);
        slot.done = false;
        ++delivered_;
        const bool halfFree = submitted_ - delivered_ == slots_.size() / 2;
        lock.unlock();
        if (halfFree) {
            slotFreed_.notify_all();
        }
        try {
            deliver_(number, outcome);
        } catch (...) {
            // A message that could not be written is lost; the batch goes on.
        }
        lock.lock();
    }
    delivering_ = false;
    if (delivered_ == submitted_) {
        slotFreed_.notify_all();
    }
}

}  // namespace korvel
