#pragma once
// One line of text rasterised with FreeType into a coverage map: how much of
// each pixel the glyphs cover, anti-aliased. Writers blend it between their
// two colours, or threshold it where only two colours may appear.

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "text/line_fit.hpp"
#include "text/text_font.hpp"
#include "korvel/color.hpp"
#include "korvel/result_code.hpp"

namespace korvel {

struct Coverage {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> values;  // row by row from the top, 0 no ink to 255 full ink

    [[nodiscard]] std::uint8_t at(std::int32_t x, std::int32_t y) const noexcept
    {
        return values[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)];
    }
};

// The colour of a pixel `coverage` (of 255) of which is ink on paper.
[[nodiscard]] Color inkOnPaper(Color paper, Color ink, std::uint8_t coverage) noexcept;

// Sets `text` in the font into a coverage of (box.left + box.width) x
// `height` pixels (the width rounded down), placed by fitLine with the
// face's own measures (the capital height of 'H', the mean advance of the
// characters); the baseline falls on a whole pixel. Ink outside the coverage
// is dropped. 2 when FreeType cannot read the font, 14 when memory runs out.
[[nodiscard]] Outcome rasteriseLine(const std::shared_ptr<const TextFont>& font, std::string_view text,
                                    const LineBox& box, std::int32_t height, Coverage& out);

}  // namespace korvel
