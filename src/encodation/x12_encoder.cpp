#include <algorithm>

#include "encodation/scheme_encoders.hpp"

namespace korvel {

bool allX12(const DataItemList& items)
{
    return std::all_of(items.begin(), items.end(),
                       [](const DataItem& item) { return item.isCodeword || isX12Char(item.value); });
}

bool encodeX12(const DataItemList& items, bool finalSegment, CodewordString& out)
{
    if (items.empty()) {
        return true;
    }
    if (!allX12(items)) {
        return false;
    }
    out.push_back(kLatchX12);

    DataItemList pending;
    for (const DataItem& item : items) {
        if (item.isCodeword) {
            out.push_back(item.value);
            continue;
        }
        pending.push_back(item);
        if (pending.size() == 3) {
            packTriple(x12Value(pending[0].value), x12Value(pending[1].value), x12Value(pending[2].value), out);
            pending.clear();
        }
    }

    if (pending.empty()) {
        if (!finalSegment) {
            out.push_back(kUnlatch);
        }
    } else if (pending.size() == 1 && finalSegment) {
        encodeAscii(pending, out);
    } else {
        out.push_back(kUnlatch);
        encodeAscii(pending, out);
    }
    return true;
}

}  // namespace korvel
