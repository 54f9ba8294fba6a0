#include "vector/vector_picture.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "common/rounding.hpp"
#include "layout/module_view.hpp"
#include "layout/symbol_geometry.hpp"
#include "layout/text_band.hpp"
#include "korvel/rendering.hpp"

namespace korvel {
namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kPointsPerInch = 72.0;

bool vectorOptionsValid(const VectorOptions& vector, const RenderOptions& render)
{
    if (vector.moduleMillimetres) {
        return *vector.moduleMillimetres > 0.0 && *vector.moduleMillimetres <= kMaxModuleMillimetres &&
               !render.imageSize;
    }
    return vector.dotsPerInch >= 1 && vector.dotsPerInch <= kMaxDotsPerInch;
}

// The grid of a module size in millimetres: one unit per module, the image
// exactly the symbol and its quiet zones.
Outcome moduleGrid(const Symbol& symbol, const RenderOptions& render, VectorPicture& picture)
{
    const auto extent = symbolExtent(symbol.format(), render);
    if (!extent) {
        return ResultCode::InvalidArgument;
    }
    const std::int64_t quietZone = render.quietZone ? render.quietZoneSize : 0;
    picture.width = extent->columns;
    picture.height = extent->rows;
    picture.placement = {1, quietZone, quietZone};
    return ResultCode::Ok;
}

// The grid of the raster drawing: its pixels and the module placement in them.
Outcome pixelGrid(const Symbol& symbol, const RenderOptions& render, VectorPicture& picture)
{
    ImageSize size;
    if (Outcome sized = imageSize(symbol, render, size); !sized.ok()) {
        return sized;
    }
    const auto extent = symbolExtent(symbol.format(), render);
    if (!extent) {
        return ResultCode::InvalidBarcodeSize;
    }
    picture.width = size.width;
    picture.height = size.height;
    return placeInTarget(*extent, render, {0, size.width, 0, size.height}, picture.placement);
}

// The line of human-readable text and its band, when the options ask for it.
Outcome placeText(const Symbol& symbol, const RenderOptions& render, VectorPicture& picture)
{
    if (!render.hriText) {
        return ResultCode::Ok;
    }
    VectorPicture::Text text;
    if (Outcome line = textBandLine(symbol, text.line); !line.ok()) {
        return line;
    }
    const auto extent = symbolExtent(symbol.format(), render);
    if (!extent) {
        return ResultCode::InvalidBarcodeSize;
    }
    const TextBandRows rows = textBandRows(*extent, picture.placement, render);
    text.top = static_cast<double>(rows.top);
    text.box = textLineBox(static_cast<double>(picture.width), static_cast<double>(picture.placement.moduleSize));
    picture.text = std::move(text);
    return ResultCode::Ok;
}

}  // namespace

double modulePixelsAt(double moduleMillimetres, std::int32_t dotsPerInch) noexcept
{
    return std::max(1.0, roundHalfUp(moduleMillimetres * dotsPerInch / kMillimetresPerInch));
}

Outcome makeVectorPicture(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                          VectorPicture& picture)
{
    if (!renderOptionsValid(render) || !vectorOptionsValid(vector, render)) {
        return ResultCode::InvalidArgument;
    }
    const Outcome placed =
        vector.moduleMillimetres ? moduleGrid(symbol, render, picture) : pixelGrid(symbol, render, picture);
    if (!placed.ok()) {
        return placed;
    }
    if (symbol.empty()) {
        return ResultCode::InvalidData;
    }
    if (Outcome text = placeText(symbol, render, picture); !text.ok()) {
        return text;
    }
    picture.unitMillimetres = vector.moduleMillimetres ? *vector.moduleMillimetres
                                                       : kMillimetresPerInch / vector.dotsPerInch;
    picture.foreground = render.foreground;
    picture.background = render.background;
    picture.modules = darkRectangles(ModuleView(symbol.matrix(), render.orientation));
    return ResultCode::Ok;
}

