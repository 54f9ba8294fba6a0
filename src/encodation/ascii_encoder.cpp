#include "encodation/scheme_encoders.hpp"

namespace korvel {

void encodeAscii(const DataItemList& items, CodewordString& out)
{
    std::size_t i = 0;
    while (i < items.size()) {
        const DataItem& item = items[i];
        if (item.isCodeword) {
            out.push_back(item.value);
            ++i;
            continue;
        }
        const bool pairFollows = i + 1 < items.size() && !items[i + 1].isCodeword;
        if (pairFollows && isDigit(item.value) && isDigit(items[i + 1].value)) {
            const int pair = 10 * (item.value - '0') + (items[i + 1].value - '0');
            out.push_back(static_cast<Codeword>(130 + pair));
            i += 2;
            continue;
        }
        if (item.value <= 127) {
            out.push_back(static_cast<Codeword>(item.value + 1));
        } else {
            out.push_back(kUpperShift);
            out.push_back(static_cast<Codeword>(item.value - 127));
        }
        ++i;
    }
}

}  // namespace korvel
