// Very large sizes are refused before any memory is touched, or drawn.
// The raster limit is RasterImage::kMaxRasterBytes (1 GiB, 3 bytes a pixel);
// the image size from the X-dimension is a 16-bit quantity that wraps.

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "hardening/program_run.hpp"
#include "korvel/raster_image.hpp"

namespace korvel {
namespace {

using testing::failureText;
using testing::readWholeFile;
using testing::runKorvel;
using testing::ScratchDirectory;

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

// The IHDR width and height of a PNG file.
RasterSize pngSize(const std::string& png)
{
    auto be32 = [&png](std::size_t at) {
        return static_cast<std::int32_t>((std::uint32_t{static_cast<std::uint8_t>(png[at])} << 24) |
                                         (std::uint32_t{static_cast<std::uint8_t>(png[at + 1])} << 16) |
                                         (std::uint32_t{static_cast<std::uint8_t>(png[at + 2])} << 8) |
                                         std::uint32_t{static_cast<std::uint8_t>(png[at + 3])});
    };
    return png.size() < 24 ? RasterSize{0, 0} : RasterSize{be32(16), be32(20)};
}

struct SizeCase {
    const char* name;
    std::vector<std::string> options;
    int status;
    RasterSize drawn;  // for status 0
};

// The default data gives a 12 x 12 symbol, 14 modules with the default
// quiet zone of one module, 16 with two.
const SizeCase kSizeCases[] = {
    {"RasterJustAboveTheLimit", {"-x", "16384", "-y", "21846"}, 3, {}},
    {"LargestWidthAndHeight", {"-x", "2147483647", "-y", "2147483647"}, 3, {}},
    {"WidthAndHeightBeyond32Bits", {"-x", "99999999999", "-y", "99999999999"}, 3, {}},
    {"WideAndTall", {"-x", "65535", "-y", "16384"}, 3, {}},
    {"LargeSizeGivenXDimensionIgnored", {"-x", "300", "-n", "1e308"}, 0, {300, 100}},
    {"XDimensionHuge", {"-n", "1e308"}, 1, {}},
    {"XDimensionInfinite", {"-n", "inf"}, 1, {}},
    {"XDimensionTimesExtentIs65536", {"-n", "4096", "-e", "2"}, 1, {}},
    {"XDimensionWrapsToSixteen", {"-n", "4097", "-e", "2"}, 0, {16, 16}},
    {"XDimensionWrapsTo264", {"-n", "4700"}, 0, {264, 264}},
    {"XDimensionWrapsBelowTheSymbol", {"-n", "4682"}, 4, {}},
    {"XDimensionJustBelowTheWrap", {"-n", "4681"}, 3, {}},
    {"XDimension65535", {"-n", "65535"}, 3, {}},
    {"QuietZoneLargestExtent", {"-e", "32761"}, 3, {}},
    {"QuietZoneLargestExtentOnePixel", {"-e", "32761", "-n", "1"}, 3, {}},
    {"QuietZoneLargestExtentSmallImage", {"-e", "32761", "-x", "100", "-y", "100"}, 4, {}},
    {"QuietZoneExtentAbove65535", {"-e", "32762"}, 1, {}},
    {"QuietZoneLargestInteger", {"-e", "2147483647"}, 1, {}},
    {"QuietZoneLargestIntegerNotShown", {"-e", "2147483647", "-q", "0"}, 0, {60, 60}},
    {"QuietZoneLargestIntegerGivenSize", {"-e", "2147483647", "-x", "100"}, 4, {}},
};

class ImageSizeLimit : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ImageSizeLimit, IsDrawnOrRefused)
{
    const SizeCase& c = GetParam();
    const ScratchDirectory dir;
    std::vector<std::string> args = c.options;
    args.push_back(dir.file("out.png"));
    const auto run = runKorvel(args);
    ASSERT_TRUE(run.exited) << "ended by signal " << run.signal;
    ASSERT_EQ(run.exitStatus, c.status) << run.err;
    if (c.status == 0) {
        const RasterSize size = pngSize(readWholeFile(dir.file("out.png")));
        EXPECT_EQ(size.width, c.drawn.width);
        EXPECT_EQ(size.height, c.drawn.height);
        return;
    }
    const char* message = c.status == 1   ? "Error: Invalid argument."
                          : c.status == 3 ? "Error: Cant initialize PNG creator."
                                          : "Error: Invalid barcode size.";
    EXPECT_EQ(run.err, failureText(message));
    EXPECT_EQ(dir.entryCount(), 0U);
}

INSTANTIATE_TEST_SUITE_P(Hardening, ImageSizeLimit, ::testing::ValuesIn(kSizeCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace korvel
