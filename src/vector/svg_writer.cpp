#include "vector/svg_writer.hpp"

namespace korvel {
namespace {

// "#rrggbb".
std::string hexColor(Color color)
{
    constexpr std::string_view kDigits = "0123456789abcdef";
    std::string text = "#";
    for (const std::uint8_t level : {color.red(), color.green(), color.blue()}) {
        text += kDigits[level >> 4];
        text += kDigits[level & 0xFU];
    }
    return text;
}

// Path data for the rectangles: each one a closed subpath whose start is
// given relative to the start of the one before (where closing it left the
// current point), its sides as relative lines.
void appendModulePath(VectorText& svg, const std::vector<ModuleRectangle>& modules)
{
    std::int64_t column = 0;
    std::int64_t row = 0;
    for (const ModuleRectangle& r : modules) {
        svg.text(&r == modules.data() ? "M" : "m").integer(r.column - column).text(" ").integer(r.row - row);
        svg.text("h").integer(r.width).text("v").integer(r.height).text("h").integer(-r.width).text("z");
        column = r.column;
        row = r.row;
    }
}

// Each outline a closed subpath of absolute horizontal and vertical lines.
void appendOutlinePath(VectorText& svg, const std::vector<Outline>& outlines)
{
    for (const Outline& outline : outlines) {
        svg.text("M").point(outline.front().x, outline.front().y);
        for (std::size_t k = 1; k < outline.size(); ++k) {
            const bool across = outline[k].y == outline[k - 1].y;
            svg.text(across ? "H" : "V").decimal(across ? outline[k].x : outline[k].y, kMarkDigits);
        }
        svg.text("Z");
    }
}

// Each dot a closed subpath of two half-circle arcs from its right-most point.
void appendDotPath(VectorText& svg, const VectorPicture& picture)
{
    const double r = picture.dotDiameter / 2.0;
    for (const OutlinePoint& centre : picture.dots) {
        svg.text("M").point(centre.x + r, centre.y);
        for (const double x : {centre.x - r, centre.x + r}) {
            svg.text("A").decimal(r, kMarkDigits).text(" ").decimal(r, kMarkDigits).text(" 0 0 1 ");
            svg.point(x, centre.y);
        }
        svg.text("Z");
    }
}

// The text with the characters XML reserves as entities.
void appendEscaped(VectorText& svg, std::string_view text)
{
    for (const char c : text) {
        switch (c) {
        case '&': svg.text("&amp;"); break;
        case '<': svg.text("&lt;"); break;
        case '>': svg.text("&gt;"); break;
        case '"': svg.text("&quot;"); break;
        default: svg.text(std::string_view(&c, 1));
        }
    }
}

// The line of human-readable text, centred, in OCR-B where the viewer has it
// and a monospaced face otherwise; textLength holds it to the width it was
// fitted to whatever face is used.
void appendText(VectorText& svg, const VectorPicture& picture)
{
    const VectorPicture::Text& text = *picture.text;
    const FittedLine line = fitLine(kOcrBMetrics, text.line.size(), text.box);
    svg.text("<text x=\"").decimal(line.centre, kSizeDigits).text("\" y=\"").decimal(text.top + line.baseline, kSizeDigits);
    svg.text("\" font-family=\"'OCR B', 'OCR-B', 'DejaVu Sans Mono', monospace\" font-size=\"");
    svg.decimal(line.fontSize, kSizeDigits).text("\" text-anchor=\"middle\" textLength=\"");
    svg.decimal(line.width, kSizeDigits).text("\" lengthAdjust=\"spacingAndGlyphs\" xml:space=\"preserve\" fill=\"");
    svg.text(hexColor(picture.foreground)).text("\">");
    appendEscaped(svg, text.line);
    svg.text("</text>\n");
}

}  // namespace

std::string svgDocument(const VectorPicture& picture)
{
    VectorText svg;
    svg.text("<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"no\"?>\n");
    svg.text("<svg xmlns=\"http://www.w3.org/2000/svg\" version=\"1.1\" width=\"")
        .decimal(picture.widthMillimetres(), kSizeDigits)
        .text("mm\" height=\"")
        .decimal(picture.heightMillimetres(), kSizeDigits)
        .text("mm\" viewBox=\"0 0 ")
        .integer(picture.width())
        .text(" ")
        .integer(picture.height())
        .text("\">\n");
    if (picture.drawBackground) {
        svg.text("<rect width=\"")
            .integer(picture.width())
            .text("\" height=\"")
            .integer(picture.height())
            .text("\" fill=\"")
            .text(hexColor(picture.background))
            .text("\"/>\n");
    }
    if (picture.hasDarkMarks()) {
        svg.text("<path fill=\"").text(hexColor(picture.foreground)).text("\" transform=\"matrix(");
        appendModuleTransform(svg, picture.layout);
        svg.text(")\" d=\"");
        appendModulePath(svg, picture.modules);
        appendOutlinePath(svg, picture.outlines);
        appendDotPath(svg, picture);
        svg.text("\"/>\n");
    }
    if (picture.text) {
        appendText(svg, picture);
    }
    svg.text("</svg>\n");
    return svg.take();
}

}  // namespace korvel