double VectorPicture::pointsPerUnit() const noexcept
{
    return unitMillimetres * kPointsPerInch / kMillimetresPerInch;
}
double VectorPicture::widthMillimetres() const noexcept { return static_cast<double>(width) * unitMillimetres; }
double VectorPicture::heightMillimetres() const noexcept { return static_cast<double>(height) * unitMillimetres; }
double VectorPicture::widthPoints() const noexcept { return static_cast<double>(width) * pointsPerUnit(); }
double VectorPicture::heightPoints() const noexcept { return static_cast<double>(height) * pointsPerUnit(); }

VectorText& VectorText::integer(std::int64_t value)
{
    std::array<char, 24> digits{};
    const auto end = std::to_chars(digits.data(), digits.data() + digits.size(), value).ptr;
    out_.append(digits.data(), end);
    return *this;
}

VectorText& VectorText::decimal(double value, int digits)
{
    std::array<char, 400> buffer{};
    auto end = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value, std::chars_format::fixed, digits).ptr;
    std::string_view written(buffer.data(), static_cast<std::size_t>(end - buffer.data()));
    if (written.find('.') != std::string_view::npos) {
        written = written.substr(0, written.find_last_not_of('0') + 1);
        if (written.back() == '.') {
            written.remove_suffix(1);
        }
    }
    if (written == "-0") {
        written = "0";
    }
    out_.append(written);
    return *this;
}

VectorText& VectorText::channel(std::uint8_t level)
{
    return decimal(static_cast<double>(level) / 255.0, kSizeDigits);
}

void appendModuleTransform(VectorText& text, const ModulePlacement& placement)
{
    text.integer(placement.moduleSize).text(" 0 0 ").integer(placement.moduleSize).text(" ");
    text.integer(placement.left).text(" ").integer(placement.top);
}

void appendPageDrawing(VectorText& page, const VectorPicture& picture, const PageOperators& operators)
{
    const auto color = [&](Color c) {
        page.channel(c.red()).text(" ").channel(c.green()).text(" ").channel(c.blue()).text(operators.color).text("\n");
    };
    const double k = picture.pointsPerUnit();
    page.text(operators.matrixBefore).decimal(k, kScaleDigits).text(" 0 0 ").decimal(-k, kScaleDigits);
    page.text(" 0 ").decimal(picture.heightPoints(), kSizeDigits).text(operators.matrixAfter).text("\n");
    color(picture.background);
    page.text("0 0 ").integer(picture.width).text(" ").integer(picture.height).text(operators.fillRectangle);
    page.text("\n");
    if (picture.modules.empty()) {
        return;
    }
    page.text(operators.matrixBefore);
    appendModuleTransform(page, picture.placement);
    page.text(operators.matrixAfter).text("\n");
    color(picture.foreground);
    for (const ModuleRectangle& r : picture.modules) {
        page.integer(r.column).text(" ").integer(r.row).text(" ").integer(r.width).text(" ").integer(r.height);
        page.text(operators.rectangle).text("\n");
    }
    page.text(operators.fillPath).text("\n");
}

PlacedText placeTextInModules(const VectorPicture& picture, const FontMetrics& metrics) noexcept
{
    const VectorPicture::Text& text = *picture.text;
    const FittedLine line = fitLine(metrics, text.line.size(), text.box);
    const auto s = static_cast<double>(picture.placement.moduleSize);
    return {line.fontSize / s, (line.left - static_cast<double>(picture.placement.left)) / s,
            (text.top + line.baseline - static_cast<double>(picture.placement.top)) / s};
}

void appendStringLiteral(VectorText& out, std::string_view text)
{
    out.text("(");
    for (const char c : text) {
        if (c == '\\' || c == '(' || c == ')') {
            out.text("\\");
        }
        out.text(std::string_view(&c, 1));
    }
    out.text(")");
}

double roundedTo(double value, int digits) noexcept
{
    const double scale = std::pow(10.0, digits);
    return std::round(value * scale) / scale;
}

}  // namespace korvel
