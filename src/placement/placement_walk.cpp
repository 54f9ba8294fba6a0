#include "placement/placement_walk.hpp"

#include <array>

namespace korvel {
namespace {

struct Position {
    int row;
    int col;
};

class Walk {
public:
    explicit Walk(PlacementGrid& grid) : grid_(grid), nrow_(grid.rows()), ncol_(grid.columns()) {}

    void run()
    {
        int row = 4;
        int col = 0;
        do {
            placeCornerShapes(row, col);
            do {  // upward-right sweep
                if (row < nrow_ && col >= 0 && grid_.at(row, col) == 0) {
                    placeUtah(row, col);
                }
                row -= 2;
                col += 2;
            } while (row >= 0 && col < ncol_);
            row += 1;
            col += 3;
            do {  // downward-left sweep
                if (row >= 0 && col < ncol_ && grid_.at(row, col) == 0) {
                    placeUtah(row, col);
                }
                row += 2;
                col -= 2;
            } while (row < nrow_ && col >= 0);
            row += 3;
            col += 1;
        } while (row < nrow_ || col < ncol_);
        fillCorner();
    }

private:
    void placeCornerShapes(int row, int col)
    {
        if (row == nrow_ && col == 0) {
            placeCorner({{{nrow_ - 1, 0}, {nrow_ - 1, 1}, {nrow_ - 1, 2}, {0, ncol_ - 2}, {0, ncol_ - 1},
                          {1, ncol_ - 1}, {2, ncol_ - 1}, {3, ncol_ - 1}}});
        }
        if (row == nrow_ - 2 && col == 0 && ncol_ % 4 != 0) {
            placeCorner({{{nrow_ - 3, 0}, {nrow_ - 2, 0}, {nrow_ - 1, 0}, {0, ncol_ - 4}, {0, ncol_ - 3},
                          {0, ncol_ - 2}, {0, ncol_ - 1}, {1, ncol_ - 1}}});
        }
        if (row == nrow_ - 2 && col == 0 && ncol_ % 8 == 4) {
            placeCorner({{{nrow_ - 3, 0}, {nrow_ - 2, 0}, {nrow_ - 1, 0}, {0, ncol_ - 2}, {0, ncol_ - 1},
                          {1, ncol_ - 1}, {2, ncol_ - 1}, {3, ncol_ - 1}}});
        }
        if (row == nrow_ + 4 && col == 2 && ncol_ % 8 == 0) {
            placeCorner({{{nrow_ - 1, 0}, {nrow_ - 1, ncol_ - 1}, {0, ncol_ - 3}, {0, ncol_ - 2}, {0, ncol_ - 1},
                          {1, ncol_ - 3}, {1, ncol_ - 2}, {1, ncol_ - 1}}});
        }
    }

    // The eight bits of the next codeword at fixed positions, bit 1 first.
    void placeCorner(const std::array<Position, 8>& bits)
    {
        int bit = 1;
        for (const Position& at : bits) {
            placeModule(at.row, at.col, bit++);
        }
        ++cw_;
    }

    // The usual L-shaped codeword whose last bit is at (row, col).
    void placeUtah(int row, int col)
    {
        placeModule(row - 2, col - 2, 1);
        placeModule(row - 2, col - 1, 2);
        placeModule(row - 1, col - 2, 3);
        placeModule(row - 1, col - 1, 4);
        placeModule(row - 1, col, 5);
        placeModule(row, col - 2, 6);
        placeModule(row, col - 1, 7);
        placeModule(row, col, 8);
        ++cw_;
    }

    // Positions outside the grid wrap around to the opposite edge. The shift
    // that comes with a column wrap can carry the row past the last row (in
    // the 24-row mapping matrices 24 x 36 and 24 x 44), and that row wraps too.
    void placeModule(int row, int col, int bit)
    {
        if (row < 0) {
            row += nrow_;
            col += 4 - ((nrow_ + 4) % 8);
        }
        if (col < 0) {
            col += ncol_;
            row += 4 - ((ncol_ + 4) % 8);
        }
        if (row >= nrow_) {
            row -= nrow_;
        }
        grid_.set(row, col, 10 * cw_ + bit);
    }

    // A bottom-right corner the walk left free gets its fixed pattern.
    void fillCorner()
    {
        if (grid_.at(nrow_ - 1, ncol_ - 1) == 0) {
            grid_.set(nrow_ - 1, ncol_ - 1, 1);
            grid_.set(nrow_ - 2, ncol_ - 2, 1);
        }
    }

    PlacementGrid& grid_;
    int nrow_;
    int ncol_;
    std::int32_t cw_ = 1;
};

}  // namespace

PlacementGrid::PlacementGrid(int rows, int columns)
    : rows_(rows), columns_(columns), entries_(static_cast<std::size_t>(rows) * static_cast<std::size_t>(columns), 0)
{
}

void placeCodewords(PlacementGrid& grid) { Walk(grid).run(); }

}  // namespace korvel
