#pragma once
// One AI and its value as read from the data text, with where each of its
// characters stood there, so that every fault can name its place.

#include <cstddef>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "gs1/ai_table.hpp"
#include "korvel/result_code.hpp"

namespace korvel::gs1 {

// A faulty part of the data text as given: its first character (1-based)
// and its length in characters (0 when something is missing there).
struct TextSpan {
    std::size_t position = 0;
    std::size_t length = 0;
};

struct ParsedElement {
    std::string ai;
    std::string value;
    std::size_t aiPosition = 0;               // 1-based character of the AI's first digit
    std::vector<std::size_t> valuePositions;  // 1-based character of each value character
    std::size_t endPosition = 0;              // 1-based character just after the value
    const AiEntry* entry = nullptr;           // set once the AI is found in the table

    // Where the value character at `index` stood (the end for an index past it).
    [[nodiscard]] std::size_t positionOf(std::size_t index) const noexcept
    {
        return index < valuePositions.size() ? valuePositions[index] : endPosition;
    }

    // The text that holds value characters [first, first + count): longer than
    // `count` where the text escapes or percent-encodes them.
    [[nodiscard]] TextSpan valueSpan(std::size_t first, std::size_t count) const noexcept
    {
        const std::size_t start = positionOf(first);
        return {start, positionOf(first + count) - start};
    }

    [[nodiscard]] TextSpan wholeValue() const noexcept { return valueSpan(0, value.size()); }

    // The AI and its value as written, from the AI's first digit.
    [[nodiscard]] TextSpan aiAndValue() const noexcept { return {aiPosition, endPosition - aiPosition}; }

    void append(char c, std::size_t position)
    {
        value += c;
        valuePositions.push_back(position);
    }
};

using ParsedElements = std::vector<ParsedElement>;

// A fault as data and as the detail line made from it:
// "AI (01) at character 5: check digit 0, expected 3", or without an AI
// "character 12: no ']' after the AI".
[[nodiscard]] inline Outcome gs1Fault(std::string ai, TextSpan span, std::string_view what)
{
    std::string detail = ai.empty() ? std::string() : "AI (" + ai + ") at ";
    detail += "character " + std::to_string(span.position) + ": ";
    detail += what;
    Outcome outcome{ResultCode::InvalidGs1Data, std::move(detail)};
    outcome.gs1Fault = Gs1Fault{std::move(ai), span.position, span.length};
    return outcome;
}

[[nodiscard]] inline Outcome elementFault(const ParsedElement& element, TextSpan span, std::string_view what)
{
    return gs1Fault(element.ai, span, what);
}

[[nodiscard]] inline Outcome textFault(TextSpan span, std::string_view what) { return gs1Fault({}, span, what); }

// Empty data: nothing to point at but where it should start.
[[nodiscard]] inline Outcome noDataFault(std::string_view what)
{
    Outcome outcome{ResultCode::InvalidGs1Data, std::string(what)};
    outcome.gs1Fault = Gs1Fault{{}, 1, 0};
    return outcome;
}

}  // namespace korvel::gs1
