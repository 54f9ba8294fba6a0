#pragma once
// The element string as a whole: every element checked on its own, then an
// AI repeated only with an identical value, and each AI's required and
// excluded associations. Both whole-string checks take time in proportion
// to the data (each element is looked up once in an index of the distinct
// AIs, of which the table allows a few hundred at most).

#include <cstddef>
#include <string_view>
#include <vector>

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

// The distinct AIs of an element string, each with the first element that
// holds it, sorted for lookups in logarithmic time. It counts the elements
// its lookups visit, so that tests can tell that the checks grow with the
// data and not with its square.
class AiIndex {
public:
    explicit AiIndex(const ParsedElements& elements);

    // The first element with exactly this AI, or nullptr.
    [[nodiscard]] const ParsedElement* first(std::string_view ai) const;
    // The first element, in element order, whose AI matches `pattern` ("310n")
    // and differs from `except`; nullptr when there is none.
    [[nodiscard]] const ParsedElement* firstMatching(std::string_view pattern, std::string_view except = {}) const;
    // The first element of each AI, in element order.
    [[nodiscard]] const std::vector<const ParsedElement*>& firsts() const noexcept { return firsts_; }

    [[nodiscard]] std::size_t visits() const noexcept { return visits_; }

private:
    std::vector<const ParsedElement*> byAi_;
    std::vector<const ParsedElement*> firsts_;
    mutable std::size_t visits_ = 0;
};

// An AI that appears more than once with different values.
[[nodiscard]] Outcome checkRepeatedAis(const ParsedElements& elements, const AiIndex& index);

// An AI whose required associations are missing, or that appears together
// with an AI it excludes. The elements' entries must be set; repeated AIs
// must carry the same value (checkRepeatedAis).
[[nodiscard]] Outcome checkAssociations(const AiIndex& index);

}  // namespace korvel::gs1
