#pragma once
// The symbol layouts the minimal encodation is tried in, the options of a
// symbol in one of them, and every short string of an alphabet; shared by
// the minimal encodation's tests.

#include <string>
#include <string_view>
#include <vector>

#include "korvel/symbol_options.hpp"

namespace korvel::testing {

struct Layout {
    const char* name;
    SymbolShape shape;
    bool dmre;
    bool structuredAppend;  // four codewords ahead of the data move every ending
};

inline constexpr Layout kLayouts[] = {
    {"square", SymbolShape::Square, false, false},
    {"rectangle with DMRE", SymbolShape::Rectangle, true, false},
    {"square after a structured append header", SymbolShape::Square, false, true},
    {"rectangle with DMRE after a structured append header", SymbolShape::Rectangle, true, true},
};

inline SymbolOptions optionsFor(std::string_view data, EncodingMode mode, const Layout& layout, bool minimal)
{
    SymbolOptions options;
    options.data = data;
    options.mode = mode;
    options.shape = layout.shape;
    options.dmre = layout.dmre;
    options.structuredAppend.enabled = layout.structuredAppend;
    options.minimal = minimal;
    return options;
}

// Calls `check` with every string of up to maxLength symbols of the alphabet,
// the empty one first.
template <typename Check>
void forEveryString(const std::vector<std::string>& alphabet, std::size_t maxLength, const Check& check)
{
    std::vector<std::size_t> digits;
    for (std::size_t length = 0; length <= maxLength; ++length) {
        digits.assign(length, 0);
        for (bool more = true; more;) {
            std::string data;
            for (const std::size_t d : digits) {
                data += alphabet[d];
            }
            check(data);
            std::size_t p = 0;
            while (p < length && ++digits[p] == alphabet.size()) {
                digits[p++] = 0;
            }
            more = p < length;
        }
    }
}

}  // namespace korvel::testing
