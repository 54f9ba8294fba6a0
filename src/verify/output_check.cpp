// Whether written output shows exactly the symbol: the bytes are decoded as
// any viewer would, and every pixel is compared with the colour the module
// matrix puts there at the run's geometry.

#include <png.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "layout/dark_spans.hpp"
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

// What the symbol puts at each pixel: the foreground where the layout's
// marks cover it, the background everywhere else.
class ExpectedPixels final : public ExpectedImage {
public:
    ExpectedPixels(const Symbol& symbol, const RenderOptions& render, const SymbolLayout& layout)
        : view_(symbol.matrix(), render.orientation), dark_(layout, view_), render_(render), layout_(layout)
    {
    }

    [[nodiscard]] std::int32_t width() const override { return static_cast<std::int32_t>(layout_.width); }
    [[nodiscard]] std::int32_t height() const override { return static_cast<std::int32_t>(layout_.height); }

    // -1 for every row outside the symbol, which are all background.
    [[nodiscard]] std::int64_t rowKey(std::int32_t y) const override { return dark_.rowKey(y); }

    void row(std::int32_t y, std::vector<ColourRun>& runs) const override
    {
        runs.clear();
        std::vector<PixelSpan> spans;
        dark_.row(y, spans);
        std::int64_t done = 0;
        const auto extend = [&](std::int64_t end, Color colour) {
            end = std::clamp<std::int64_t>(end, done, layout_.width);
            if (end > done) {
                runs.push_back({colour, static_cast<std::int32_t>(end - done)});
                done = end;
            }
        };
        for (const PixelSpan& span : spans) {
            extend(span.begin, render_.background);
            extend(span.end, render_.foreground);
        }
        extend(layout_.width, render_.background);
    }

    // The colour at (x, y), and the module there (row -1 outside the symbol).
    [[nodiscard]] Color at(std::int32_t x, std::int32_t y, int& row, int& column) const
    {
        const std::int64_t dx = x - layout_.left;
        const std::int64_t dy = y - layout_.top;
        const std::int64_t s = layout_.moduleSize;
        row = -1;
        column = -1;
        if (dx < 0 || dy < 0 || dx >= layout_.symbolWidth() || dy >= layout_.symbolHeight()) {
            return render_.background;
        }
        row = static_cast<int>(dy / s);
        column = static_cast<int>(dx / s);
        return dark_.dark(x, y) ? render_.foreground : render_.background;
    }

private:
    ModuleView view_;
    DarkSpans dark_;
    const RenderOptions& render_;
    const SymbolLayout& layout_;
};

// The colour a PNG's tRNS chunk makes transparent: the one colour of an RGB
// image, or the one palette entry of alpha 0 (the others opaque). `marked`
// tells whether there is a tRNS chunk; `colour` is empty when it makes
// anything else transparent (partly, or several colours).
struct Transparency {
    bool marked = false;
    std::optional<Color> colour;
};

