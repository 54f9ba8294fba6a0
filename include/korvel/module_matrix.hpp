#pragma once
// The finished symbol without its quiet zone: rows x columns modules, light (0)
// or dark (1), finder and timing patterns included. Drawing it turned is the
// writers' business (RenderOptions::orientation).

#include <cstdint>
#include <vector>

#include "korvel/codeword_string.hpp"
#include "korvel/symbol_format.hpp"

namespace korvel {

class ModuleMatrix {
public:
    ModuleMatrix() = default;

    // Places data and error codewords (dataCodewords + errorCodewords of the
    // format, in that order) and draws the finder and timing patterns.
    // Replaces any earlier symbol.
    void buildMatrix(const SymbolFormat& format, const CodewordString& codewords);

    // Size of the symbol as built, in modules (0 while empty).
    [[nodiscard]] std::uint16_t rows() const noexcept { return rows_; }
    [[nodiscard]] std::uint16_t columns() const noexcept { return columns_; }

    // The module at (row, column) of the symbol as built; row 0 is the top.
    [[nodiscard]] std::uint8_t module(int row, int column) const noexcept
    {
        return modules_[static_cast<std::size_t>(row) * columns_ + static_cast<std::size_t>(column)];
    }

    // All modules of the symbol as built, row-major.
    [[nodiscard]] const std::vector<std::uint8_t>& modules() const noexcept { return modules_; }

private:
    std::vector<std::uint8_t> modules_;
    std::uint16_t rows_ = 0;
    std::uint16_t columns_ = 0;
};

}  // namespace korvel
