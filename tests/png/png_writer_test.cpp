// The typed writer: values outside their sets are refused, colours are what
// users write, and the PNG library's complaints come back in the outcome
// instead of on the host program's standard error.

#include <gtest/gtest.h>

#include <vector>

#include "korvel/png_writer.hpp"
#include "support/png_file.hpp"

namespace korvel {
namespace {

Symbol encoded(const char* data)
{
    SymbolOptions options;
    options.data = data;
    Symbol symbol;
    EXPECT_TRUE(encode(options, symbol).ok());
    return symbol;
}

TEST(PngWriter, ValuesOutsideTheirSetsAreRefused)
{
    const Symbol symbol = encoded("refused");
    const auto refused = [&](RenderOptions render, PngOptions png) {
        std::vector<std::uint8_t> bytes;
        const Outcome outcome = writePng(symbol, render, png, bufferSink(bytes));
        EXPECT_TRUE(bytes.empty());
        return outcome.code;
    };
    RenderOptions render;
    render.orientation = static_cast<Orientation>(45);
    EXPECT_EQ(refused(render, {}), ResultCode::InvalidArgument);
    render = {};
    render.horizontal = static_cast<Alignment>(3);
    EXPECT_EQ(refused(render, {}), ResultCode::InvalidArgument);
    render = {};
    render.quietZoneSize = -1;
    EXPECT_EQ(refused(render, {}), ResultCode::InvalidArgument);
    for (const std::int32_t level : {-2, -1, 10}) {
        PngOptions png;
        png.compressionLevel = level;
        EXPECT_EQ(refused({}, png), ResultCode::InvalidArgument) << level;
    }
}

TEST(PngWriter, ColoursAreTheOnesWritten)
{
    RenderOptions render;
    render.foreground = Color::fromRgb(0xFF0000);
    render.background = Color{0x12, 0x34, 0x56};
    render.quietZone = false;
    std::vector<std::uint8_t> bytes;
    ASSERT_TRUE(writePng(encoded("colour"), render, {}, bufferSink(bytes)).ok());
    const auto png = testing::decodePng(bytes);
    ASSERT_TRUE(png.has_value());
    // The top-left module is dark (finder), the one right of it light (timing).
    EXPECT_EQ(png->rgb(0, 0), (std::array<std::uint8_t, 3>{0xFF, 0x00, 0x00}));
    EXPECT_EQ(png->rgb(5, 0), (std::array<std::uint8_t, 3>{0x12, 0x34, 0x56}));
}

TEST(PngWriter, ThePngLibraryMessageIsReturnedNotPrinted)
{
    const ByteSink refusing = [](std::span<const std::uint8_t>) { return false; };
    ::testing::internal::CaptureStderr();
    const Outcome outcome = writePng(encoded("quiet"), {}, {}, refusing);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
    EXPECT_EQ(outcome.code, ResultCode::Fail);
    EXPECT_NE(outcome.detail.find("refused"), std::string::npos) << outcome.detail;
}

}  // namespace
}  // namespace korvel
