// The public GS1 entry: choose the syntax, read the elements, validate them.

#include <exception>

#include "gs1/digital_link_parser.hpp"
#include "gs1/element_string_parser.hpp"
#include "gs1/element_string_validation.hpp"
#include "calendar/utc_calendar.hpp"
#include "korvel/gs1.hpp"

namespace korvel {
namespace {

gs1::ValidationSettings validationSettings(const Gs1Options& options)
{
    const std::time_t reference = options.referenceTime.value_or(std::time(nullptr));
    return {options.contentChecks, {toUtcDateTime(reference).year}};
}

Outcome readElements(std::string_view text, gs1::ParsedElements& elements)
{
    if (text.empty()) {
        return gs1::noDataFault("no data");
    }
    switch (text.front()) {
    case '[': return gs1::parseBracketSyntax(text, elements);
    case '(': return gs1::parseParenthesisSyntax(text, elements);
    default:
        if (gs1::looksLikeDigitalLink(text)) {
            return gs1::parseDigitalLink(text, elements);
        }
        return gs1::textFault({1, 1}, "expected '[', '(' or a Digital Link URI");
    }
}

}  // namespace

Outcome parseGs1(std::string_view text, const Gs1Options& options, Gs1Data& out) noexcept
{
    out = {};
    try {
        gs1::ParsedElements elements;
        Outcome outcome = readElements(text, elements);
        if (outcome.ok()) {
            outcome = gs1::validateElementString(elements, validationSettings(options));
        }
        if (!outcome.ok()) {
            return outcome;
        }
        Gs1Data data;
        for (gs1::ParsedElement& e : elements) {
            data.elements.push_back({std::move(e.ai), std::move(e.value), e.aiPosition});
        }
        data.digitalLink = gs1::looksLikeDigitalLink(text);
        if (data.digitalLink) {
            data.uri = std::string(text);
        }
        out = std::move(data);
        return {};
    } catch (const std::exception&) {
        return ResultCode::UnknownException;
    }
}

}  // namespace korvel
