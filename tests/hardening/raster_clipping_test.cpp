// Rectangles and targets at the ends of the 32-bit range: fillRect paints
// exactly the part inside the image, and draw never writes outside it.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <limits>

#include "korvel/data_matrix_barcode.hpp"
#include "korvel/raster_image.hpp"

namespace korvel {
namespace {

constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();

struct Rect {
    std::int32_t x;
    std::int32_t y;
    std::int32_t w;
    std::int32_t h;
};

const Rect kRects[] = {
    {kMin, kMin, kMax, kMax}, {kMax, 0, kMax, 1},   {0, kMax, 1, kMax},  {-5, -5, 10, 10},
    {2, 3, kMax, kMax},       {kMin, 0, kMax, 3},   {-1, 0, 2, 1},       {7, 5, 1, 1},
    {8, 0, 1, 6},             {0, 6, 8, 1},         {0, 0, 0, 5},        {0, 0, 5, -1},
    {-kMax, -kMax, kMax, kMax}, {kMax - 1, kMax - 1, 2, 2}, {3, 2, 1, kMax}, {kMin, kMin, kMin, kMin},
};

TEST(RasterClipping, FillRectPaintsOnlyTheIntersection)
{
    constexpr std::int32_t kWidth = 8;
    constexpr std::int32_t kHeight = 6;
    for (const Rect& r : kRects) {
        SCOPED_TRACE(std::to_string(r.x) + ", " + std::to_string(r.y) + ", " + std::to_string(r.w) + ", " +
                     std::to_string(r.h));
        RasterImage image(kWidth, kHeight, Color::fromRgb(0xFFFFFF));
        ASSERT_TRUE(image.allocate());
        image.fillRect(r.x, r.y, r.w, r.h, Color::fromRgb(0x563412));
        const std::int64_t right = std::int64_t{r.x} + r.w;
        const std::int64_t bottom = std::int64_t{r.y} + r.h;
        for (std::int32_t py = 0; py < kHeight; ++py) {
            for (std::int32_t px = 0; px < kWidth; ++px) {
                const bool inside = r.w > 0 && r.h > 0 && px >= r.x && px < right && py >= r.y && py < bottom;
                const std::uint8_t* pixel = image.row(py) + 3 * px;
                EXPECT_EQ(pixel[0], inside ? 0x56 : 0xFF) << px << ", " << py;
                EXPECT_EQ(pixel[2], inside ? 0x12 : 0xFF) << px << ", " << py;
            }
        }
    }
}

// A target far larger than the image, or lying partly or wholly outside it:
// drawing answers 0 or 4 and only ever paints inside the image (the
// sanitizers watch the writes).
TEST(RasterClipping, DrawIntoHostileTargets)
{
    const TargetRect targets[] = {
        {kMin, kMax, kMin, kMax}, {0, kMax, 0, kMax},     {-1000, 40, -1000, 40}, {30, 100000, 30, 100000},
        {kMax - 20, kMax, 0, 20}, {0, 20, kMin, kMin + 20}, {10, 5, 10, 5},       {0, 0, 0, 0},
    };
    DataMatrixBarcode barcode;
    ASSERT_EQ(barcode.setBackgroundColor(Color::fromRgb(0x00FF00)), ResultCode::Ok);
    for (const std::int32_t orientation : {0, 90, 180, 270}) {
        ASSERT_EQ(barcode.setOrientation(orientation), ResultCode::Ok);
        for (const TargetRect& t : targets) {
            SCOPED_TRACE(std::to_string(t.left) + ".." + std::to_string(t.right) + " x " + std::to_string(t.top) +
                         ".." + std::to_string(t.bottom));
            RasterImage image(40, 40, Color::fromRgb(0xFFFFFF));
            ASSERT_TRUE(image.allocate());
            const ResultCode result = barcode.draw(image, t);
            EXPECT_TRUE(result == ResultCode::Ok || result == ResultCode::InvalidBarcodeSize)
                << static_cast<unsigned>(result);
        }
    }
}

}  // namespace
}  // namespace korvel
