#include "vector/eps_writer.hpp"

#include <cmath>

namespace korvel {
namespace {

constexpr PageOperators kPostScript{"[", "] concat", " setrgbcolor", " rectfill", " R", "fill", " setcmykcolor", " D"};

// "0 0 width height" of a bounding box, whole points rounded outward or
// points with fraction digits.
void appendBox(VectorText& eps, const VectorPicture& picture, bool wholePoints)
{
    const double width = roundedTo(picture.widthPoints(), kSizeDigits);
    const double height = roundedTo(picture.heightPoints(), kSizeDigits);
    eps.text("0 0 ");
    if (wholePoints) {
        eps.integer(static_cast<std::int64_t>(std::ceil(width))).text(" ");
        eps.integer(static_cast<std::int64_t>(std::ceil(height))).text("\n");
    } else {
        eps.decimal(width, kSizeDigits).text(" ").decimal(height, kSizeDigits).text("\n");
    }
}

// The line of human-readable text in Courier, which every PostScript
// interpreter has, drawn where the module drawing left the transform; the
// font matrix turns the glyphs upright again.
void appendText(VectorText& eps, const VectorPicture& picture)
{
    const PlacedText placed = placeTextInModules(picture, kCourierMetrics);
    eps.text("/Courier findfont [").decimal(placed.fontSize, kScaleDigits).text(" 0 0 ");
    eps.decimal(-placed.fontSize, kScaleDigits).text(" 0 0] makefont setfont\n");
    eps.decimal(placed.left, kScaleDigits).text(" ").decimal(placed.baseline, kScaleDigits).text(" moveto ");
    appendStringLiteral(eps, picture.text->line);
    eps.text(" show\n");
}

}  // namespace

std::string epsDocument(const VectorPicture& picture)
{
    VectorText eps;
    eps.text("%!PS-Adobe-3.0 EPSF-3.0\n%%BoundingBox: ");
    appendBox(eps, picture, true);
    eps.text("%%HiResBoundingBox: ");
    appendBox(eps, picture, false);
    eps.text("%%Creator: korvel\n%%LanguageLevel: 2\n%%Pages: 1\n%%EndComments\n%%Page: 1 1\n");
    if (!picture.outlines.empty()) {
        eps.text("save\n4 dict begin\n");
        // The path operators under the names a PDF content stream gives them.
        eps.text("/m { moveto } bind def\n/l { lineto } bind def\n/h { closepath } bind def\n");
    } else if (!picture.dots.empty()) {
        eps.text("save\n2 dict begin\n");
        // D: x y diameter -> a closed circle in the current path.
        eps.text("/D { 2 div 2 index 1 index add 2 index moveto 0 360 arc closepath } bind def\n");
    } else {
        eps.text("save\n1 dict begin\n");
    }
    // R: x y width height -> a closed rectangle in the current path.
    eps.text("/R { 4 2 roll moveto 1 index 0 rlineto 0 exch rlineto neg 0 rlineto closepath } bind def\n");
    eps.text("newpath\n");
    appendPageDrawing(eps, picture, kPostScript);
    if (picture.text) {
        appendText(eps, picture);
    }
    eps.text("end\nrestore\nshowpage\n%%Trailer\n%%EOF\n");
    return eps.take();
}

}  // namespace korvel