std::uint32_t bigEndian(const std::uint8_t* p)
{
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// Reads the chunks up to the image data, which a tRNS chunk must precede.
Transparency transparencyOf(std::span<const std::uint8_t> png)
{
    Transparency found;
    std::uint8_t colourType = 0;
    std::vector<Color> palette;
    for (std::size_t at = 8; png.size() >= at + 12;) {
        const std::uint32_t length = bigEndian(png.data() + at);
        const std::string_view name(reinterpret_cast<const char*>(png.data() + at + 4), 4);
        const std::uint8_t* data = png.data() + at + 8;
        if (length > png.size() - at - 12 || name == "IDAT") {
            break;
        }
        if (name == "IHDR" && length == 13) {
            colourType = data[9];
        } else if (name == "PLTE") {
            for (std::uint32_t k = 0; k + 2 < length; k += 3) {
                palette.push_back({data[k], data[k + 1], data[k + 2]});
            }
        } else if (name == "tRNS") {
            found.marked = true;
            if (colourType == 2 && length == 6 && data[0] == 0 && data[2] == 0 && data[4] == 0) {
                found.colour = Color{data[1], data[3], data[5]};
            } else if (colourType == 3 && length <= palette.size()) {
                const auto clear = std::count(data, data + length, 0);
                const auto opaque = std::count(data, data + length, 255);
                const auto index = static_cast<std::size_t>(std::find(data, data + length, 0) - data);
                if (clear == 1 && clear + opaque == length) {
                    found.colour = palette[index];
                }
            }
        }
        at += 12 + std::size_t{length};
    }
    return found;
}

// The background is transparent exactly when it is meant to be.
Outcome checkTransparency(std::span<const std::uint8_t> png, const RenderOptions& render)
{
    const Transparency found = transparencyOf(png);
    if (!render.transparentBackground) {
        return found.marked ? Outcome(ResultCode::VerificationFailed,
                                      "the written PNG makes a colour transparent, meant none")
                            : Outcome();
    }
    if (found.colour != render.background) {
        return {ResultCode::VerificationFailed,
                "the written PNG does not make the background colour " + colourText(render.background) +
                    " transparent, and only it"};
    }
    return ResultCode::Ok;
}

Outcome differs(std::string detail) { return {ResultCode::VerificationFailed, std::move(detail)}; }

Outcome checkPng(std::span<const std::uint8_t> bytes, const Symbol& symbol, const RenderOptions& render)
{
    SymbolLayout layout;
    if (Outcome laid = layOutPixels(symbol, render, std::nullopt, PixelLimit::None, layout); !laid.ok()) {
        return laid;
    }
    const ImageSize size = layout.imageSize();
    if (Outcome transparency = checkTransparency(bytes, render); !transparency.ok()) {
        return transparency;
    }
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
    // Rows of one key look alike: the expected row is built once per key and
    // compared whole; pixels are looked at one by one only in rows that
    // differ.
    const std::size_t rowBytes = 3 * static_cast<std::size_t>(image.width);
    std::vector<std::uint8_t> want(rowBytes);
    std::int64_t builtFor = -2;
    std::size_t wrong = 0;
    std::string first;
    const std::int64_t compared = render.hriText ? std::min<std::int64_t>(layout.bandTop, image.height) : image.height;
    for (std::int32_t y = 0; y < compared; ++y) {
        int row = 0;
        int column = 0;
        const std::int64_t band = expected.rowKey(y);
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

// Modules of the view, each with a count.
class ModuleCounts {
public:
    explicit ModuleCounts(const ModuleView& view)
        : view_(view), counts_(static_cast<std::size_t>(view.rows()) * static_cast<std::size_t>(view.columns()), 0)
    {
    }
    [[nodiscard]] bool inside(std::int64_t i, std::int64_t j) const
    {
        return i >= 0 && j >= 0 && i < view_.rows() && j < view_.columns();
    }
    int& at(std::int64_t i, std::int64_t j) { return counts_[static_cast<std::size_t>(i * view_.columns() + j)]; }

    // Every module counted once if dark and never if light; else what
    // differs, named by `what` ("drawn", "covered by a dot").
    [[nodiscard]] Outcome compare(const char* what)
    {
        std::size_t wrong = 0;
        std::string first;
        for (int i = 0; i < view_.rows(); ++i) {
            for (int j = 0; j < view_.columns(); ++j) {
                const int times = at(i, j);
                if (times == (view_.dark(i, j) ? 1 : 0)) {
                    continue;
                }
                if (wrong++ == 0) {
                    first = "the module at row " + std::to_string(i + 1) + ", column " + std::to_string(j + 1) + " is " +
                            what + " " + std::to_string(times) + " times, meant " + (view_.dark(i, j) ? "once" : "never");
                }
            }
        }
        if (wrong > 0) {
            return differs("the drawing differs from the symbol in " + std::to_string(wrong) + " modules: " + first);
        }
        return ResultCode::Ok;
    }

private:
    const ModuleView& view_;
    std::vector<int> counts_;
};

// Squares: rectangles of whole modules, covering each dark module once.
Outcome checkSquares(const DrawnVector& drawn, const ModuleView& view)
{
    if (!drawn.outlines.empty() || !drawn.dots.empty()) {
        return differs("the drawing has shapes other than rectangles of whole modules");
    }
    ModuleCounts covered(view);
    for (const ModuleRectangle& r : drawn.dark) {
        if (!covered.inside(r.row, r.column) || !covered.inside(r.row + r.height - 1, r.column + r.width - 1)) {
            return differs("the drawing paints outside the symbol");
        }
        for (std::int64_t i = r.row; i < r.row + r.height; ++i) {
            for (std::int64_t j = r.column; j < r.column + r.width; ++j) {
                ++covered.at(i, j);
            }
        }
    }
    return covered.compare("drawn");
}

// Dots: one circle of the meant diameter centred in each dark module.
Outcome checkDots(const DrawnVector& drawn, const ModuleView& view, double diameter)
{
    if (!drawn.dark.empty() || !drawn.outlines.empty()) {
        return differs("the drawing has shapes other than dots");
    }
    ModuleCounts covered(view);
    for (const DrawnDot& dot : drawn.dots) {
        const double i = dot.centre.y - 0.5;
        const double j = dot.centre.x - 0.5;
        const auto row = std::llround(i);
        const auto column = std::llround(j);
        if (std::abs(i - static_cast<double>(row)) > 1e-4 || std::abs(j - static_cast<double>(column)) > 1e-4 ||
            !covered.inside(row, column)) {
            return differs("a dot is not centred in a module of the symbol");
        }
        if (std::abs(dot.diameter - diameter) > 1e-4) {
            return differs("a dot is " + std::to_string(dot.diameter) + " modules across, meant " +
                           std::to_string(diameter));
        }
        ++covered.at(row, column);
    }
    return covered.compare("covered by a dot");
}

// The area of the dark areas eroded by `inset` on every side that borders
// light, worked out module by module: each loses a strip along every light
// side, and a corner square where its two neighbours are dark but the
// module between them, diagonally, is light.
double erodedArea(const ModuleView& view, double inset)
{
    const auto dark = [&view](int i, int j) {
        return i >= 0 && j >= 0 && i < view.rows() && j < view.columns() && view.dark(i, j);
    };
    double area = 0.0;
    for (int i = 0; i < view.rows(); ++i) {
        for (int j = 0; j < view.columns(); ++j) {
            if (!dark(i, j)) {
                continue;
            }
            const double width = 1.0 - inset * ((dark(i, j - 1) ? 0 : 1) + (dark(i, j + 1) ? 0 : 1));
            const double height = 1.0 - inset * ((dark(i - 1, j) ? 0 : 1) + (dark(i + 1, j) ? 0 : 1));
            int notches = 0;
            for (const int di : {-1, 1}) {
                for (const int dj : {-1, 1}) {
                    notches += dark(i + di, j) && dark(i, j + dj) && !dark(i + di, j + dj) ? 1 : 0;
                }
            }
            area += width * height - notches * inset * inset;
        }
    }
    return area;
}

// Squares with ink spread: outlines whose corners all lie `inset` from the
// module grid, enclosing the centre of every dark module and of no light
// one (by the nonzero rule), with the area of the eroded dark areas.
Outcome checkOutlines(const DrawnVector& drawn, const ModuleView& view, double inset)
{
    if (!drawn.dots.empty()) {
        return differs("the drawing has dots where squares are meant");
    }
    std::vector<Outline> outlines = drawn.outlines;
    for (const ModuleRectangle& r : drawn.dark) {
        const auto x = static_cast<double>(r.column);
        const auto y = static_cast<double>(r.row);
        outlines.push_back({{x, y}, {x + r.width, y}, {x + r.width, y + r.height}, {x, y + r.height}});
    }
    double area = 0.0;
    // Per row of modules, the vertical edges that cross its centre line, and their direction.
    std::vector<std::vector<std::pair<double, int>>> crossings(static_cast<std::size_t>(view.rows()));
    for (const Outline& outline : outlines) {
        for (std::size_t k = 0; k < outline.size(); ++k) {
            const OutlinePoint a = outline[k];
            const OutlinePoint b = outline[(k + 1) % outline.size()];
            for (const double v : {a.x, a.y}) {
                if (std::abs(std::abs(v - std::round(v)) - inset) > 1e-5) {
                    return differs("a corner of the drawing does not lie half the ink spread from the module grid");
                }
            }
            area += a.x * b.y - b.x * a.y;
            if (a.x != b.x) {
                continue;
            }
            for (int i = 0; i < view.rows(); ++i) {
                const double centre = i + 0.5;
                if (std::min(a.y, b.y) < centre && centre < std::max(a.y, b.y)) {
                    crossings[static_cast<std::size_t>(i)].push_back({a.x, b.y > a.y ? 1 : -1});
                }
            }
        }
    }
    ModuleCounts enclosed(view);
    for (int i = 0; i < view.rows(); ++i) {
        for (const auto& [x, direction] : crossings[static_cast<std::size_t>(i)]) {
            for (int j = 0; j < view.columns(); ++j) {
                // Winding counted from the left: edges left of the centre.
                if (x < j + 0.5) {
                    enclosed.at(i, j) += direction;
                }
            }
        }
        for (int j = 0; j < view.columns(); ++j) {
            enclosed.at(i, j) = enclosed.at(i, j) != 0 ? 1 : 0;
        }
    }
    if (Outcome centres = enclosed.compare("enclosed"); !centres.ok()) {
        return centres;
    }
    const double meant = erodedArea(view, inset);
    if (std::abs(std::abs(area) / 2.0 - meant) > 1e-4 * (1.0 + meant)) {
        return differs("the dark areas of the drawing cover " + std::to_string(std::abs(area) / 2.0) +
                       " square modules, meant " + std::to_string(meant));
    }
    return ResultCode::Ok;
}

// Vector output: the colours in the colour space meant, and the marks
// against the dark modules of the matrix as drawn.
Outcome checkVector(const WrittenOutput& output, const Symbol& symbol, const RenderOptions& render)
{
    std::string error;
    const std::optional<DrawnVector> drawn = readVector(output.type, output.bytes, error);
    if (!drawn) {
        return differs("the written drawing cannot be read: " + error);
    }
    const std::optional<Color> background =
        render.transparentBackground ? std::nullopt : std::optional<Color>(render.background);
    if (drawn->background != background || drawn->foreground != render.foreground) {
        const auto named = [](const std::optional<Color>& c) { return c ? colourText(*c) : std::string("none"); };
        return differs("the drawing's colours are " + named(drawn->background) + " and " +
                       colourText(drawn->foreground) + ", meant " + named(background) + " and " +
                       colourText(render.foreground));
    }
    const bool cmykMeant = render.cmyk && output.type != OutputType::Svg;
    if (drawn->cmyk != cmykMeant) {
        return differs(std::string("the drawing's colours are given in ") + (drawn->cmyk ? "CMYK" : "RGB") +
                       ", meant " + (cmykMeant ? "CMYK" : "RGB"));
    }
    const ModuleView view(symbol.matrix(), render.orientation);
    if (render.dotDiameter) {
        return checkDots(*drawn, view, *render.dotDiameter - render.inkSpread);
    }
    if (render.inkSpread > 0.0) {
        return checkOutlines(*drawn, view, render.inkSpread / 2.0);
    }
    return checkSquares(*drawn, view);
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
