#pragma once
// Element strings written with their AIs in brackets, "[01]09501101530003[10]AB",
// or in parentheses, "(01)09501101530003(10)AB", where a parenthesis inside a
// value is written "\(" or "\)". A value runs up to the next AI.

#include <string_view>

#include "gs1/parsed_element.hpp"
#include "korvel/result_code.hpp"

namespace korvel::gs1 {

[[nodiscard]] Outcome parseBracketSyntax(std::string_view text, ParsedElements& out);
[[nodiscard]] Outcome parseParenthesisSyntax(std::string_view text, ParsedElements& out);

}  // namespace korvel::gs1
