#pragma once
// The symbol layouts the minimal encodation is tried in, and the options of
// a symbol in one of them; shared by minimal_encodation_test.cpp and
// minimal_encodation_readback_test.cpp.

#include <string_view>

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

}  // namespace korvel::testing
