#pragma once
// One element on its own: its AI must be in the table, and its value must
// split into the AI's parts with their lengths and character sets; the
// parts' named checks run when content checks are on.

#include <string_view>

#include "gs1/component_checks.hpp"
#include "gs1/parsed_element.hpp"
#include "korvel/result_code.hpp"

namespace korvel::gs1 {

inline constexpr std::string_view kAiSyntaxFault = "an AI is 2 to 4 digits";

// Whether `ai` is written as an AI: 2 to 4 digits.
[[nodiscard]] bool isAiSyntax(std::string_view ai) noexcept;

// Finds the element's AI in the table and sets `element.entry`.
[[nodiscard]] Outcome findElementAi(ParsedElement& element);

// Checks the value of an element whose entry is set.
[[nodiscard]] Outcome checkElementValue(const ParsedElement& element, bool contentChecks,
                                        const CheckContext& context);

// Whether the AI of an element (entry set, value checked) allows an
// optional part at the end, such as the serial component of a GDTI (253),
// and the value stops before it.
[[nodiscard]] bool stopsBeforeOptionalPart(const ParsedElement& element) noexcept;

}  // namespace korvel::gs1
