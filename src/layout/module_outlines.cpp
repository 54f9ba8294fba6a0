#include "layout/module_outlines.hpp"

#include <algorithm>
#include <array>
#include <cstdint>

namespace korvel {
namespace {

// Directions along the grid, y pointing down; turning right adds 1.
constexpr std::array<int, 4> kStepX{1, 0, -1, 0};  // east, south, west, north
constexpr std::array<int, 4> kStepY{0, 1, 0, -1};

// The boundary edges between dark and light, one unit long each, by the
// grid point they start from: a bit per direction.
class BoundaryEdges {
public:
    explicit BoundaryEdges(const ModuleView& view)
        : width_(view.columns() + 1), edges_(static_cast<std::size_t>(width_ * (view.rows() + 1)), 0)
    {
        const auto dark = [&view](int i, int j) {
            return i >= 0 && j >= 0 && i < view.rows() && j < view.columns() && view.dark(i, j);
        };
        for (int i = 0; i < view.rows(); ++i) {
            for (int j = 0; j < view.columns(); ++j) {
                if (!dark(i, j)) {
                    continue;
                }
                // Each side that borders light, run with the module on its right.
                if (!dark(i - 1, j)) add(j, i, 0);
                if (!dark(i, j + 1)) add(j + 1, i, 1);
                if (!dark(i + 1, j)) add(j + 1, i + 1, 2);
                if (!dark(i, j - 1)) add(j, i + 1, 3);
            }
        }
    }

    [[nodiscard]] bool has(int x, int y, int direction) const
    {
        return (edges_[index(x, y)] >> direction & 1U) != 0;
    }
    void remove(int x, int y, int direction) { edges_[index(x, y)] &= static_cast<std::uint8_t>(~(1U << direction)); }
    [[nodiscard]] int width() const noexcept { return width_; }
    [[nodiscard]] int height() const noexcept { return static_cast<int>(edges_.size()) / width_; }

private:
    void add(int x, int y, int direction) { edges_[index(x, y)] |= static_cast<std::uint8_t>(1U << direction); }
    [[nodiscard]] std::size_t index(int x, int y) const { return static_cast<std::size_t>(y * width_ + x); }

    int width_;
    std::vector<std::uint8_t> edges_;
};

// Follows edges from (x, y) in `direction` until the outline closes, taking
// each edge once. Where two areas touch at a corner, the right turn keeps to
// the area being followed. Corners are moved `inset` towards the dark.
Outline traceOutline(BoundaryEdges& edges, int x, int y, int direction, double inset)
{
    const int startX = x;
    const int startY = y;
    const int startDirection = direction;
    Outline outline;
    do {
        edges.remove(x, y, direction);
        x += kStepX[static_cast<std::size_t>(direction)];
        y += kStepY[static_cast<std::size_t>(direction)];
        int next = direction;
        for (const int turn : {1, 0, 3}) {
            const int candidate = (direction + turn) % 4;
            const bool closing = x == startX && y == startY && candidate == startDirection;
            if (closing || edges.has(x, y, candidate)) {
                next = candidate;
                break;
            }
        }
        if (next != direction) {
            // The corner where the two edges, each moved to its right, meet.
            const auto dx = static_cast<double>(-kStepY[static_cast<std::size_t>(direction)] -
                                                kStepY[static_cast<std::size_t>(next)]);
            const auto dy = static_cast<double>(kStepX[static_cast<std::size_t>(direction)] +
                                                kStepX[static_cast<std::size_t>(next)]);
            outline.push_back({x + inset * dx, y + inset * dy});
        }
        direction = next;
    } while (x != startX || y != startY || direction != startDirection);
    // Start with the corner the trace began at.
    std::rotate(outline.rbegin(), outline.rbegin() + 1, outline.rend());
    return outline;
}

}  // namespace

std::vector<Outline> darkOutlines(const ModuleView& view, double inset)
{
    BoundaryEdges edges(view);
    std::vector<Outline> outlines;
    for (int y = 0; y < edges.height(); ++y) {
        for (int x = 0; x < edges.width(); ++x) {
            for (int direction = 0; direction < 4; ++direction) {
                if (edges.has(x, y, direction)) {
                    outlines.push_back(traceOutline(edges, x, y, direction, inset));
                }
            }
        }
    }
    return outlines;
}

}  // namespace korvel
