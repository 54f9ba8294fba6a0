#pragma once
// GS1 data and HIBC supplier labels: parsing and validation as a step of its
// own, before encodation. The result holds the elements and gives the
// human-readable interpretation printed under a symbol. Nothing here throws
// or prints.

#include <cstddef>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "korvel/result_code.hpp"

namespace korvel {

// What separates a variable-length value from the next AI in the symbol:
// FNC1 (the default), or the GS character (29) that some national pharma
// schemes require.
enum class Gs1Separator { Fnc1, GroupSeparator };

struct Gs1Options {
    // false: check the syntax only (known AIs, value lengths, character
    // sets), not check digits, dates, code lists, repeated AIs or
    // associations.
    bool contentChecks = true;
    // The date two-digit years are read against (a YY more than 50 years
    // ahead of it is in the previous century); the current time when absent.
    std::optional<std::time_t> referenceTime;
};

struct Gs1Element {
    std::string ai;         // "01"
    std::string value;      // "09501101530003" (percent-decoded for a Digital Link)
    std::size_t position = 0;  // 1-based character of the AI in the text as given
};

struct Gs1Data {
    std::vector<Gs1Element> elements;
    bool digitalLink = false;
    std::string uri;  // the URI as given, when digitalLink
};

// Parses and validates GS1 data in one of three forms, told apart by the
// first character: bracket syntax "[01]09501101530003[17]261231", parenthesis
// syntax "(01)09501101530003(17)261231" (a parenthesis inside a value written
// "\(" or "\)"), or a GS1 Digital Link URI "https://host/01/09501101530003?17=261231".
// On success `out` holds the elements; on failure the outcome has code
// InvalidGs1Data, a detail such as
// "AI (01) at character 5: check digit 0, expected 3" and the same fault as
// data in `gs1Fault` ({"01", 5, 14}: the AI, the character and the length of
// the faulty part), and `out` is empty.
[[nodiscard]] Outcome parseGs1(std::string_view text, const Gs1Options& options, Gs1Data& out) noexcept;

// "(01) 09501101530003 (17) 261231 (10) ABC123"
[[nodiscard]] std::string gs1HumanReadable(const Gs1Data& data);

// A HIBC supplier label: the data (digits, capital letters and "-. $/+%")
// and its modulo-43 check character. The symbol holds "+", the data and the
// check character.
struct HibcData {
    std::string data;
    char check = 0;
};

// Checks the characters of `text` (the data without the leading '+' and
// without a check character) and computes the check character. On failure
// the outcome has code InvalidGs1Data, a detail such as
// "character 3: invalid character 'a' for HIBC" and `gs1Fault` ({"", 3, 1}),
// and `out` is empty.
[[nodiscard]] Outcome parseHibc(std::string_view text, HibcData& out) noexcept;

// "+", the data and the check character.
[[nodiscard]] std::string hibcHumanReadable(const HibcData& data);

}  // namespace korvel
