#pragma once
// One element on its own: its AI must be in the table, and its value must
// split into the AI's parts with their lengths and character sets; the
// parts' named checks run when content checks are on.

#include "gs1/component_checks.hpp"
#include "gs1/parsed_element.hpp"
#include "korvel/result_code.hpp"

namespace korvel::gs1 {

// Finds the element's AI in the table and sets `element.entry`.
[[nodiscard]] Outcome findElementAi(ParsedElement& element);

// Checks the value of an element whose entry is set.
[[nodiscard]] Outcome checkElementValue(const ParsedElement& element, bool contentChecks,
                                        const CheckContext& context);

}  // namespace korvel::gs1
