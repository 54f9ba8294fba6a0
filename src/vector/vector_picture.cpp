#include "vector/vector_picture.hpp"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>

#include "common/rounding.hpp"
#include "layout/module_view.hpp"
#include "layout/text_band.hpp"
#include "layout/symbol_layout.hpp"

namespace korvel {
namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kPointsPerInch = 72.0;

}  // namespace

double modulePixelsAt(double moduleMillimetres, std::int32_t dotsPerInch) noexcept
{
    return std::max(1.0, roundHalfUp(moduleMillimetres * dotsPerInch / kMillimetresPerInch));
}

Outcome makeVectorPicture(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                          VectorPicture& picture)
{
    if (Outcome laid = layOutVector(symbol, render, vector, picture.layout); !laid.ok()) {
        return laid;
    }
    picture.foreground = render.foreground;
    picture.background = render.background;
    picture.modules = darkRectangles(ModuleView(symbol.matrix(), render.orientation));
    if (render.hriText) {
        VectorPicture::Text text;
        if (Outcome line = textBandLine(symbol, text.line); !line.ok()) {
            return line;
        }
        text.top = static_cast<double>(picture.layout.bandTop);
        text.box = textLineBox(picture.layout);
        picture.text = std::move(text);
    }
    return ResultCode::Ok;
}

double VectorPicture::pointsPerUnit() const noexcept
{
    return unitMillimetres() * kPointsPerInch / kMillimetresPerInch;
}
double VectorPicture::unitMillimetres() const noexcept { return layout.unitMillimetres.value_or(0.0); }
double VectorPicture::widthMillimetres() const noexcept { return static_cast<double>(width()) * unitMillimetres(); }
double VectorPicture::heightMillimetres() const noexcept { return static_cast<double>(height()) * unitMillimetres(); }
double VectorPicture::widthPoints() const noexcept { return static_cast<double>(width()) * pointsPerUnit(); }
double VectorPicture::heightPoints() const noexcept { return static_cast<double>(height()) * pointsPerUnit(); }

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

void appendModuleTransform(VectorText& text, const SymbolLayout& layout)
{
    text.integer(layout.moduleSize).text(" 0 0 ").integer(layout.moduleSize).text(" ");
    text.integer(layout.left).text(" ").integer(layout.top);
}

void appendPageDrawing(VectorText& page, const VectorPicture& picture, const PageOperators& operators,
                       double unitPoints)
{
    const auto color = [&](Color c) {
        page.channel(c.red()).text(" ").channel(c.green()).text(" ").channel(c.blue()).text(operators.color).text("\n");
    };
    const double k = picture.pointsPerUnit() / unitPoints;
    page.text(operators.matrixBefore).decimal(k, kScaleDigits).text(" 0 0 ").decimal(-k, kScaleDigits);
    page.text(" 0 ").decimal(picture.heightPoints() / unitPoints, kSizeDigits).text(operators.matrixAfter).text("\n");
    color(picture.background);
    page.text("0 0 ").integer(picture.width()).text(" ").integer(picture.height()).text(operators.fillRectangle);
    page.text("\n");
    if (picture.modules.empty()) {
        return;
    }
    page.text(operators.matrixBefore);
    appendModuleTransform(page, picture.layout);
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
    const auto s = static_cast<double>(picture.layout.moduleSize);
    return {line.fontSize / s, (line.left - static_cast<double>(picture.layout.left)) / s,
            (text.top + line.baseline - static_cast<double>(picture.layout.top)) / s};
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
