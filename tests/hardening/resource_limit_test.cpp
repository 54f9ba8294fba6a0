// Rasters above RasterImage::kMaxRasterBytes (1 GiB, 3 bytes a pixel) are
// refused before any memory is touched. What the program makes of such sizes
// is checked in tests/cli/program_process_test.cpp.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <limits>
#include <string>

#include "korvel/raster_image.hpp"

namespace korvel {
namespace {

constexpr std::int32_t kInt32Max = std::numeric_limits<std::int32_t>::max();

long peakResidentKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

struct RasterSize {
    std::int32_t width;
    std::int32_t height;
};

// Each just above the limit in one way or another (or no size at all).
const RasterSize kRefusedRasters[] = {
    {16384, 21846},      // 1073774592 bytes, 32768 above the limit
    {357913942, 1},      // one row of 1073741826 bytes
    {1, 357913942},      // as many rows of 3 bytes
    {65536, 5462},       // 1073872896 bytes
    {46341, 46341},      // the pixel count overflows 31 bits
    {kInt32Max, kInt32Max},
    {kInt32Max, 1},
    {1, kInt32Max},
    {0, 100},
    {100, 0},
    {-1, 100},
    {100, std::numeric_limits<std::int32_t>::min()},
};

TEST(RasterLimit, SizesAboveTheLimitAreRefusedWithoutTouchingMemory)
{
    static_assert(RasterImage::kMaxRasterBytes == std::size_t{1} << 30);
    for (const RasterSize& size : kRefusedRasters) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        const long before = peakResidentKilobytes();
        RasterImage image(size.width, size.height, Color::fromRgb(0xFFFFFF));
        EXPECT_FALSE(image.allocate());
        EXPECT_FALSE(image.isAllocated());
        // Filling a refused raster must not write anywhere.
        image.fillRect(0, 0, 10, 10, kBlack);
        EXPECT_LT(peakResidentKilobytes() - before, 64 * 1024) << "the refused raster was touched";
    }
}

TEST(RasterLimit, SmallerRastersAreAcceptedAndFilled)
{
    const RasterSize accepted[] = {{1, 1}, {3, 1}, {1, 3}, {640, 480}};
    for (const RasterSize& size : accepted) {
        SCOPED_TRACE(std::to_string(size.width) + " x " + std::to_string(size.height));
        RasterImage image(size.width, size.height, Color::fromRgb(0x00FF00));
        ASSERT_TRUE(image.allocate());
        const std::uint8_t* last = image.row(size.height - 1) + image.rowBytes() - 3;
        EXPECT_EQ(image.row(0)[0], 0);
        EXPECT_EQ(image.row(0)[1], 0xFF);
        EXPECT_EQ(last[1], 0xFF);
        EXPECT_EQ(last[2], 0);
    }
}

}  // namespace
}  // namespace korvel
