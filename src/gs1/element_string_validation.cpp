#include "gs1/element_string_validation.hpp"

#include <algorithm>
#include <functional>
#include <string>

#include "gs1/element_value_check.hpp"

namespace korvel::gs1 {
namespace {

// (8030), a digital signature, needs a serialised identification key (GS1
// General Specifications, mandatory associations of AI (8030)). The keys in
// its requirement whose serial component is optional in the AI table,
// (253), (255) and (8003), meet it only with that component.
constexpr std::string_view kNeedsSerialisedKey = "8030";

bool comesFirst(const ParsedElement* a, const ParsedElement* b) { return std::less<>{}(a, b); }

// What one alternative of a requirement group finds: met, or an AI present
// whose serial component the requirement needed but that lacks it.
struct AlternativeResult {
    bool met = true;
    const ParsedElement* unserialised = nullptr;
};

// An alternative of a requirement group: AIs joined by '+', all present.
AlternativeResult checkAlternative(const AiIndex& index, std::string_view alternative, bool serialised)
{
    AlternativeResult result;
    forEachPiece(alternative, '+', [&](std::string_view ai) {
        const ParsedElement* present = index.firstMatching(ai);
        if (present != nullptr && serialised && stopsBeforeOptionalPart(*present)) {
            result.unserialised = present;
            present = nullptr;
        }
        result.met = result.met && present != nullptr;
    });
    return result;
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

Outcome checkRequirements(const AiIndex& index, const ParsedElement& element)
{
    const bool serialised = element.ai == kNeedsSerialisedKey;
    Outcome outcome;
    forEachPiece(element.entry->requiredAis, ';', [&](std::string_view group) {
        AlternativeResult found{false, nullptr};
        forEachPiece(group, ',', [&](std::string_view alternative) {
            const AlternativeResult r = checkAlternative(index, alternative, serialised);
            found.met = found.met || r.met;
            found.unserialised = found.unserialised != nullptr ? found.unserialised : r.unserialised;
        });
        if (found.met || !outcome.ok()) {
            return;
        }
        const TextSpan missing{element.aiPosition, 0};
        if (found.unserialised != nullptr) {
            const ParsedElement& key = *found.unserialised;
            outcome = elementFault(element, missing,
                                   "requires a serialised key; (" + key.ai + ") at character " +
                                       std::to_string(key.aiPosition) + " has no serial component");
        } else {
            outcome = elementFault(element, missing, "requires " + describeGroup(group));
        }
    });
    return outcome;
}

Outcome checkExclusions(const AiIndex& index, const ParsedElement& element)
{
    Outcome outcome;
    forEachPiece(element.entry->excludedAis, ',', [&](std::string_view pattern) {
        const ParsedElement* other = outcome.ok() ? index.firstMatching(pattern, element.ai) : nullptr;
        if (other != nullptr) {
            outcome = elementFault(element, element.aiAndValue(), "not allowed with (" + other->ai + ")");
        }
    });
    return outcome;
}

}  // namespace

AiIndex::AiIndex(const ParsedElements& elements)
{
    byAi_.reserve(elements.size());
    for (const ParsedElement& e : elements) {
        byAi_.push_back(&e);
    }
    // Stable: of the elements of one AI, the first stays first and is kept.
    std::stable_sort(byAi_.begin(), byAi_.end(),
                     [](const ParsedElement* a, const ParsedElement* b) { return a->ai < b->ai; });
    byAi_.erase(std::unique(byAi_.begin(), byAi_.end(),
                            [](const ParsedElement* a, const ParsedElement* b) { return a->ai == b->ai; }),
                byAi_.end());
    firsts_ = byAi_;
    std::sort(firsts_.begin(), firsts_.end(), comesFirst);
}

const ParsedElement* AiIndex::first(std::string_view ai) const
{
    const auto at = std::lower_bound(byAi_.begin(), byAi_.end(), ai,
                                     [](const ParsedElement* e, std::string_view key) { return e->ai < key; });
    ++visits_;
    return at != byAi_.end() && (*at)->ai == ai ? *at : nullptr;
}

const ParsedElement* AiIndex::firstMatching(std::string_view pattern, std::string_view except) const
{
    // The AIs that match share the pattern's text up to its first 'n'.
    const std::string_view prefix = pattern.substr(0, pattern.find('n'));
    if (prefix.size() == pattern.size()) {
        return pattern == except ? nullptr : first(pattern);
    }
    const ParsedElement* found = nullptr;
    auto at = std::lower_bound(byAi_.begin(), byAi_.end(), prefix,
                               [](const ParsedElement* e, std::string_view key) { return e->ai < key; });
    for (; at != byAi_.end() && std::string_view((*at)->ai).starts_with(prefix); ++at) {
        ++visits_;
        const bool matches = matchesAiPattern((*at)->ai, pattern) && (*at)->ai != except;
        if (matches && (found == nullptr || comesFirst(*at, found))) {
            found = *at;
        }
    }
    return found;
}

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
    const AiIndex index(elements);
    Outcome outcome = checkRepeatedAis(elements, index);
    return outcome.ok() ? checkAssociations(index) : outcome;
}

Outcome checkRepeatedAis(const ParsedElements& elements, const AiIndex& index)
{
    // Every earlier element of an AI has the first one's value, or the check
    // would have ended there: comparing with the first is enough.
    for (const ParsedElement& element : elements) {
        const ParsedElement* first = index.first(element.ai);
        if (first != &element && first->value != element.value) {
            return elementFault(element, element.aiAndValue(),
                                "repeated with a different value than at character " +
                                    std::to_string(first->aiPosition));
        }
    }
    return {};
}

Outcome checkAssociations(const AiIndex& index)
{
    // An AI's associations hold or fail alike for each of its elements: the
    // first one stands for them all.
    for (const ParsedElement* element : index.firsts()) {
        Outcome outcome = checkRequirements(index, *element);
        if (outcome.ok()) {
            outcome = checkExclusions(index, *element);
        }
        if (!outcome.ok()) {
            return outcome;
        }
    }
    return {};
}

}  // namespace korvel::gs1
