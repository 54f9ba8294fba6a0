#include "gs1/element_string_validation.hpp"

#include <string>

#include "gs1/element_value_check.hpp"

namespace korvel::gs1 {
namespace {

bool isPresent(const ParsedElements& elements, std::string_view pattern)
{
    for (const ParsedElement& e : elements) {
        if (matchesAiPattern(e.ai, pattern)) {
            return true;
        }
    }
    return false;
}

// An alternative of a requirement group: AIs joined by '+', all present.
bool isMet(const ParsedElements& elements, std::string_view alternative)
{
    bool met = true;
    forEachPiece(alternative, '+', [&](std::string_view ai) { met = met && isPresent(elements, ai); });
    return met;
}

// "(01) with (21), (03) with (21) or (8006) with (21)"
std::string describeGroup(std::string_view group)
{
    std::vector<std::string> alternatives;
    forEachPiece(group, ',', [&](std::string_view alternative) {
        std::string text;
        forEachPiece(alternative, '+', [&](std::string_view ai) {
            text += (text.empty() ? "(" : " with (") + std::string(ai) + ")";
        });
        alternatives.push_back(text);
    });
    std::string text;
    for (std::size_t i = 0; i < alternatives.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == alternatives.size() ? " or " : ", ") + alternatives[i];
    }
    return text;
}

Outcome checkRequirements(const ParsedElements& elements, const ParsedElement& element)
{
    Outcome outcome;
    forEachPiece(element.entry->requiredAis, ';', [&](std::string_view group) {
        bool met = false;
        forEachPiece(group, ',', [&](std::string_view alternative) { met = met || isMet(elements, alternative); });
        if (!met && outcome.ok()) {
            outcome = elementFault(element, element.aiPosition, "requires " + describeGroup(group));
        }
    });
    return outcome;
}

Outcome checkExclusions(const ParsedElements& elements, const ParsedElement& element)
{
    Outcome outcome;
    forEachPiece(element.entry->excludedAis, ',', [&](std::string_view pattern) {
        for (const ParsedElement& other : elements) {
            if (outcome.ok() && other.ai != element.ai && matchesAiPattern(other.ai, pattern)) {
                outcome = elementFault(element, element.aiPosition, "not allowed with (" + other.ai + ")");
            }
        }
    });
    return outcome;
}

}  // namespace

Outcome validateElementString(ParsedElements& elements, const ValidationSettings& settings)
{
    for (ParsedElement& element : elements) {
        Outcome outcome = findElementAi(element);
        if (outcome.ok()) {
            outcome = checkElementValue(element, settings.contentChecks, settings.context);
        }
        if (!outcome.ok()) {
            return outcome;
        }
    }
    if (!settings.contentChecks) {
        return {};
    }
    Outcome outcome = checkRepeatedAis(elements);
    return outcome.ok() ? checkAssociations(elements) : outcome;
}

Outcome checkRepeatedAis(const ParsedElements& elements)
{
    for (std::size_t j = 1; j < elements.size(); ++j) {
        for (std::size_t i = 0; i < j; ++i) {
            if (elements[i].ai == elements[j].ai && elements[i].value != elements[j].value) {
                return elementFault(elements[j], elements[j].aiPosition,
                                    "repeated with a different value than at character " +
                                        std::to_string(elements[i].aiPosition));
            }
        }
    }
    return {};
}

Outcome checkAssociations(const ParsedElements& elements)
{
    for (const ParsedElement& element : elements) {
        Outcome outcome = checkRequirements(elements, element);
        if (outcome.ok()) {
            outcome = checkExclusions(elements, element);
        }
        if (!outcome.ok()) {
            return outcome;
        }
    }
    return {};
}

}  // namespace korvel::gs1
