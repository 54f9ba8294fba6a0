#include "decoding/decoder_pool.hpp"

#include <system_error>

namespace korvel {

DecoderPool::DecoderPool(unsigned threads)
{
    for (unsigned k = 1; k < threads; ++k) {
        try {
            threads_.emplace_back([this] { helperLoop(); });
        } catch (const std::system_error&) {
            break;  // the caller decodes alone, or with those that started
        }
    }
}

DecoderPool::~DecoderPool()
{
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    started_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
}

void DecoderPool::decodeAll(std::span<const GrayRaster> rasters, std::span<std::optional<SymbolReading>> readings)
{
    std::unique_lock lock(mutex_);
    rasters_ = rasters;
    readings_ = readings;
    next_ = 0;
    if (rasters.size() > 1 && !threads_.empty()) {
        helpersBusy_ = threads_.size();
        ++round_;
        started_.notify_all();
    }
    lock.unlock();
    decodeShare(decoder_);
    lock.lock();
    finished_.wait(lock, [this] { return helpersBusy_ == 0; });
}

void DecoderPool::helperLoop()
{
    ZxingDecoder decoder;
    std::uint64_t seen = 0;
    std::unique_lock lock(mutex_);
    for (;;) {
        started_.wait(lock, [&] { return stopping_ || round_ != seen; });
        if (stopping_) {
            return;
        }
        seen = round_;
        lock.unlock();
        decodeShare(decoder);
        lock.lock();
        if (--helpersBusy_ == 0) {
            finished_.notify_one();
        }
    }
}

// Takes rasters one at a time until none is left.
void DecoderPool::decodeShare(ZxingDecoder& decoder)
{
    for (;;) {
        std::size_t index = 0;
        {
            const std::lock_guard lock(mutex_);
            if (next_ >= rasters_.size()) {
                return;
            }
            index = next_++;
        }
        static_cast<void>(decoder.decode(rasters_[index], readings_[index]));
    }
}

}  // namespace korvel
