#include "text/line_raster.hpp"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

namespace korvel {
namespace {

// A FreeType library and a face of the font, released together; the face
// keeps the font's bytes alive, which FreeType reads from.
class FontFace {
public:
    explicit FontFace(std::shared_ptr<const TextFont> font) : font_(std::move(font))
    {
        if (FT_Init_FreeType(&library_) != 0) {
            library_ = nullptr;
            return;
        }
        if (FT_New_Memory_Face(library_, font_->bytes.data(), static_cast<FT_Long>(font_->bytes.size()), 0,
                               &face_) != 0) {
            face_ = nullptr;
        }
    }
    FontFace(const FontFace&) = delete;
    FontFace& operator=(const FontFace&) = delete;
    ~FontFace()
    {
        if (face_ != nullptr) {
            FT_Done_Face(face_);
        }
        if (library_ != nullptr) {
            FT_Done_FreeType(library_);
        }
    }

    [[nodiscard]] FT_Face face() const noexcept { return face_; }
    [[nodiscard]] const TextFont* font() const noexcept { return font_.get(); }

private:
    std::shared_ptr<const TextFont> font_;
    FT_Library library_ = nullptr;
    FT_Face face_ = nullptr;
};

// The face of the font for this thread. Opening a face costs several times
// what a short line costs to rasterise, so each thread keeps the one it used
// last; FreeType objects are never shared between threads.
FontFace& threadFace(const std::shared_ptr<const TextFont>& font)
{
    thread_local std::unique_ptr<FontFace> face;
    if (!face || face->font() != font.get()) {
        face = std::make_unique<FontFace>(font);
    }
    return *face;
}

Outcome unreadable(const TextFont& font) { return {ResultCode::Fail, "FreeType cannot read the font " + font.path}; }

// The advance of a character in font units (0 when the face has no glyph for it).
double unscaledAdvance(FT_Face face, char c)
{
    if (FT_Load_Char(face, static_cast<unsigned char>(c), FT_LOAD_NO_SCALE) != 0) {
        return 0.0;
    }
    return static_cast<double>(face->glyph->metrics.horiAdvance);
}

bool measure(FT_Face face, std::string_view text, FontMetrics& metrics)
{
    const double em = face->units_per_EM;
    if (em <= 0.0 || FT_Load_Char(face, 'H', FT_LOAD_NO_SCALE) != 0) {
        return false;
    }
    metrics.capHeight = static_cast<double>(face->glyph->metrics.horiBearingY) / em;
    double total = 0.0;
    for (const char c : text) {
        total += unscaledAdvance(face, c);
    }
    metrics.advance = text.empty() ? 0.0 : total / em / static_cast<double>(text.size());
    return metrics.capHeight > 0.0;
}

// Adds the rendered glyph, whose origin is pixel (originX, baseline), to the
// coverage; ink outside it is dropped.
void addGlyph(const FT_Bitmap& bitmap, std::int64_t left, std::int64_t top, Coverage& out)
{
    for (unsigned row = 0; row < bitmap.rows; ++row) {
        const std::int64_t y = top + row;
        if (y < 0 || y >= out.height) {
            continue;
        }
        const unsigned char* source = bitmap.buffer + static_cast<std::ptrdiff_t>(row) * bitmap.pitch;
        for (unsigned column = 0; column < bitmap.width; ++column) {
            const std::int64_t x = left + column;
            if (x < 0 || x >= out.width) {
                continue;
            }
            std::uint8_t& value = out.values[static_cast<std::size_t>(y * out.width + x)];
            value = std::max(value, static_cast<std::uint8_t>(source[column]));
        }
    }
}

std::uint8_t blendChannel(std::uint8_t paper, std::uint8_t ink, std::uint8_t coverage)
{
    const unsigned c = coverage;
    return static_cast<std::uint8_t>((paper * (255U - c) + ink * c + 127U) / 255U);
}

}  // namespace

Color inkOnPaper(Color paper, Color ink, std::uint8_t coverage) noexcept
{
    return {blendChannel(paper.red(), ink.red(), coverage), blendChannel(paper.green(), ink.green(), coverage),
            blendChannel(paper.blue(), ink.blue(), coverage)};
}

Outcome rasteriseLine(const std::shared_ptr<const TextFont>& font, std::string_view text, const LineBox& box,
                      std::int32_t height, Coverage& out)
{
    FontMetrics metrics;
    FontFace* found = nullptr;
    try {
        found = &threadFace(font);
    } catch (const std::bad_alloc&) {
        return ResultCode::UnknownException;
    }
    const FontFace& face = *found;
    if (face.face() == nullptr || !measure(face.face(), text, metrics)) {
        return unreadable(*font);
    }
    const FittedLine line = fitLine(metrics, text.size(), box);
    try {
        out.width = static_cast<std::int32_t>(box.left + box.width);
        out.height = std::max(height, 0);
        out.values.assign(static_cast<std::size_t>(out.width) * static_cast<std::size_t>(out.height), 0);
    } catch (const std::bad_alloc&) {
        return ResultCode::UnknownException;
    }
    const auto size26 = static_cast<FT_F26Dot6>(std::lround(line.fontSize * 64.0));
    if (size26 <= 0 || FT_Set_Char_Size(face.face(), 0, size26, 72, 72) != 0) {
        return ResultCode::Ok;  // too small to show anything
    }
    const auto baseline = static_cast<std::int64_t>(std::lround(line.baseline));
    const double scale = line.fontSize / face.face()->units_per_EM;
    double pen = line.left;
    for (const char c : text) {
        // The pen's fraction of a pixel goes into the outline, the whole
        // pixels into where the bitmap lands.
        const double whole = std::floor(pen);
        FT_Vector delta{static_cast<FT_Pos>(std::lround((pen - whole) * 64.0)), 0};
        FT_Set_Transform(face.face(), nullptr, &delta);
        if (FT_Load_Char(face.face(), static_cast<unsigned char>(c), FT_LOAD_RENDER | FT_LOAD_TARGET_LIGHT) == 0) {
            const FT_GlyphSlot glyph = face.face()->glyph;
            addGlyph(glyph->bitmap, static_cast<std::int64_t>(whole) + glyph->bitmap_left, baseline - glyph->bitmap_top,
                     out);
        }
        pen += unscaledAdvance(face.face(), c) * scale;
    }
    FT_Set_Transform(face.face(), nullptr, nullptr);
    return ResultCode::Ok;
}

}  // namespace korvel
