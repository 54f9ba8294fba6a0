#include "encodation/format_selection.hpp"

namespace korvel {

ResultCode selectFormat(std::int32_t preferredFormat, std::size_t length, SymbolFormat& target)
{
    if (preferredFormat != 0) {
        const auto row = findFormat(preferredFormat);
        if (!row) {
            return ResultCode::InvalidPreferredFormat;
        }
        target = *row;
        return row->dataCodewords < length ? ResultCode::DataDoesNotFitFormat : ResultCode::Ok;
    }
    for (const SymbolFormat& row : formatTable) {
        if (row.dataCodewords >= length) {
            target = row;
            return ResultCode::Ok;
        }
    }
    return ResultCode::NoMatrixFormat;
}

}  // namespace korvel
