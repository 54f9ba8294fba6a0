#pragma once
// The checks of written output against the symbol, one per kind of output,
// each failing with 16 and a detail that says what differs.

#include <cstdint>
#include <span>
#include <string>

#include "korvel/color.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"
#include "korvel/verification.hpp"

namespace korvel {

// A verification failure with this detail.
[[nodiscard]] Outcome differs(std::string detail);
// "#rrggbb".
[[nodiscard]] std::string colourText(Color c);

[[nodiscard]] Outcome checkPng(std::span<const std::uint8_t> bytes, const Symbol& symbol, const RenderOptions& render);
[[nodiscard]] Outcome checkVector(const WrittenOutput& output, const Symbol& symbol, const RenderOptions& render);
[[nodiscard]] Outcome checkText(std::span<const std::uint8_t> bytes, const Symbol& symbol, const RenderOptions& render);

}  // namespace korvel
