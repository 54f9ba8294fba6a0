#pragma once
// The GS1 Application Identifier table: one row per AI or range of AIs, with
// the value's components, the AIs it needs or excludes, its Digital Link role
// and its data title. The rows restate the GS1 Barcode Syntax Dictionary
// (copyright GS1 AISBL and contributors, Apache License 2.0).

#include <cstddef>
#include <span>
#include <string_view>

namespace korvel::gs1 {

struct AiEntry {
    std::string_view firstAi;         // the AI, or the first of a range (3100)
    std::string_view lastAi;          // the same AI, or the last of the range (3105)
    bool separatorAfter = false;      // false: predefined length, never followed by FNC1/GS
    bool digitalLinkAttribute = false;  // may be a Digital Link query parameter
    std::string_view components;      // "N14,csum,gcppos2", "N6 [X1],hyphen" (see component_spec.hpp)
    std::string_view requiredAis;     // groups split by ';', alternatives by ',', all-of by '+'
    std::string_view excludedAis;     // AIs or patterns ("310n") split by ','
    std::string_view digitalLinkKey;  // "", "dlpkey", or "dlpkey=22,10,21|235"
    std::string_view title;           // data title for human-readable text
};

// Every row, ordered by first AI (as text; AIs in one row have one length).
[[nodiscard]] std::span<const AiEntry> aiTable() noexcept;

// The row that holds `ai` (2 to 4 digits), or nullptr for an unknown AI.
[[nodiscard]] const AiEntry* findAi(std::string_view ai) noexcept;

// Whether `ai` matches an AI or pattern of the table: equal text, where each
// 'n' of the pattern stands for any digit.
[[nodiscard]] constexpr bool matchesAiPattern(std::string_view ai, std::string_view pattern) noexcept
{
    if (ai.size() != pattern.size()) {
        return false;
    }
    for (std::size_t i = 0; i < ai.size(); ++i) {
        if (pattern[i] != 'n' && pattern[i] != ai[i]) {
            return false;
        }
    }
    return true;
}

// The qualifier sequences of a primary key's "dlpkey=..." text ('|' between
// alternatives); empty for a plain "dlpkey".
[[nodiscard]] constexpr std::string_view qualifierSequences(const AiEntry& entry) noexcept
{
    constexpr std::string_view kPrefix = "dlpkey=";
    return entry.digitalLinkKey.starts_with(kPrefix) ? entry.digitalLinkKey.substr(kPrefix.size())
                                                     : std::string_view{};
}

[[nodiscard]] constexpr bool isPrimaryKey(const AiEntry& entry) noexcept { return !entry.digitalLinkKey.empty(); }

// Calls f(piece) for each piece of `list` between separators `sep`.
template <typename F>
constexpr void forEachPiece(std::string_view list, char sep, F&& f)
{
    while (!list.empty()) {
        const std::size_t end = list.find(sep);
        f(list.substr(0, end));
        if (end == std::string_view::npos) {
            break;
        }
        list.remove_prefix(end + 1);
    }
}

}  // namespace korvel::gs1
