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
    std::vector<GrayRaster> rasters;
    for (int n = 0; n < 40; ++n) {
        SymbolOptions options;
        options.data = "POOL " + std::to_string(n);
        Symbol symbol;
        ASSERT_TRUE(encode(options, symbol).ok());
        rasters.push_back(plainRaster(symbol, Orientation::Degrees0, 2, 1));
    }
    rasters[5].pixels.assign(rasters[5].pixels.size(), 255);  // a blank raster reads as nothing, in its place
    DecoderPool pool(4);
    for (const std::size_t count : {1, 7, 0, 40}) {
        std::vector<std::optional<SymbolReading>> readings(count);
        pool.decodeAll(std::span(rasters.data(), count), readings);
        for (std::size_t k = 0; k < count; ++k) {
            EXPECT_EQ(readings[k] ? std::string(readings[k]->bytes.begin(), readings[k]->bytes.end()) : "",
                      k == 5 ? "" : "POOL " + std::to_string(k))
                << "raster " << k << " of a round of " << count;
        }
    }
}

}  // namespace
}  // namespace korvel
