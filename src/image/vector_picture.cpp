#include "image/vector_picture.hpp"

#include <array>
#include <charconv>
#include <cmath>

namespace korvel {
namespace {

constexpr double kMillimetresPerInch = 25.4;
constexpr double kPointsPerInch = 72.0;

}  // namespace

VectorPicture::VectorPicture(const ModuleMatrix& matrix, const SymbolLayout& layoutInUnits,
                             double millimetresPerUnit, Color foregroundColor, Color backgroundColor)
    : layout(layoutInUnits),
      unitMillimetres(millimetresPerUnit),
      foreground(foregroundColor),
      background(backgroundColor),
      modules(darkRectangles(matrix))
{
}

double VectorPicture::pointsPerUnit() const noexcept
{
    return unitMillimetres * kPointsPerInch / kMillimetresPerInch;
}
double VectorPicture::widthMillimetres() const noexcept { return static_cast<double>(layout.width) * unitMillimetres; }
double VectorPicture::heightMillimetres() const noexcept { return static_cast<double>(layout.height) * unitMillimetres; }
double VectorPicture::widthPoints() const noexcept { return static_cast<double>(layout.width) * pointsPerUnit(); }
double VectorPicture::heightPoints() const noexcept { return static_cast<double>(layout.height) * pointsPerUnit(); }

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

VectorText& VectorText::channel(Color color, int index)
{
    const auto level = (color >> (8 * index)) & 0xFFU;
    return decimal(static_cast<double>(level) / 255.0, kSizeDigits);
}

void appendPageDrawing(VectorText& page, const VectorPicture& picture, const PageOperators& operators)
{
    const SymbolLayout& layout = picture.layout;
    const auto color = [&](Color c) {
        page.channel(c, 0).text(" ").channel(c, 1).text(" ").channel(c, 2).text(operators.color).text("\n");
    };
    const double k = picture.pointsPerUnit();
    page.text(operators.matrixBefore).decimal(k, kScaleDigits).text(" 0 0 ").decimal(-k, kScaleDigits);
    page.text(" 0 ").decimal(picture.heightPoints(), kSizeDigits).text(operators.matrixAfter).text("\n");
    color(picture.background);
    page.text("0 0 ").integer(layout.width).text(" ").integer(layout.height).text(operators.fillRectangle).text("\n");
    if (picture.modules.empty()) {
        return;
    }
    page.text(operators.matrixBefore).integer(layout.moduleSize).text(" 0 0 ").integer(layout.moduleSize);
    page.text(" ").integer(layout.left).text(" ").integer(layout.top).text(operators.matrixAfter).text("\n");
    color(picture.foreground);
    for (const ModuleRectangle& r : picture.modules) {
        page.integer(r.column).text(" ").integer(r.row).text(" ").integer(r.width).text(" ").integer(r.height);
        page.text(operators.rectangle).text("\n");
    }
    page.text(operators.fillPath).text("\n");
}

double roundedTo(double value, int digits) noexcept
{
    const double scale = std::pow(10.0, digits);
    return std::round(value * scale) / scale;
}

}  // namespace korvel
