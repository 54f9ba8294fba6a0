#include "encodation/format_selection.hpp"

namespace korvel {

ResultCode selectFormat(std::int32_t preferredFormat, std::size_t length, SymbolFormat& target)
{
    return selectFormat(FormatRequest{preferredFormat}, length, target);
}

ResultCode selectFormat(const FormatRequest& request, std::size_t length, SymbolFormat& target)
{
    const auto candidates = formatCandidates(request);
    if (request.preferredFormat != 0) {
        if (candidates.empty()) {
            return ResultCode::InvalidPreferredFormat;
        }
        target = candidates.front();
        return target.dataCodewords < length ? ResultCode::DataDoesNotFitFormat : ResultCode::Ok;
    }
    for (const SymbolFormat& row : candidates) {
        if (row.dataCodewords >= length) {
            target = row;
            return ResultCode::Ok;
        }
    }
    return ResultCode::NoMatrixFormat;
}

}  // namespace korvel
