#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <string>

#include "korvel/data_matrix_barcode.hpp"

namespace korvel {
namespace {

using enum EncodingMode;


// 10 x 10 (format 1) or 8 x 18 (format 25): "123456" takes three ASCII codewords.
void prepare(DataMatrixBarcode& barcode, int format, std::int32_t orientation = 0, bool quietZone = true,
             std::int32_t quietZoneSize = 1)
{
    ASSERT_EQ(barcode.setEncodingMode(Ascii), ResultCode::Ok);
    ASSERT_EQ(barcode.setData("123456"), ResultCode::Ok);
    ASSERT_EQ(barcode.setPreferredFormat(format), ResultCode::Ok);
    ASSERT_EQ(barcode.setOrientation(orientation), ResultCode::Ok);
    ASSERT_EQ(barcode.setQuietZone(quietZone), ResultCode::Ok);
    ASSERT_EQ(barcode.setQuietZoneSize(quietZoneSize), ResultCode::Ok);
}

Color pixelAt(const RasterImage& image, int x, int y)
{
    const std::uint8_t* p = image.row(y) + 3 * x;
    return {p[0], p[1], p[2]};
}

// Pixels that differ from the expectation, at most a few of them described.
std::string mismatches(const RasterImage& image, const auto& expected)
{
    std::string text;
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const Color want = expected(x, y);
            if (pixelAt(image, x, y) != want && ++count <= 5) {
                text += "(" + std::to_string(x) + "," + std::to_string(y) + ") ";
            }
        }
    }
    return count == 0 ? "" : std::to_string(count) + " pixels differ, first " + text;
}

// ---------------------------------------------------------------------------

struct SizeCase {
    const char* name;
    int format;
    std::int32_t orientation;
    bool quietZone;
    std::int32_t quietZoneSize;
    double xDimension;
    ResultCode result;
    std::int32_t width = 0;
    std::int32_t height = 0;
};

void PrintTo(const SizeCase& c, std::ostream* os) { *os << c.name; }

class ImageSizeTest : public ::testing::TestWithParam<SizeCase> {};

TEST_P(ImageSizeTest, RoundsMultipliesAndWraps)
{
    const SizeCase& c = GetParam();
    DataMatrixBarcode barcode;
    prepare(barcode, c.format, c.orientation, c.quietZone, c.quietZoneSize);
    ImageSize size{-7, -7};
    ASSERT_EQ(barcode.getImageSize(c.xDimension, size), c.result);
    if (c.result == ResultCode::Ok) {
        EXPECT_EQ(size.width, c.width);
        EXPECT_EQ(size.height, c.height);
    }
}

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr double kNan = std::numeric_limits<double>::quiet_NaN();
constexpr auto kBad = ResultCode::InvalidArgument;
constexpr auto kOk = ResultCode::Ok;

INSTANTIATE_TEST_SUITE_P(
    Cases, ImageSizeTest,
    ::testing::Values(SizeCase{"Default", 1, 0, true, 1, 5.0, kOk, 60, 60},
                      SizeCase{"HalfRoundsUp", 1, 0, true, 1, 2.5, kOk, 36, 36},
                      SizeCase{"BelowHalfRoundsDown", 1, 0, true, 1, 2.49, kOk, 24, 24},
                      SizeCase{"JustHalf", 1, 0, true, 1, 0.5, kOk, 12, 12},
                      SizeCase{"ZeroPixels", 1, 0, true, 1, 0.49, kBad},
                      SizeCase{"PointThree", 1, 0, true, 1, 0.3, kBad},
                      SizeCase{"Zero", 1, 0, true, 1, 0.0, kBad},
                      SizeCase{"Negative", 1, 0, true, 1, -3.0, kBad},
                      SizeCase{"Huge", 1, 0, true, 1, 1e10, kBad},
                      SizeCase{"Infinite", 1, 0, true, 1, kInf, kBad},
                      SizeCase{"NotANumber", 1, 0, true, 1, kNan, kBad},
                      // The largest 32-bit pixel count still multiplies (and wraps) ...
                      SizeCase{"Largest32Bit", 1, 0, true, 1, 4294967295.0, kOk, 65524, 65524},
                      // ... one more does not fit 32 bits.
                      SizeCase{"Beyond32Bit", 1, 0, true, 1, 4294967295.5, kBad},
                      SizeCase{"NoQuietZone", 1, 0, false, 1, 5.0, kOk, 50, 50},
                      SizeCase{"QuietZone0", 1, 0, true, 0, 5.0, kOk, 50, 50},
                      SizeCase{"QuietZone3", 1, 0, true, 3, 2.0, kOk, 32, 32},
                      SizeCase{"Rectangle0", 25, 0, true, 1, 1.0, kOk, 20, 10},
                      SizeCase{"Rectangle90", 25, 90, true, 1, 1.0, kOk, 10, 20},
                      SizeCase{"Rectangle180", 25, 180, true, 1, 1.0, kOk, 20, 10},
                      SizeCase{"Rectangle270", 25, 270, true, 1, 1.0, kOk, 10, 20},
                      // 20 x 3277 = 65540 wraps to 4; 10 x 3277 = 32770 does not wrap.
                      SizeCase{"WidthWraps", 25, 0, true, 1, 3277.0, kOk, 4, 32770},
                      SizeCase{"HeightWrapsToZero", 25, 90, false, 1, 8192.0, kBad},
                      SizeCase{"ExtentAtLimit", 1, 0, true, 32762, 1.0, kOk, 65534, 65534},
                      SizeCase{"ExtentBeyond16Bit", 1, 0, true, 32763, 1.0, kBad},
                      SizeCase{"LargestQuietZone", 1, 0, true, std::numeric_limits<std::int32_t>::max(), 1.0, kBad},
                      SizeCase{"HugeQuietZoneNotShown", 1, 0, false, 32763, 1.0, kOk, 10, 10}),
    [](const auto& info) { return std::string(info.param.name); });

