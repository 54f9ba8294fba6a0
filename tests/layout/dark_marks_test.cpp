// Dots and ink spread in pixels, against their definitions worked out pixel
// by pixel: a dot's pixel is dark when its centre lies inside the circle;
// ink spread erodes the dark areas by whole pixels, so a pixel stays dark
// when every module within that many pixels of it is dark. The PNG (decoded
// by libpng) and the raster drawing must both show exactly that.

#include <gtest/gtest.h>

#include <cmath>

#include "korvel/png_writer.hpp"
#include "korvel/rendering.hpp"
#include "layout/module_view.hpp"
#include "support/png_file.hpp"

namespace korvel {
namespace {

struct MarkCase {
    std::optional<double> dots;
    double inkSpread;
    Orientation orientation;
};

bool darkByDefinition(const MarkCase& c, const ModuleView& view, int s, int quiet, int x, int y)
{
    const auto dark = [&](int i, int j) { return i >= 0 && j >= 0 && i < view.rows() && j < view.columns() && view.dark(i, j); };
    const int p = static_cast<int>(std::floor(c.inkSpread * s / 2 + 1e-9));
    const int mx = x - quiet * s;
    const int my = y - quiet * s;
    const int i = my >= 0 ? my / s : -1;
    const int j = mx >= 0 ? mx / s : -1;
    if (c.dots) {
        const double diameter = *c.dots * s - 2 * p;
        const double dx = 2 * (mx - j * s) + 1 - s;
        const double dy = 2 * (my - i * s) + 1 - s;
        return dark(i, j) && dx * dx + dy * dy <= diameter * diameter + 1e-9;
    }
    for (int yy = my - p; yy <= my + p; ++yy) {
        for (int xx = mx - p; xx <= mx + p; ++xx) {
            if (!dark(yy >= 0 ? yy / s : -1, xx >= 0 ? xx / s : -1)) {
                return false;
            }
        }
    }
    return true;
}

TEST(DarkMarks, PngAndRasterShowTheirDefinitionPixelForPixel)
{
    const MarkCase cases[] = {
        {1.0, 0.0, Orientation::Degrees0},  {0.8, 0.0, Orientation::Degrees90}, {0.1, 0.0, Orientation::Degrees0},
        {0.9, 0.3, Orientation::Degrees180}, {std::nullopt, 0.5, Orientation::Degrees0},
        {std::nullopt, 0.25, Orientation::Degrees270}, {std::nullopt, 0.12, Orientation::Degrees0},
    };
    SymbolOptions options;
    options.data = "Marks, 2026";
    Symbol symbol;
    ASSERT_TRUE(encode(options, symbol).ok());
    for (const MarkCase& c : cases) {
        for (int s = 1; s <= 9; ++s) {
            RenderOptions render;
            render.moduleSize = s;
            render.dotDiameter = c.dots;
            render.inkSpread = c.inkSpread;
            render.orientation = c.orientation;
            std::vector<std::uint8_t> bytes;
            ASSERT_TRUE(writePng(symbol, render, {}, bufferSink(bytes)).ok());
            const auto png = testing::decodePng(bytes, testing::PngPixels::Rgb);
            ASSERT_TRUE(png.has_value());
            RasterImage raster(static_cast<std::int32_t>(png->width), static_cast<std::int32_t>(png->height), kWhite);
            ASSERT_TRUE(raster.allocate());
            ASSERT_TRUE(renderSymbol(symbol, render, raster).ok());
            const ModuleView view(symbol.matrix(), c.orientation);
            int wrong = 0;
            for (std::uint32_t y = 0; y < png->height; ++y) {
                for (std::uint32_t x = 0; x < png->width; ++x) {
                    const bool meant = darkByDefinition(c, view, s, 1, static_cast<int>(x), static_cast<int>(y));
                    const std::uint8_t level = meant ? 0 : 255;
                    wrong += png->rgb(x, y)[0] != level || raster.row(static_cast<std::int32_t>(y))[3 * x] != level;
                }
            }
            EXPECT_EQ(wrong, 0) << "dots " << c.dots.value_or(0) << ", spread " << c.inkSpread << ", " << s
                                << " pixels per module";
        }
    }
}

}  // namespace
}  // namespace korvel
