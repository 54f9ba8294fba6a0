// The PNG check: the written bytes decoded as any viewer would (libpng), and
// every pixel compared with the colour the module matrix puts there at the
// run's geometry; a transparent background exactly when it is meant.

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <memory>

#include "layout/dark_spans.hpp"
#include "layout/module_view.hpp"
#include "layout/symbol_layout.hpp"
#include "png/png_memory_source.hpp"
#include "readback/png_comparison.hpp"
#include "verify/output_checks.hpp"

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
        std::vector<PixelSpan>& spans = spans_;
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
    mutable std::vector<PixelSpan> spans_;  // row()'s, kept for the next row
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


}  // namespace

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

}  // namespace korvel