// 12 x 12 and its quiet zone measure 14 modules: 4683 pixels each gives
// 65562, which wraps to 26; with 16 modules, 4096 pixels is exactly 65536.
TEST(ImageSize, SixteenBitWrapOfWholeSymbols)
{
    DataMatrixBarcode barcode;
    ASSERT_EQ(barcode.setEncodingMode(Ascii), ResultCode::Ok);
    ASSERT_EQ(barcode.setPreferredFormat(2), ResultCode::Ok);
    ImageSize size;
    ASSERT_EQ(barcode.getImageSize(4683.0, size), ResultCode::Ok);
    EXPECT_EQ(size.width, 26);
    EXPECT_EQ(size.height, 26);
    ASSERT_EQ(barcode.setQuietZoneSize(2), ResultCode::Ok);
    EXPECT_EQ(barcode.getImageSize(4096.0, size), ResultCode::InvalidArgument);
}

// ---------------------------------------------------------------------------

// The matrix as the drawing must show it: 90 turns it a quarter turn
// counter-clockwise, 270 clockwise.
struct TurnedMatrix {
    const ModuleMatrix& matrix;
    int orientation;

    [[nodiscard]] bool upright() const { return orientation == 0 || orientation == 180; }
    [[nodiscard]] int rows() const { return upright() ? matrix.rows() : matrix.columns(); }
    [[nodiscard]] int columns() const { return upright() ? matrix.columns() : matrix.rows(); }
    [[nodiscard]] std::uint8_t at(int i, int j) const
    {
        const int nr = matrix.rows();
        const int nc = matrix.columns();
        switch (orientation) {
        case 90: return matrix.module(j, nc - 1 - i);
        case 180: return matrix.module(nr - 1 - i, nc - 1 - j);
        case 270: return matrix.module(nr - 1 - j, i);
        default: return matrix.module(i, j);
        }
    }
};

struct DrawCase {
    const char* name;
    int format;
    std::int32_t orientation;
    bool quietZone;
    std::int32_t quietZoneSize;
    std::int32_t alignH;
    std::int32_t alignV;
    std::int32_t width;  // of the image and the target
    std::int32_t height;
    int moduleSize;  // expected
    int x0;          // expected top-left pixel of the first module
    int y0;
    Color background = kWhite;
    Color foreground = kBlack;
};

void PrintTo(const DrawCase& c, std::ostream* os) { *os << c.name; }

class DrawTest : public ::testing::TestWithParam<DrawCase> {};

