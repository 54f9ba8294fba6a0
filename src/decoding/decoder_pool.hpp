#pragma once
// Decoding several rasters at once on a few threads: the helper reads the
// requests of a burst together and answers them in their order, so that a
// batch whose workers wait on it gets every core, not one.

#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

#include "korvel/zxing_decoder.hpp"

namespace korvel {

class DecoderPool {
public:
    // `threads` decoding in all, the caller's own among them; fewer when
    // the system starts no more.
    explicit DecoderPool(unsigned threads);
    ~DecoderPool();
    DecoderPool(const DecoderPool&) = delete;
    DecoderPool& operator=(const DecoderPool&) = delete;

    // Reads every raster into the reading at its index; returns when all are read.
    void decodeAll(std::span<const GrayRaster> rasters, std::span<std::optional<SymbolReading>> readings);

private:
    void helperLoop();
    void decodeShare(ZxingDecoder& decoder);

    ZxingDecoder decoder_;  // the caller's
    std::vector<std::thread> threads_;
    std::mutex mutex_;
    std::condition_variable started_;
    std::condition_variable finished_;
    std::span<const GrayRaster> rasters_;
    std::span<std::optional<SymbolReading>> readings_;
    std::size_t next_ = 0;       // the next raster to take, under mutex_
    std::size_t helpersBusy_ = 0;
    std::uint64_t round_ = 0;
    bool stopping_ = false;
};

}  // namespace korvel
