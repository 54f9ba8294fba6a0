#pragma once
// GS1 Digital Link URIs, "https://id.example/prefix/01/09501101530003/10/AB?17=261231":
// the AI path starts at the first path segment that is a primary-key AI
// followed by a value (what comes before is the prefix); qualifiers follow
// the key in one of its allowed sequences; query parameters whose keys are
// digits must be AIs allowed as attributes, others are ignored. Values are
// percent-decoded; a decoded character keeps the place of its '%'.

#include <string_view>

#include "gs1/parsed_element.hpp"
#include "korvel/result_code.hpp"

namespace korvel::gs1 {

// Whether the text is meant as a Digital Link URI (it starts with 'h' or 'H').
[[nodiscard]] constexpr bool looksLikeDigitalLink(std::string_view text) noexcept
{
    return !text.empty() && (text.front() == 'h' || text.front() == 'H');
}

// The elements of the path and the query, in that order; their AIs are
// looked up (entries set) but their values are not checked yet.
[[nodiscard]] Outcome parseDigitalLink(std::string_view uri, ParsedElements& out);

}  // namespace korvel::gs1
