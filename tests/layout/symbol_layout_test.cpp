// One layout serves every writer: the refusals of the picture of pixels
// (PNG, raster) and of vector output come in the order of their steps.

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
