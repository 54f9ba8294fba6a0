#pragma once
// One AI and its value as read from the data text, with where each of its
// characters stood there, so that every fault can name its place.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "gs1/ai_table.hpp"
#include "korvel/result_code.hpp"

namespace korvel::gs1 {

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

    void append(char c, std::size_t position)
    {
        value += c;
        valuePositions.push_back(position);
    }
};

using ParsedElements = std::vector<ParsedElement>;

// "AI (01) at character 5: check digit 0, expected 3"
[[nodiscard]] inline Outcome elementFault(const ParsedElement& element, std::size_t position, std::string_view what)
{
    return {ResultCode::InvalidGs1Data,
            "AI (" + element.ai + ") at character " + std::to_string(position) + ": " + std::string(what)};
}

// "character 12: no ']' after the AI"
[[nodiscard]] inline Outcome textFault(std::size_t position, std::string_view what)
{
    return {ResultCode::InvalidGs1Data, "character " + std::to_string(position) + ": " + std::string(what)};
}

}  // namespace korvel::gs1
