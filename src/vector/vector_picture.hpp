#pragma once
// What the vector writers (SVG, EPS, PDF) draw, and the text they write it
// with. A picture is the layout's image of width x height units with a
// physical size per unit: a background rectangle over the whole image
// (unless the background is left out), and the dark modules in the module
// grid, placed by one transform (the layout's module size and corner).
// Squares are rectangles of whole modules, so that modules abut exactly;
// with ink spread the dark areas are outlines moved into the dark; dots are
// circles centred in their modules.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "layout/module_outlines.hpp"
#include "layout/module_rectangles.hpp"
#include "layout/symbol_layout.hpp"
#include "text/line_fit.hpp"
#include "korvel/color.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"
#include "korvel/vector_writer.hpp"

namespace korvel {

// The image's grid is whole units: a unit is a pixel of the raster drawing,
// or a module when the module size is given in millimetres.
struct VectorPicture {
    SymbolLayout layout;  // always with unitMillimetres
    Color foreground = kBlack;
    Color background = kWhite;
    bool drawBackground = true;
    bool cmyk = false;  // colours in DeviceCMYK where the format has it
    // The dark modules in the module grid, in the one form the marks ask for.
    std::vector<ModuleRectangle> modules;  // squares: rectangles of whole modules
    std::vector<Outline> outlines;         // squares with ink spread
    std::vector<OutlinePoint> dots;        // dots: their centres
    double dotDiameter = 0.0;              // in modules, ink spread taken off

    [[nodiscard]] bool hasDarkMarks() const noexcept
    {
        return !modules.empty() || !outlines.empty() || !dots.empty();
    }
    // The line of human-readable text in the layout's band: the box is in
    // units, its top `top` units from the image's top.
    struct Text {
        std::string line;
        double top = 0.0;
        LineBox box;
    };
    std::optional<Text> text;

    // Physical sizes: PostScript points (1/72 inch) per unit, and the image's
    // width and height in millimetres and in points.
    [[nodiscard]] std::int64_t width() const noexcept { return layout.width; }
    [[nodiscard]] std::int64_t height() const noexcept { return layout.height; }
    [[nodiscard]] double unitMillimetres() const noexcept;
    [[nodiscard]] double pointsPerUnit() const noexcept;
    [[nodiscard]] double widthMillimetres() const noexcept;
    [[nodiscard]] double heightMillimetres() const noexcept;
    [[nodiscard]] double widthPoints() const noexcept;
    [[nodiscard]] double heightPoints() const noexcept;
};

// The picture of a symbol drawn with the render options at the physical size
// the vector options give; the failures are the vector writers'.
[[nodiscard]] Outcome makeVectorPicture(const Symbol& symbol, const RenderOptions& render,
                                        const VectorOptions& vector, VectorPicture& picture);

// Digits after the decimal point for physical sizes (1/10000 mm or point),
// for scale factors, which multiply coordinates of up to 65535 units, and
// for coordinates of marks within the module grid.
inline constexpr int kSizeDigits = 4;
inline constexpr int kScaleDigits = 9;
inline constexpr int kMarkDigits = 6;

// Text written the same whatever the locale: numbers go through
// std::to_chars, never through printf or streams.
class VectorText {
public:
    VectorText& text(std::string_view part)
    {
        out_.append(part);
        return *this;
    }
    VectorText& integer(std::int64_t value);
    // Fixed-point with at most `digits` fraction digits; trailing zeros and a
    // bare point are dropped, and negative zero is written as 0.
    VectorText& decimal(double value, int digits);
    // A colour channel as a fraction of full intensity, for PostScript and
    // PDF colour operators.
    VectorText& channel(std::uint8_t level);
    // "x y": a point of the module grid.
    VectorText& point(double x, double y);

    [[nodiscard]] std::size_t size() const noexcept { return out_.size(); }
    [[nodiscard]] std::string take() { return std::move(out_); }

private:
    std::string out_;
};

// "s 0 0 s left top": the six numbers of the transform from the module grid
// to the image's units.
void appendModuleTransform(VectorText& text, const SymbolLayout& layout);

// The operators of a page description language that draw a picture: PDF
// content streams and PostScript differ only in these words.
struct PageOperators {
    std::string_view matrixBefore;  // before the six numbers of a transform
    std::string_view matrixAfter;   // after them
    std::string_view color;         // after the three channels of a fill colour
    std::string_view fillRectangle; // after x y width height: fill it at once
    std::string_view rectangle;     // after x y width height: add it to the path
    std::string_view fillPath;      // fills the path built so far
    std::string_view cmykColor;     // after the four components of a DeviceCMYK fill colour
    // After x y diameter: a circle added to the path; when empty, circles
    // are drawn as four Bézier curves. Outlines and curves use the words of
    // PDF (m, l, c, h), which PostScript output defines.
    std::string_view dot;
};

// A colour in DeviceCMYK, each component 0 to 1: K = 1 - max(R, G, B), and
// C, M, Y the rest of each channel relative to 1 - K.
struct CmykColor {
    double cyan = 0.0;
    double magenta = 0.0;
    double yellow = 0.0;
    double black = 0.0;
};
[[nodiscard]] CmykColor cmykOf(Color color) noexcept;

// The picture drawn in a page of widthPoints() x heightPoints() whose origin
// is the bottom-left corner: the units turned upside down, the background,
// then the dark modules as one path filled once. One operation per line.
// `unitPoints` is the page's unit in points (1 unless the page is scaled).
void appendPageDrawing(VectorText& page, const VectorPicture& picture, const PageOperators& operators,
                       double unitPoints = 1.0);

// The text line set in a face of these metrics, in the module grid (where
// the page drawing leaves the transform): the font size, the left end and
// the baseline.
struct PlacedText {
    double fontSize = 0.0;
    double left = 0.0;
    double baseline = 0.0;
};
[[nodiscard]] PlacedText placeTextInModules(const VectorPicture& picture, const FontMetrics& metrics) noexcept;

// The text as a string literal of PostScript and PDF: in parentheses, with
// backslash, "(" and ")" escaped.
void appendStringLiteral(VectorText& out, std::string_view text);

// The value as written with `digits` fraction digits (what a reader of the
// text gets back), for bounding boxes computed from written sizes.
[[nodiscard]] double roundedTo(double value, int digits) noexcept;

}  // namespace korvel
