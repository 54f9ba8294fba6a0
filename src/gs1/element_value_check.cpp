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
    const std::string count = std::to_string(length) + (length == 1 ? " character, " : " characters, ");
    if (length > maximum) {
        return "value too long: " + count + (minimum == maximum ? "expected " : "at most ") + std::to_string(maximum);
    }
    if (length < minimum) {
        return "value too short: " + count + (minimum == maximum ? "expected " : "at least ") + std::to_string(minimum);
    }
    return "value length " + std::to_string(length) + " does not fit its parts";
}

// Base64url padding: one or two '=' at the very end, and only when the
// padded value is a multiple of three characters long (the GS1 rule for
// character set 64 in AI values).
Outcome checkBase64Padding(const ParsedElement& element, const PartSpan& span)
{
    const std::string_view part = std::string_view(element.value).substr(span.start, span.length);
    const std::size_t unpadded = part.find_last_not_of('=') + 1;  // 0 when all are '='
    const std::size_t firstEquals = part.find('=');
    if (firstEquals < unpadded) {
        return elementFault(element, element.valueSpan(span.start + firstEquals, 1),
                            "'=' is padding, only at the end (base64url)");
    }
    const std::size_t padding = part.size() - unpadded;
    if (padding > 2) {
        return elementFault(element, element.valueSpan(span.start + unpadded, padding),
                            "at most two '=' of padding (base64url)");
    }
    if (padding > 0 && part.size() % 3 != 0) {
        return elementFault(element, element.valueSpan(span.start, span.length),
                            "padded to " + std::to_string(part.size()) +
                                " characters, not a multiple of 3 (base64url)");
    }
    return {};
}

// Splits the value into the parts of `list`; checks lengths and character sets.
Outcome splitValue(const ParsedElement& element, const ComponentList& list, std::vector<PartSpan>& spans)
{
    const std::string_view value = element.value;
    if (value.empty()) {
        return elementFault(element, {element.endPosition, 0}, "empty value");
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
                return elementFault(element, element.valueSpan(k, 1),
                                    "invalid character " + quotedCharacter(value[k]) +
                                        characterSetNote(part.characterSet));
            }
        }
        spans.push_back({at, length});
        if (part.characterSet == CharacterSet::Base64Url) {
            if (Outcome padding = checkBase64Padding(element, spans.back()); !padding.ok()) {
                return padding;
            }
        }
        at += length;
    }
    const bool complete = spans.size() == list.count || list.parts[spans.size()].optional;
    if (at != value.size() || !complete) {
        return elementFault(element, element.wholeValue(), lengthFault(value.size(), minimum, maximum));
    }
    return {};
}

}  // namespace

bool isAiSyntax(std::string_view ai) noexcept
{
    return ai.size() >= 2 && ai.size() <= 4 && std::all_of(ai.begin(), ai.end(), isDigitChar);
}

Outcome findElementAi(ParsedElement& element)
{
    const TextSpan aiSpan{element.aiPosition, element.ai.size()};
    if (!isAiSyntax(element.ai)) {
        return textFault(aiSpan, kAiSyntaxFault);
    }
    element.entry = findAi(element.ai);
    return element.entry != nullptr ? Outcome{} : elementFault(element, aiSpan, "unknown AI");
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
            const CheckFault fault = runCheck(part.checks[c], text, context);
            if (!fault.what.empty()) {
                const std::size_t offset = std::min(fault.offset, text.size());
                const std::size_t length = std::min(fault.length, text.size() - offset);
                return elementFault(element, element.valueSpan(spans[i].start + offset, length), fault.what);
            }
        }
    }
    return {};
}

bool stopsBeforeOptionalPart(const ParsedElement& element) noexcept
{
    const ComponentList list = parseComponents(element.entry->components);
    std::size_t mandatory = 0;
    for (std::size_t i = 0; i < list.count && !list.parts[i].optional; ++i) {
        mandatory += list.parts[i].minLength;
    }
    return list.count > 0 && list.parts[list.count - 1].optional && element.value.size() <= mandatory;
}

}  // namespace korvel::gs1
