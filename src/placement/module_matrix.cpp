#include "korvel/module_matrix.hpp"

#include "placement/placement_walk.hpp"

namespace korvel {
namespace {

// Dark modules of one data region's frame: solid left and bottom edges,
// alternating top and right edges (top-left dark).
void drawRegionFrame(std::vector<std::uint8_t>& modules, int columns, int col0, int row0, int w, int h)
{
    auto setDark = [&](int row, int col) {
        modules[static_cast<std::size_t>(row) * static_cast<std::size_t>(columns) + static_cast<std::size_t>(col)] = 1;
    };
    for (int i = 0; i <= h + 1; ++i) {
        setDark(row0 + i, col0);
    }
    for (int i = 0; i <= w + 1; ++i) {
        setDark(row0 + h + 1, col0 + i);
    }
    for (int i = 0; i <= w + 1; i += 2) {
        setDark(row0, col0 + i);
    }
    for (int i = 1; i <= h + 1; i += 2) {
        setDark(row0 + i, col0 + w + 1);
    }
}

std::uint8_t moduleValue(std::int32_t entry, const CodewordString& codewords)
{
    if (entry == 0 || entry == 1) {
        return static_cast<std::uint8_t>(entry);
    }
    const auto index = static_cast<std::size_t>(entry / 10 - 1);
    return codewordBit(codewords[index], entry % 10);
}

}  // namespace

void ModuleMatrix::buildMatrix(const SymbolFormat& format, const CodewordString& codewords)
{
    rows_ = format.symbolRows;
    columns_ = format.symbolColumns;
    modules_.assign(static_cast<std::size_t>(rows_) * columns_, 0);

    const int nrow = format.mappingRows;
    const int ncol = format.mappingColumns;
    const int rh = format.regionRows;
    const int rw = format.regionColumns;
    PlacementGrid grid(nrow, ncol);
    placeCodewords(grid);

    for (int i = 0; i < nrow; ++i) {
        const int symbolRow = (i / rh) * (rh + 2) + (i % rh) + 1;
        for (int j = 0; j < ncol; ++j) {
            const int symbolColumn = (j / rw) * (rw + 2) + (j % rw) + 1;
            modules_[static_cast<std::size_t>(symbolRow) * columns_ + static_cast<std::size_t>(symbolColumn)] =
                moduleValue(grid.at(i, j), codewords);
        }
    }
    for (int r = 0; r < nrow / rh; ++r) {
        for (int q = 0; q < ncol / rw; ++q) {
            drawRegionFrame(modules_, columns_, q * (rw + 2), r * (rh + 2), rw, rh);
        }
    }
}

}  // namespace korvel
