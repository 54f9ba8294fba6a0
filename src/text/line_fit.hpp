#pragma once
// Where one line of monospaced text goes in a box: the font size that gives
// the capitals the wanted height, reduced when the line would be wider than
// the box, and the line centred both ways on the box's middle and capital
// centre line. Pure arithmetic, in whatever unit the caller draws in.

#include <cstddef>

namespace korvel {

// A face's measures as fractions of its em.
struct FontMetrics {
    double advance = 0.0;     // of every character (monospaced faces)
    double capHeight = 0.0;   // of capital letters
};

// The metrics of the faces the writers name: OCR-B for SVG (a viewer may
// substitute another monospaced face) and Courier, a standard PostScript and
// PDF font that needs no embedding.
inline constexpr FontMetrics kOcrBMetrics{0.723, 0.713};
inline constexpr FontMetrics kCourierMetrics{0.6, 0.563};

// The box a line is set in: its left end and width, and the wanted capital
// height and the height of the middle of the capitals, measured from the
// box's top.
struct LineBox {
    double left = 0.0;
    double width = 0.0;
    double capHeight = 0.0;
    double capCentre = 0.0;
};

struct FittedLine {
    double fontSize = 0.0;  // the em
    double width = 0.0;     // of the whole line
    double left = 0.0;      // where the line starts
    double centre = 0.0;    // the box's middle, from the left of what the box is in
    double baseline = 0.0;  // from the box's top
};

[[nodiscard]] FittedLine fitLine(const FontMetrics& metrics, std::size_t characters, const LineBox& box) noexcept;

}  // namespace korvel
