#include <algorithm>
#include <array>

#include "encodation/scheme_encoders.hpp"

namespace korvel {

bool allEdifact(const DataItemList& items)
{
    return std::all_of(items.begin(), items.end(),
                       [](const DataItem& item) { return item.isCodeword || isEdifactChar(item.value); });
}

void packEdifact(const std::uint8_t* values, std::size_t count, CodewordString& out)
{
    std::array<int, 4> b{};
    for (std::size_t i = 0; i < count && i < 4; ++i) {
        b[i] = values[i] & 0x3F;
    }
    out.push_back(static_cast<Codeword>((b[0] * 4 + (b[1] / 16) % 4) % 256));
    if (count >= 2) {
        out.push_back(static_cast<Codeword>((b[1] % 16) * 16 + (b[2] / 4) % 16));
    }
    if (count >= 3) {
        out.push_back(static_cast<Codeword>((b[2] % 4) * 64 + b[3] % 64));
    }
}

bool encodeEdifact(const DataItemList& items, bool finalSegment, CodewordString& out)
{
    if (items.empty()) {
        return true;
    }
    if (!allEdifact(items)) {
        return false;
    }
    out.push_back(kLatchEdifact);

    std::array<std::uint8_t, 4> pending{};
    std::size_t k = 0;
    for (const DataItem& item : items) {
        if (item.isCodeword) {
            out.push_back(item.value);
            continue;
        }
        pending[k++] = item.value;
        if (k == 4) {
            packEdifact(pending.data(), 4, out);
            k = 0;
        }
    }

    if (finalSegment && k == 0) {
        return true;
    }
    if (finalSegment && k <= 2) {
        DataItemList leftovers;
        for (std::size_t i = 0; i < k; ++i) {
            leftovers.push_back({pending[i], false});
        }
        encodeAscii(leftovers, out);
        return true;
    }
    pending[k] = kEdifactUnlatchValue;
    packEdifact(pending.data(), k + 1, out);
    return true;
}

}  // namespace korvel
