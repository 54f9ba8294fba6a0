#pragma once
// The element string as a whole: every element checked on its own, then an
// AI repeated only with an identical value, and each AI's required and
// excluded associations.

#include "gs1/component_checks.hpp"
#include "gs1/parsed_element.hpp"
#include "korvel/result_code.hpp"

namespace korvel::gs1 {

struct ValidationSettings {
    bool contentChecks = true;  // false: lengths and character sets only
    CheckContext context;
};

// Sets each element's entry. The first fault found, in the order of the
// elements, ends the validation.
[[nodiscard]] Outcome validateElementString(ParsedElements& elements, const ValidationSettings& settings);

// An AI that appears more than once with different values.
[[nodiscard]] Outcome checkRepeatedAis(const ParsedElements& elements);

// An AI whose required associations are missing, or that appears together
// with an AI it excludes. The elements' entries must be set.
[[nodiscard]] Outcome checkAssociations(const ParsedElements& elements);

}  // namespace korvel::gs1
