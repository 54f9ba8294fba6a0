// Whether written output shows exactly the symbol: the bytes are decoded as
// any viewer would, and every pixel is compared with the colour the module
// matrix puts there at the run's geometry.

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "layout/module_view.hpp"
#include "layout/symbol_layout.hpp"
#include "png/png_memory_source.hpp"
#include "korvel/verification.hpp"
#include "verify/png_comparison.hpp"
#include "verify/vector_reading.hpp"

namespace korvel {
namespace {

struct RgbImage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;  // red, green, blue per pixel, rows without padding
};

// Keeps the PNG library's message and returns to the setjmp point.
[[noreturn]] void keepError(png_structp png, png_const_charp message)
{
    auto* kept = static_cast<std::string*>(png_get_error_ptr(png));
    *kept = message;
    png_longjmp(png, 1);
}
void ignoreWarning(png_structp, png_const_charp) {}

// The libpng calls that may jump back; what they fill lives in the caller's
// frame. Pixels come out as stored, as 8-bit RGB: palettes and grey are
// expanded, 16-bit samples cut to 8 and alpha dropped, with no gamma
// correction, so that they compare with the colours the symbol was drawn in.
bool readRgb(png_structp png, png_infop info, PngMemorySource& source, RgbImage& image, std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_read_fn(png, &source, readPngFromMemory);
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    image.width = static_cast<std::int32_t>(png_get_image_width(png, info));
    image.height = static_cast<std::int32_t>(png_get_image_height(png, info));
    const std::size_t rowBytes = png_get_rowbytes(png, info);
    if (rowBytes != 3 * static_cast<std::size_t>(image.width)) {
        png_error(png, "unexpected pixel layout");
    }
    image.pixels.resize(rowBytes * static_cast<std::size_t>(image.height));
    rows.resize(static_cast<std::size_t>(image.height));
    for (std::size_t y = 0; y < rows.size(); ++y) {
        rows[y] = image.pixels.data() + y * rowBytes;
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

// Decodes a PNG stream held in memory; the PNG library's message on failure.
std::string decodePng(std::span<const std::uint8_t> bytes, RgbImage& image)
{
    std::string error;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &error, keepError, ignoreWarning);
    png_infop info = png == nullptr ? nullptr : png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return "out of memory";
    }
    PngMemorySource source{bytes};
    std::vector<png_bytep> rows;
    const bool read = readRgb(png, info, source, image, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    return read ? std::string() : (error.empty() ? std::string("unreadable") : error);
}

std::string colourText(Color c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(c.rgb()));
    return text;
}

// What the symbol puts at each pixel: the foreground on the squares of dark
// modules, the background everywhere else.
class ExpectedPixels final : public ExpectedImage {
public:
    ExpectedPixels(const Symbol& symbol, const RenderOptions& render, const SymbolLayout& layout)
        : view_(symbol.matrix(), render.orientation), render_(render), layout_(layout), size_(layout.imageSize())
    {
    }

    [[nodiscard]] std::int32_t width() const override { return size_.width; }
    [[nodiscard]] std::int32_t height() const override { return size_.height; }

    // The module row the pixel row crosses; -1 for every row outside the
    // symbol, which are all background.
    [[nodiscard]] std::int64_t rowKey(std::int32_t y) const override
    {
        const std::int64_t dy = y - layout_.top;
        return dy < 0 || dy >= view_.rows() * layout_.moduleSize ? -1 : dy / layout_.moduleSize;
    }

    void row(std::int32_t y, std::vector<ColourRun>& runs) const override
    {
        runs.clear();
        const std::int64_t i = rowKey(y);
        const std::int64_t width = size_.width;
        const std::int64_t s = layout_.moduleSize;
        const std::int64_t left = layout_.left;
        const std::int64_t right = left + view_.columns() * s;
        if (i < 0) {
            runs.push_back({render_.background, size_.width});
            return;
        }
        if (left < 0 || right > width) {
            clippedRow(static_cast<int>(i), runs);
            return;
        }
        // Runs of modules of one colour between the margins.
        runs.push_back({render_.background, static_cast<std::int32_t>(left)});
        bool dark = false;
        for (int j = 0; j < view_.columns(); ++j) {
            const bool here = view_.dark(static_cast<int>(i), j);
            if (here != dark) {
                runs.push_back({here ? render_.foreground : render_.background, 0});
                dark = here;
            }
            runs.back().length += static_cast<std::int32_t>(s);
        }
        runs.push_back({render_.background, static_cast<std::int32_t>(width - right)});
    }

