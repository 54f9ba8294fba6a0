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
    picture.drawBackground = !render.transparentBackground;
    picture.cmyk = render.cmyk;
    const ModuleView view(symbol.matrix(), render.orientation);
    const MarkShape& marks = picture.layout.marks;
    if (marks.dotDiameter) {
        picture.dotDiameter = *marks.dotDiameter - marks.inkSpread;
        for (int i = 0; i < view.rows(); ++i) {
            for (int j = 0; j < view.columns(); ++j) {
                if (view.dark(i, j)) {
                    picture.dots.push_back({j + 0.5, i + 0.5});
                }
            }
        }
    } else if (marks.inkSpread > 0.0) {
        picture.outlines = darkOutlines(view, marks.inkSpread / 2.0);
    } else {
        picture.modules = darkRectangles(view);
    }
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

VectorText& VectorText::point(double x, double y)
{
    return decimal(x, kMarkDigits).text(" ").decimal(y, kMarkDigits);
}

CmykColor cmykOf(Color color) noexcept
{
    const double red = color.red() / 255.0;
    const double green = color.green() / 255.0;
    const double blue = color.blue() / 255.0;
    const double black = 1.0 - std::max({red, green, blue});
    if (black >= 1.0) {
        return {0.0, 0.0, 0.0, 1.0};
    }
    const auto component = [black](double channel) { return (1.0 - channel - black) / (1.0 - black); };
    return {component(red), component(green), component(blue), black};
}

void appendModuleTransform(VectorText& text, const SymbolLayout& layout)
{
    text.integer(layout.moduleSize).text(" 0 0 ").integer(layout.moduleSize).text(" ");
    text.integer(layout.left).text(" ").integer(layout.top);
}

namespace {

// Magic number of a quarter circle drawn as one cubic Bézier curve.
constexpr double kCircleKappa = 0.5522847498307936;

void appendColor(VectorText& page, const VectorPicture& picture, const PageOperators& operators, Color c)
{
    if (picture.cmyk) {
        const CmykColor cmyk = cmykOf(c);
        page.decimal(cmyk.cyan, kSizeDigits).text(" ").decimal(cmyk.magenta, kSizeDigits).text(" ");
        page.decimal(cmyk.yellow, kSizeDigits).text(" ").decimal(cmyk.black, kSizeDigits);
        page.text(operators.cmykColor).text("\n");
        return;
    }
    page.channel(c.red()).text(" ").channel(c.green()).text(" ").channel(c.blue()).text(operators.color).text("\n");
}

void appendOutlines(VectorText& page, const std::vector<Outline>& outlines)
{
    for (const Outline& outline : outlines) {
        for (const OutlinePoint& corner : outline) {
            page.point(corner.x, corner.y).text(&corner == outline.data() ? " m\n" : " l\n");
        }
        page.text("h\n");
    }
}

// A circle as four quarter curves, counter-clockwise from its right-most point.
void appendCurvedDot(VectorText& page, OutlinePoint centre, double radius)
{
    const double k = kCircleKappa * radius;
    const double x = centre.x;
    const double y = centre.y;
    const double r = radius;
    page.point(x + r, y).text(" m\n");
    const std::array<std::array<double, 6>, 4> quarters{{{x + r, y + k, x + k, y + r, x, y + r},
                                                          {x - k, y + r, x - r, y + k, x - r, y},
                                                          {x - r, y - k, x - k, y - r, x, y - r},
                                                          {x + k, y - r, x + r, y - k, x + r, y}}};
    for (const auto& q : quarters) {
        page.point(q[0], q[1]).text(" ").point(q[2], q[3]).text(" ").point(q[4], q[5]).text(" c\n");
    }
    page.text("h\n");
}

void appendDots(VectorText& page, const VectorPicture& picture, const PageOperators& operators)
{
    for (const OutlinePoint& centre : picture.dots) {
        if (operators.dot.empty()) {
            appendCurvedDot(page, centre, picture.dotDiameter / 2.0);
        } else {
            page.point(centre.x, centre.y).text(" ").decimal(picture.dotDiameter, kMarkDigits);
            page.text(operators.dot).text("\n");
        }
    }
}

}  // namespace

void appendPageDrawing(VectorText& page, const VectorPicture& picture, const PageOperators& operators,
                       double unitPoints)
{
    const double k = picture.pointsPerUnit() / unitPoints;
    page.text(operators.matrixBefore).decimal(k, kScaleDigits).text(" 0 0 ").decimal(-k, kScaleDigits);
    page.text(" 0 ").decimal(picture.heightPoints() / unitPoints, kSizeDigits).text(operators.matrixAfter).text("\n");
    if (picture.drawBackground) {
        appendColor(page, picture, operators, picture.background);
        page.text("0 0 ").integer(picture.width()).text(" ").integer(picture.height()).text(operators.fillRectangle);
        page.text("\n");
    }
    if (!picture.hasDarkMarks()) {
        return;
    }
    page.text(operators.matrixBefore);
    appendModuleTransform(page, picture.layout);
    page.text(operators.matrixAfter).text("\n");
    appendColor(page, picture, operators, picture.foreground);
    for (const ModuleRectangle& r : picture.modules) {
        page.integer(r.column).text(" ").integer(r.row).text(" ").integer(r.width).text(" ").integer(r.height);
        page.text(operators.rectangle).text("\n");
    }
    appendOutlines(page, picture.outlines);
    appendDots(page, picture, operators);
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
