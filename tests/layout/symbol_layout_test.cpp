// One layout serves every writer: the picture of pixels (PNG, raster), the
// picture of vector output in either physical rule, and the order in which
// their refusals come.

#include <gtest/gtest.h>

#include "layout/symbol_layout.hpp"

namespace korvel {
namespace {

Symbol encoded(std::int32_t format)
{
    SymbolOptions options;
    options.data = "123";
    options.preferredFormat = format;
    Symbol symbol;
    EXPECT_TRUE(encode(options, symbol).ok());
    return symbol;
}

struct LayoutCase {
    const char* name;
    std::int32_t format;  // 1: 10 x 10, 25: 8 x 18
    Orientation orientation;
    std::optional<ImageSize> imageSize;
    Alignment alignment;
    VectorOptions vector;
    // width, height, module size, left, top, columns, rows; unit in millimetres
    std::array<std::int64_t, 7> expected;
    double unitMillimetres;
};

const LayoutCase kLayouts[] = {
    {"DefaultAtNinetySixDpi", 1, Orientation::Degrees0, {}, Alignment::Center, {}, {60, 60, 5, 5, 5, 10, 10}, 25.4 / 96},
    {"CentredInAFixedImage", 1, Orientation::Degrees0, ImageSize{100, 100}, Alignment::Center, {std::nullopt, 300},
     {100, 100, 8, 10, 10, 10, 10}, 25.4 / 300},
    {"AtTheEndOfAFixedImage", 1, Orientation::Degrees0, ImageSize{100, 100}, Alignment::End, {std::nullopt, 300},
     {100, 100, 8, 12, 12, 10, 10}, 25.4 / 300},
    {"TurnedRectangleInModules", 25, Orientation::Degrees90, {}, Alignment::Center, {0.25, 96},
     {10, 20, 1, 1, 1, 8, 18}, 0.25},
};

void PrintTo(const LayoutCase& c, std::ostream* os) { *os << c.name; }

class VectorLayout : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(VectorLayout, PlacesTheSymbolAndSizesTheUnit)
{
    const LayoutCase& c = GetParam();
    RenderOptions render;
    render.orientation = c.orientation;
    render.imageSize = c.imageSize;
    render.horizontal = render.vertical = c.alignment;
    SymbolLayout layout;
    ASSERT_TRUE(layOutVector(encoded(c.format), render, c.vector, layout).ok());
    const std::array<std::int64_t, 7> got{layout.width, layout.height, layout.moduleSize, layout.left,
                                          layout.top,   layout.columns, layout.rows};
    EXPECT_EQ(got, c.expected);
    EXPECT_DOUBLE_EQ(layout.unitMillimetres.value_or(0), c.unitMillimetres);
    EXPECT_EQ(layout.bandHeight, 0);
    EXPECT_EQ(layout.bandTop, layout.top + layout.symbolHeight() + layout.quietZone * layout.moduleSize);
}

INSTANTIATE_TEST_SUITE_P(Cases, VectorLayout, ::testing::ValuesIn(kLayouts));

// Size first, then the raster's limit, then the fit, then the encoding.
TEST(PixelLayout, RefusesInTheOrderOfItsSteps)
{
    const Symbol symbol = encoded(1);
    const Symbol empty;
    RenderOptions render;
    SymbolLayout layout;
    render.moduleSize = 0.3;
    EXPECT_EQ(layOutPixels(symbol, render, std::nullopt, PixelLimit::Raster, layout).code, ResultCode::InvalidArgument);
    render.imageSize = ImageSize{400000000, 5};
    EXPECT_EQ(layOutPixels(symbol, render, std::nullopt, PixelLimit::Raster, layout).code,
              ResultCode::CantInitializePngCreator);
    EXPECT_EQ(layOutPixels(symbol, render, std::nullopt, PixelLimit::None, layout).code,
              ResultCode::InvalidBarcodeSize);
    render.imageSize = ImageSize{60, 60};
    EXPECT_EQ(layOutPixels(empty, render, std::nullopt, PixelLimit::Raster, layout).code, ResultCode::InvalidData);
    ASSERT_TRUE(layOutPixels(symbol, render, 254, PixelLimit::Raster, layout).ok());
    EXPECT_DOUBLE_EQ(layout.unitMillimetres.value_or(0), 0.1);
    render.imageSize.reset();
    EXPECT_EQ(layOutVector(symbol, render, {0.5, 96}, layout).code, ResultCode::Ok);
    render.imageSize = ImageSize{60, 60};
    EXPECT_EQ(layOutVector(symbol, render, {0.5, 96}, layout).code, ResultCode::InvalidArgument);
}

}  // namespace
}  // namespace korvel