TEST_P(DrawTest, PaintsEveryModuleAtItsPlace)
{
    const DrawCase& c = GetParam();
    DataMatrixBarcode barcode;
    prepare(barcode, c.format, c.orientation, c.quietZone, c.quietZoneSize);
    ASSERT_EQ(barcode.setHorizontalAlignment(c.alignH), ResultCode::Ok);
    ASSERT_EQ(barcode.setVerticalAlignment(c.alignV), ResultCode::Ok);
    ASSERT_EQ(barcode.setBackgroundColor(c.background), ResultCode::Ok);
    ASSERT_EQ(barcode.setForegroundColor(c.foreground), ResultCode::Ok);
    RasterImage image(c.width, c.height, kWhite);
    ASSERT_TRUE(image.allocate());
    ASSERT_EQ(barcode.draw(image, {0, c.width, 0, c.height}), ResultCode::Ok);

    const TurnedMatrix m{barcode.matrix(), c.orientation};
    const int s = c.moduleSize;
    const auto expected = [&](int x, int y) {
        const int i = y >= c.y0 ? (y - c.y0) / s : -1;
        const int j = x >= c.x0 ? (x - c.x0) / s : -1;
        const bool inside = i >= 0 && j >= 0 && i < m.rows() && j < m.columns();
        return inside && m.at(i, j) == 1 ? c.foreground : c.background;
    };
    EXPECT_EQ(mismatches(image, expected), "");
    // The first dark module is the top-left one as shown: make sure the
    // symbol really starts at (x0, y0) and not one module later.
    int dark = 0;
    for (int i = 0; i < m.rows(); ++i) {
        for (int j = 0; j < m.columns(); ++j) {
            dark += m.at(i, j);
        }
    }
    EXPECT_GT(dark, m.rows() + m.columns());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DrawTest,
    ::testing::Values(
        DrawCase{"ExactFit", 1, 0, true, 1, 1, 1, 60, 60, 5, 5, 5},
        DrawCase{"Centred", 1, 0, true, 1, 1, 1, 100, 100, 8, 10, 10},
        DrawCase{"RightBottom", 1, 0, true, 1, 2, 2, 100, 100, 8, 12, 12},
        DrawCase{"LeftTop", 1, 0, true, 1, 0, 0, 100, 100, 8, 8, 8},
        DrawCase{"LeftBottom", 1, 0, true, 1, 0, 2, 100, 100, 8, 8, 12},
        DrawCase{"RightCentre", 1, 0, true, 1, 2, 1, 100, 100, 8, 12, 10},
        DrawCase{"WideTarget", 1, 0, true, 1, 1, 1, 200, 60, 5, 75, 5},
        DrawCase{"TallTargetBottom", 1, 0, true, 1, 1, 2, 24, 97, 2, 2, 75},
        DrawCase{"NoQuietZoneOddSpace", 1, 0, false, 1, 1, 1, 105, 100, 10, 2, 0},
        DrawCase{"NoQuietZoneRight", 1, 0, false, 1, 2, 2, 105, 100, 10, 5, 0},
        DrawCase{"QuietZone3", 1, 0, true, 3, 1, 1, 100, 100, 6, 20, 20},
        DrawCase{"QuietZone0", 1, 0, true, 0, 0, 0, 35, 35, 3, 0, 0},
        DrawCase{"Rotated90", 1, 90, true, 1, 1, 1, 60, 60, 5, 5, 5},
        DrawCase{"Rotated180", 1, 180, true, 1, 1, 1, 60, 60, 5, 5, 5},
        DrawCase{"Rotated270", 1, 270, true, 1, 1, 1, 60, 60, 5, 5, 5},
        DrawCase{"Rectangle0", 25, 0, true, 1, 1, 1, 100, 50, 5, 5, 5},
        DrawCase{"Rectangle90", 25, 90, true, 1, 1, 1, 50, 100, 5, 5, 5},
        DrawCase{"Rectangle180", 25, 180, true, 1, 1, 1, 100, 50, 5, 5, 5},
        DrawCase{"Rectangle270", 25, 270, true, 1, 1, 1, 50, 100, 5, 5, 5},
        DrawCase{"Rectangle90InSquare", 25, 90, true, 1, 1, 1, 100, 100, 5, 30, 5},
        DrawCase{"Colours", 1, 0, true, 1, 1, 1, 100, 100, 8, 10, 10, Color::fromRgb(0x00FF00), Color::fromRgb(0xFF0000)},
        DrawCase{"BlackOnBlack", 1, 0, true, 1, 1, 1, 60, 60, 5, 5, 5, kBlack, kBlack}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Draw, TopLeftModuleOfTheDefaultExample)
{
    DataMatrixBarcode barcode;
    prepare(barcode, 1);
    RasterImage image(60, 60, kWhite);
    ASSERT_TRUE(image.allocate());
    ASSERT_EQ(barcode.draw(image, {0, 60, 0, 60}), ResultCode::Ok);
    for (const auto& [x, y] : {std::pair{5, 5}, {9, 5}, {5, 9}, {9, 9}}) {
        EXPECT_EQ(pixelAt(image, x, y), kBlack) << x << "," << y;
    }
    for (const auto& [x, y] : {std::pair{4, 5}, {5, 4}, {10, 5}}) {  // quiet zone, then the light second module
        EXPECT_EQ(pixelAt(image, x, y), kWhite) << x << "," << y;
    }
}

// Red in the low byte of the colour comes out as the first byte of a pixel.
TEST(Draw, ColourBytesAreRedGreenBlue)
{
    DataMatrixBarcode barcode;
    prepare(barcode, 1);
    ASSERT_EQ(barcode.setForegroundColor(Color::fromRgb(0xFF0000)), ResultCode::Ok);
    RasterImage image(60, 60, kWhite);
    ASSERT_TRUE(image.allocate());
    ASSERT_EQ(barcode.draw(image, {0, 60, 0, 60}), ResultCode::Ok);
    const std::uint8_t* p = image.row(5) + 3 * 5;
    EXPECT_EQ((std::array{p[0], p[1], p[2]}), (std::array<std::uint8_t, 3>{255, 0, 0}));
}

// The background is painted only when it differs from the image's initial colour.
TEST(Draw, BackgroundOnlyWhenItDiffersFromTheInitialColour)
{
    const struct {
        Color initial;
        Color background;
        bool painted;
    } cases[] = {{kWhite, kWhite, false}, {kWhite, Color::fromRgb(0xFEFFFF), true}, {Color::fromRgb(0x563412), kWhite, true},
                 {Color::fromRgb(0x563412), Color::fromRgb(0x563412), false}};
    for (const auto& c : cases) {
        DataMatrixBarcode barcode;
        prepare(barcode, 1);
        ASSERT_EQ(barcode.setBackgroundColor(c.background), ResultCode::Ok);
        RasterImage image(60, 60, c.initial);
        ASSERT_TRUE(image.allocate());
        image.fillRect(0, 0, 60, 60, Color::fromRgb(0x808080));  // marks what draw leaves alone
        ASSERT_EQ(barcode.draw(image, {0, 60, 0, 60}), ResultCode::Ok);
        EXPECT_EQ(pixelAt(image, 0, 0), c.painted ? c.background : Color::fromRgb(0x808080)) << std::hex << c.initial.rgb();
        EXPECT_EQ(pixelAt(image, 59, 59), c.painted ? c.background : Color::fromRgb(0x808080)) << std::hex << c.initial.rgb();
    }
}

// An orientation or alignment outside its set is refused where it is set;
// it never turns into a blank or misplaced symbol.
TEST(Draw, OddOrientationAndAlignmentAreRefused)
{
    DataMatrixBarcode barcode;
    for (const std::int32_t degrees : {45, -90, 360, 1}) {
        EXPECT_EQ(barcode.setOrientation(degrees), ResultCode::InvalidArgument) << degrees;
    }
    for (const std::int32_t alignment : {3, -1, 7}) {
        EXPECT_EQ(barcode.setHorizontalAlignment(alignment), ResultCode::InvalidArgument) << alignment;
        EXPECT_EQ(barcode.setVerticalAlignment(alignment), ResultCode::InvalidArgument) << alignment;
    }
    EXPECT_EQ(barcode.orientation(), 0);
    EXPECT_EQ(barcode.horizontalAlignment(), 1);
    EXPECT_EQ(barcode.verticalAlignment(), 1);
}

// Refusals leave every pixel as it was.
TEST(Draw, RefusalsPaintNothing)
{
    const struct {
        const char* name;
        std::int32_t width;
        std::int32_t height;
        std::int32_t quietZoneSize;
        bool encodable;
        ResultCode result;
    } cases[] = {
        {"OneTooNarrow", 11, 12, 1, true, ResultCode::InvalidBarcodeSize},
        {"OneTooShort", 12, 11, 1, true, ResultCode::InvalidBarcodeSize},
        {"EmptyTarget", 0, 0, 1, true, ResultCode::InvalidBarcodeSize},
        {"ExtentBeyond16Bit", 100, 100, 40000, true, ResultCode::InvalidBarcodeSize},
        {"LargestQuietZone", 100, 100, std::numeric_limits<std::int32_t>::max(), true, ResultCode::InvalidBarcodeSize},
        {"NotEncoded", 100, 100, 1, false, ResultCode::InvalidData},
        {"NotEncodedAndTooSmall", 11, 11, 1, false, ResultCode::InvalidBarcodeSize},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DataMatrixBarcode barcode;
        prepare(barcode, 1, 0, true, c.quietZoneSize);
        ASSERT_EQ(barcode.setBackgroundColor(Color::fromRgb(0x00FF00)), ResultCode::Ok);
        if (!c.encodable) {
            ASSERT_EQ(barcode.setData("abc"), ResultCode::Ok);
            ASSERT_EQ(barcode.setEncodingMode(X12), ResultCode::InvalidData);
            ASSERT_FALSE(barcode.isEncoded());
        }
        RasterImage image(100, 100, kWhite);
        ASSERT_TRUE(image.allocate());
        EXPECT_EQ(barcode.draw(image, {0, c.width, 0, c.height}), c.result);
        EXPECT_EQ(mismatches(image, [](int, int) { return kWhite; }), "");
    }
    DataMatrixBarcode barcode;
    prepare(barcode, 1);
    RasterImage image(12, 12, kWhite);
    ASSERT_TRUE(image.allocate());
    EXPECT_EQ(barcode.draw(image, {0, 12, 0, 12}), ResultCode::Ok) << "one pixel per module fits";
}

}  // namespace
}  // namespace korvel