    // The colour at (x, y), and the module there (row -1 outside the symbol).
    [[nodiscard]] Color at(std::int32_t x, std::int32_t y, int& row, int& column) const
    {
        const std::int64_t dx = x - layout_.left;
        const std::int64_t dy = y - layout_.top;
        const std::int64_t s = layout_.moduleSize;
        row = -1;
        column = -1;
        if (dx < 0 || dy < 0 || dx >= view_.columns() * s || dy >= view_.rows() * s) {
            return render_.background;
        }
        row = static_cast<int>(dy / s);
        column = static_cast<int>(dx / s);
        return view_.dark(row, column) ? render_.foreground : render_.background;
    }

private:
    // Row i of modules, pixel by pixel, for a symbol placed partly outside
    // its image.
    void clippedRow(int i, std::vector<ColourRun>& runs) const
    {
        for (std::int32_t x = 0; x < size_.width; ++x) {
            int row = 0;
            int column = 0;
            const auto y = static_cast<std::int32_t>(layout_.top + i * layout_.moduleSize);
            const Color colour = at(x, y, row, column);
            if (!runs.empty() && runs.back().colour == colour) {
                ++runs.back().length;
            } else {
                runs.push_back({colour, 1});
            }
        }
    }

    ModuleView view_;
    const RenderOptions& render_;
    const SymbolLayout& layout_;
    ImageSize size_;
};

Outcome differs(std::string detail) { return {ResultCode::VerificationFailed, std::move(detail)}; }

Outcome checkPng(std::span<const std::uint8_t> bytes, const Symbol& symbol, const RenderOptions& render)
{
    SymbolLayout layout;
    if (Outcome laid = layOutPixels(symbol, render, std::nullopt, PixelLimit::None, layout); !laid.ok()) {
        return laid;
    }
    const ImageSize size = layout.imageSize();
    // A right image is confirmed without decoding it; anything else is
    // decoded whole to say what differs. An image with a text band is always
    // decoded: the band's line is no module and is not compared, only the
    // rows above it.
    const ExpectedPixels expected(symbol, render, layout);
    if (!render.hriText && pngShowsExactly(bytes, expected)) {
        return ResultCode::Ok;
    }
    RgbImage image;
    if (std::string error = decodePng(bytes, image); !error.empty()) {
        return differs("the written PNG cannot be decoded: " + error);
    }
    if (image.width != size.width || image.height != size.height) {
        return differs("the written image is " + std::to_string(image.width) + " x " + std::to_string(image.height) +
                       " pixels, the symbol needs " + std::to_string(size.width) + " x " + std::to_string(size.height));
    }
    // Rows inside one module row look alike: the expected row is built once
    // per module row and compared whole; pixels are looked at one by one
    // only in rows that differ.
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(image.width);
    std::vector<std::uint8_t> want(rowBytes);
    std::int64_t builtFor = -2;
    std::size_t wrong = 0;
    std::string first;
    const std::int64_t compared = render.hriText ? std::min<std::int64_t>(layout.bandTop, image.height) : image.height;
    for (std::int32_t y = 0; y < compared; ++y) {
        int row = 0;
        int column = 0;
        const std::int64_t dy = y - layout.top;
        const std::int64_t band = dy < 0 ? -1 : dy / layout.moduleSize;
        if (band != builtFor) {
            for (std::int32_t x = 0; x < image.width; ++x) {
                const Color c = expected.at(x, y, row, column);
                want[3 * static_cast<std::size_t>(x)] = c.red();
                want[3 * static_cast<std::size_t>(x) + 1] = c.green();
                want[3 * static_cast<std::size_t>(x) + 2] = c.blue();
            }
            builtFor = band;
        }
        const std::uint8_t* got = image.pixels.data() + static_cast<std::size_t>(y) * rowBytes;
        if (std::memcmp(got, want.data(), rowBytes) == 0) {
            continue;
        }
        for (std::int32_t x = 0; x < image.width; ++x) {
            const std::uint8_t* p = got + 3 * static_cast<std::size_t>(x);
            const Color have{p[0], p[1], p[2]};
            const Color need = expected.at(x, y, row, column);
            if (have == need) {
                continue;
            }
            if (wrong++ == 0) {
                first = "pixel (" + std::to_string(x) + ", " + std::to_string(y) + ") is " + colourText(have) +
                        ", the " +
                        (row < 0 ? std::string("quiet zone or margin")
                                 : "module at row " + std::to_string(row + 1) + ", column " + std::to_string(column + 1)) +
                        " needs " + colourText(need);
            }
        }
    }
    if (wrong > 0) {
        return differs("the written image differs from the symbol in " + std::to_string(wrong) + " pixels: " + first);
    }
    return ResultCode::Ok;
}

// Vector output: the colours, and the modules the rectangles cover, each
// covered once, against the dark modules of the matrix as drawn.
Outcome checkVector(const WrittenOutput& output, const Symbol& symbol, const RenderOptions& render)
{
    std::string error;
    const std::optional<DrawnVector> drawn = readVector(output.type, output.bytes, error);
    if (!drawn) {
        return differs("the written drawing cannot be read: " + error);
    }
    if (drawn->background != render.background || drawn->foreground != render.foreground) {
        return differs("the drawing's colours are " + colourText(drawn->background) + " and " +
                       colourText(drawn->foreground) + ", meant " + colourText(render.background) + " and " +
                       colourText(render.foreground));
    }
    const ModuleView view(symbol.matrix(), render.orientation);
    std::vector<int> covered(static_cast<std::size_t>(view.rows()) * static_cast<std::size_t>(view.columns()), 0);
    for (const ModuleRectangle& r : drawn->dark) {
        if (r.row < 0 || r.column < 0 || r.row + r.height > view.rows() || r.column + r.width > view.columns()) {
            return differs("the drawing paints outside the symbol");
        }
        for (std::int64_t i = r.row; i < r.row + r.height; ++i) {
            for (std::int64_t j = r.column; j < r.column + r.width; ++j) {
                ++covered[static_cast<std::size_t>(i * view.columns() + j)];
            }
        }
    }
    std::size_t wrong = 0;
    std::string first;
    for (int i = 0; i < view.rows(); ++i) {
        for (int j = 0; j < view.columns(); ++j) {
            const int times = covered[static_cast<std::size_t>(i * view.columns() + j)];
            if (times == (view.dark(i, j) ? 1 : 0)) {
                continue;
            }
            if (wrong++ == 0) {
                first = "the module at row " + std::to_string(i + 1) + ", column " + std::to_string(j + 1) +
                        " is drawn " + std::to_string(times) + " times, meant " + (view.dark(i, j) ? "once" : "never");
            }
        }
    }
    if (wrong > 0) {
        return differs("the drawing differs from the symbol in " + std::to_string(wrong) + " modules: " + first);
    }
    return ResultCode::Ok;
}

// The terminal preview read back as a screen shows it: colour sequences
// dropped, each character cell two modules (upper and lower half), and
// compared with the symbol in its quiet zone.
Outcome checkText(std::span<const std::uint8_t> bytes, const Symbol& symbol, const RenderOptions& render)
{
    std::vector<std::vector<bool>> cells;  // modules by row, two rows per text line
    std::vector<bool> upper;
    std::vector<bool> lower;
    const std::string text(bytes.begin(), bytes.end());
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\x1b') {
            const std::size_t end = text.find('m', i);
            i = end == std::string::npos ? text.size() : end + 1;
        } else if (text[i] == '\n') {
            cells.push_back(std::move(upper));
            cells.push_back(std::move(lower));
            upper.clear();
            lower.clear();
            ++i;
        } else if (text.compare(i, 3, "\u2588") == 0 || text.compare(i, 3, "\u2580") == 0 ||
                   text.compare(i, 3, "\u2584") == 0) {
            upper.push_back(text.compare(i, 3, "\u2584") != 0);
            lower.push_back(text.compare(i, 3, "\u2580") != 0);
            i += 3;
        } else {
            upper.push_back(false);
            lower.push_back(false);
            ++i;
        }
    }
    const ModuleView view(symbol.matrix(), render.orientation);
    const int q = render.quietZone ? render.quietZoneSize : 0;
    const int rows = view.rows() + 2 * q;
    const int columns = view.columns() + 2 * q;
    std::size_t wrong = 0;
    std::string first;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const bool inSymbol = i >= q && j >= q && i < q + view.rows() && j < q + view.columns();
            const bool want = inSymbol && view.dark(i - q, j - q);
            const auto r = static_cast<std::size_t>(i);
            const auto c = static_cast<std::size_t>(j);
            const bool have = r < cells.size() && c < cells[r].size() && cells[r][c];
            if (have != want && wrong++ == 0) {
                first = (inSymbol ? "the module at row " + std::to_string(i - q + 1) + ", column " +
                                        std::to_string(j - q + 1)
                                  : std::string("the quiet zone")) +
                        " is " + (have ? "dark" : "light");
            }
        }
    }
    if (wrong > 0) {
        return differs("the preview differs from the symbol in " + std::to_string(wrong) + " modules: " + first);
    }
    return ResultCode::Ok;
}

}  // namespace

Outcome verifyOutput(const WrittenOutput& output, const Symbol& symbol, const RenderOptions& render)
{
    if (symbol.empty()) {
        return ResultCode::InvalidData;
    }
    if (render.foreground == render.background && output.type != OutputType::Text) {
        return differs("dark and light modules have the same colour " + colourText(render.foreground) +
                       ", so the output shows no symbol");
    }
    switch (output.type) {
    case OutputType::Png: return checkPng(output.bytes, symbol, render);
    case OutputType::Text: return checkText(output.bytes, symbol, render);
    case OutputType::Svg:
    case OutputType::Eps:
    case OutputType::Pdf: return checkVector(output, symbol, render);
    }
    return ResultCode::InvalidArgument;
}

}  // namespace korvel
