#include "text/line_fit.hpp"

#include <algorithm>

namespace korvel {

FittedLine fitLine(const FontMetrics& metrics, std::size_t characters, const LineBox& box) noexcept
{
    FittedLine line;
    line.fontSize = box.capHeight / metrics.capHeight;
    const double naturalWidth = static_cast<double>(characters) * metrics.advance * line.fontSize;
    if (naturalWidth > box.width && naturalWidth > 0.0) {
        line.fontSize *= box.width / naturalWidth;
    }
    line.width = std::min(naturalWidth, box.width);
    line.centre = box.left + box.width / 2.0;
    line.left = line.centre - line.width / 2.0;
    line.baseline = box.capCentre + metrics.capHeight * line.fontSize / 2.0;
    return line;
}

}  // namespace korvel
