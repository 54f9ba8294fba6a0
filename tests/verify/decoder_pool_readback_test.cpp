// Decoding on several threads: every raster's reading lands at its own
// index, whichever thread read it, in rounds of any size one after another.
// Also built with ThreadSanitizer (tests/library/tsan).

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "decoding/decoder_pool.hpp"
#include "korvel/symbol.hpp"
#include "korvel/verification.hpp"

namespace korvel {
namespace {

TEST(DecoderPool, EveryReadingLandsAtItsRastersIndex)
{
    constexpr int kRasters = 40;
    std::vector<GrayRaster> rasters;
    std::vector<std::string> meant;
    for (int n = 0; n < kRasters; ++n) {
        SymbolOptions options;
        options.data = "POOL " + std::to_string(n);
        Symbol symbol;
        ASSERT_TRUE(encode(options, symbol).ok());
        rasters.push_back(plainRaster(symbol, Orientation::Degrees0, 2, 1));
        meant.push_back(options.data);
    }
    // A blank raster reads as nothing, and must not shift the others.
    rasters[5].pixels.assign(rasters[5].pixels.size(), 255);
    meant[5].clear();

    DecoderPool pool(4);
    for (const std::size_t count : {std::size_t{1}, std::size_t{7}, std::size_t{0}, std::size_t{kRasters}}) {
        std::vector<std::optional<SymbolReading>> readings(count);
        pool.decodeAll(std::span(rasters.data(), count), readings);
        for (std::size_t k = 0; k < count; ++k) {
            const std::string read = readings[k] ? std::string(readings[k]->bytes.begin(), readings[k]->bytes.end()) : "";
            EXPECT_EQ(read, meant[k]) << "raster " << k << " of a round of " << count;
        }
    }
}

}  // namespace
}  // namespace korvel
