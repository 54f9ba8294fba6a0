#pragma once
// A module matrix seen in a drawing orientation, without changing it.

#include <cstdint>

#include "korvel/module_matrix.hpp"
#include "korvel/render_options.hpp"

namespace korvel {

class ModuleView {
public:
    ModuleView(const ModuleMatrix& matrix, Orientation orientation) noexcept
        : matrix_(matrix), orientation_(orientation)
    {
    }

    // Size in modules: rows x columns for 0 and 180 degrees, swapped otherwise.
    [[nodiscard]] int rows() const noexcept { return upright() ? matrix_.rows() : matrix_.columns(); }
    [[nodiscard]] int columns() const noexcept { return upright() ? matrix_.columns() : matrix_.rows(); }

    // The module at view row i, view column j: 90 turns the symbol a quarter
    // turn counter-clockwise, 270 clockwise.
    [[nodiscard]] bool dark(int i, int j) const noexcept
    {
        const int nr = matrix_.rows();
        const int nc = matrix_.columns();
        switch (orientation_) {
        case Orientation::Degrees0: return matrix_.module(i, j) == 1;
        case Orientation::Degrees90: return matrix_.module(j, nc - 1 - i) == 1;
        case Orientation::Degrees180: return matrix_.module(nr - 1 - i, nc - 1 - j) == 1;
        case Orientation::Degrees270: return matrix_.module(nr - 1 - j, i) == 1;
        }
        return false;
    }

private:
    [[nodiscard]] bool upright() const noexcept
    {
        return orientation_ == Orientation::Degrees0 || orientation_ == Orientation::Degrees180;
    }

    const ModuleMatrix& matrix_;
    Orientation orientation_;
};

}  // namespace korvel
