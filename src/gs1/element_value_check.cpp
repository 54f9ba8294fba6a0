#include "gs1/element_value_check.hpp"

#include <algorithm>
#include <string>

#include "gs1/character_sets.hpp"
#include "gs1/component_spec.hpp"

namespace korvel::gs1 {
namespace {

struct PartSpan {
    std::size_t start = 0;
    std::size_t length = 0;
};

std::string characterSetNote(CharacterSet set)
{
    switch (set) {
    case CharacterSet::Digits: return " (digits only)";
    case CharacterSet::Cset82: return "";
    case CharacterSet::Cset39: return " (GS1 character set 39)";
    case CharacterSet::Base64Url: return " (base64url)";
    }
    return "";
}

std::string lengthFault(std::size_t length, std::size_t minimum, std::size_t maximum)
{
    const std::string count = std::to_string(length) + " characters, ";
    if (length > maximum) {
        return "value too long: " + count + (minimum == maximum ? "expected " : "at most ") + std::to_string(maximum);
    }
    if (length < minimum) {
        return "value too short: " + count + (minimum == maximum ? "expected " : "at least ") + std::to_string(minimum);
    }
    return "value length " + std::to_string(length) + " does not fit its parts";
}

// Splits the value into the parts of `list`; checks lengths and character sets.
Outcome splitValue(const ParsedElement& element, const ComponentList& list, std::vector<PartSpan>& spans)
{
    const std::string_view value = element.value;
    if (value.empty()) {
        return elementFault(element, element.endPosition, "empty value");
    }
    std::size_t minimum = 0;
    std::size_t maximum = 0;
    for (std::size_t i = 0; i < list.count; ++i) {
        minimum += list.parts[i].optional ? 0U : std::size_t{list.parts[i].minLength};
        maximum += list.parts[i].maxLength;
    }
    std::size_t at = 0;
    for (std::size_t i = 0; i < list.count && at < value.size(); ++i) {
        const Component& part = list.parts[i];
        const std::size_t length = std::min<std::size_t>(value.size() - at, part.maxLength);
        if (length < part.minLength) {
            break;
        }
        for (std::size_t k = at; k < at + length; ++k) {
            if (!isInCharacterSet(part.characterSet, value[k])) {
                return elementFault(element, element.positionOf(k),
                                    "invalid character " + quotedCharacter(value[k]) +
                                        characterSetNote(part.characterSet));
            }
        }
        spans.push_back({at, length});
        at += length;
    }
    const bool complete = spans.size() == list.count || list.parts[spans.size()].optional;
    if (at != value.size() || !complete) {
        return elementFault(element, element.positionOf(0), lengthFault(value.size(), minimum, maximum));
    }
    return {};
}

}  // namespace

Outcome findElementAi(ParsedElement& element)
{
    const std::string_view ai = element.ai;
    const bool digits = ai.size() >= 2 && ai.size() <= 4 && std::all_of(ai.begin(), ai.end(), isDigitChar);
    if (!digits) {
        return textFault(element.aiPosition, "an AI is 2 to 4 digits");
    }
    element.entry = findAi(ai);
    return element.entry != nullptr ? Outcome{} : elementFault(element, element.aiPosition, "unknown AI");
}

Outcome checkElementValue(const ParsedElement& element, bool contentChecks, const CheckContext& context)
{
    const ComponentList list = parseComponents(element.entry->components);
    std::vector<PartSpan> spans;
    Outcome outcome = splitValue(element, list, spans);
    if (!outcome.ok() || !contentChecks) {
        return outcome;
    }
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const Component& part = list.parts[i];
        const std::string_view text = std::string_view(element.value).substr(spans[i].start, spans[i].length);
        for (std::size_t c = 0; c < part.checkCount; ++c) {
            const std::string fault = runCheck(part.checks[c], text, context);
            if (!fault.empty()) {
                return elementFault(element, element.positionOf(spans[i].start), fault);
            }
        }
    }
    return {};
}

}  // namespace korvel::gs1
