// Choosing the format for an encoded length by shape, with and without the
// rectangular extension formats.

#include <gtest/gtest.h>

#include "encodation/format_selection.hpp"

namespace korvel {
namespace {

struct SelectionCase {
    FormatRequest request;
    std::size_t length;
    ResultCode result;
    std::int32_t id;  // the format chosen
};

constexpr auto kRectangle = SymbolShape::Rectangle;
constexpr auto kSquare = SymbolShape::Square;

const SelectionCase kCases[] = {
    {{0, kSquare, true}, 5, ResultCode::Ok, 2},  // DMRE does not change square selection
    {{0, kRectangle, false}, 0, ResultCode::Ok, 25},
    {{0, kRectangle, false}, 6, ResultCode::Ok, 26},
    {{0, kRectangle, false}, 49, ResultCode::Ok, 30},
    {{0, kRectangle, false}, 50, ResultCode::NoMatrixFormat, 0},
    {{0, kRectangle, true}, 17, ResultCode::Ok, 31},
    {{0, kRectangle, true}, 32, ResultCode::Ok, 29},  // 8 x 80 holds as much with a larger area
    {{0, kRectangle, true}, 33, ResultCode::Ok, 34},
    {{0, kRectangle, true}, 49, ResultCode::Ok, 30},  // before 8 x 120
    {{0, kRectangle, true}, 118, ResultCode::Ok, 48},
    {{0, kRectangle, true}, 119, ResultCode::NoMatrixFormat, 0},
    {{40, kSquare, true}, 44, ResultCode::Ok, 40},  // a preferred format wins over the shape
    {{40, kSquare, true}, 45, ResultCode::DataDoesNotFitFormat, 40},
    {{40, kRectangle, false}, 1, ResultCode::InvalidPreferredFormat, 0},
};

TEST(FormatSelection, ByShapeAndDmre)
{
    for (const SelectionCase& c : kCases) {
        SymbolFormat target;
        EXPECT_EQ(selectFormat(c.request, c.length, target), c.result) << "length " << c.length;
        EXPECT_EQ(target.id, c.id == 0 ? -1 : c.id) << "length " << c.length;
    }
}

}  // namespace
}  // namespace korvel
