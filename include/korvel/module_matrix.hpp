#pragma once
// The finished symbol without its quiet zone: rows x columns modules, light (0)
// or dark (1), finder and timing patterns included, and the rotation in which
// it is viewed.

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

    // Rotation in degrees (0, 90, 180 or 270) in which moduleAt presents the
    // symbol; any other value shows nothing dark, sized as for 90.
    [[nodiscard]] std::int32_t viewOrientation() const noexcept { return viewOrientation_; }
    void setViewOrientation(std::int32_t degrees) noexcept { viewOrientation_ = degrees; }

    // View size in modules: rows x columns for 0 and 180, swapped otherwise.
    [[nodiscard]] int viewRows() const noexcept;
    [[nodiscard]] int viewColumns() const noexcept;

    // The module at view row i, view column j in the view orientation:
    // 90 turns the symbol a quarter turn counter-clockwise, 270 clockwise.
    [[nodiscard]] std::uint8_t moduleAt(int i, int j) const noexcept;

    // All modules of the symbol as built, row-major.
    [[nodiscard]] const std::vector<std::uint8_t>& modules() const noexcept { return modules_; }

private:
    std::vector<std::uint8_t> modules_;
    std::uint16_t rows_ = 0;
    std::uint16_t columns_ = 0;
    std::int32_t viewOrientation_ = 0;
};

}  // namespace korvel
