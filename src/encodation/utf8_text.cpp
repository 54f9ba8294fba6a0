#include "encodation/utf8_text.hpp"

#include <algorithm>
#include <optional>

#include "encodation/data_preparation.hpp"

namespace korvel {
namespace {

struct Decoded {
    std::uint32_t codePoint = 0;
    std::size_t length = 0;  // items the character takes
};

bool isContinuation(const DataItem& item) { return !item.isCodeword && (item.value & 0xC0) == 0x80; }

// The character whose first byte is items[i], or nothing when the bytes from
// there are no well-formed UTF-8.
std::optional<Decoded> decodeAt(const DataItemList& items, std::size_t i)
{
    const std::uint8_t lead = items[i].value;
    if (lead < 0x80) {
        return Decoded{lead, 1};
    }
    std::size_t length = 0;
    std::uint32_t codePoint = 0;
    std::uint32_t smallest = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, codePoint = lead & 0x1Fu, smallest = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, codePoint = lead & 0x0Fu, smallest = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, codePoint = lead & 0x07u, smallest = 0x10000;
    } else {
        return std::nullopt;
    }
    if (i + length > items.size()) {
        return std::nullopt;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (!isContinuation(items[i + k])) {
            return std::nullopt;
        }
        codePoint = (codePoint << 6) | (items[i + k].value & 0x3Fu);
    }
    const bool surrogate = codePoint >= 0xD800 && codePoint <= 0xDFFF;
    if (codePoint < smallest || surrogate || codePoint > 0x10FFFF) {
        return std::nullopt;
    }
    return Decoded{codePoint, length};
}

bool carriesEci(const DataItemList& items)
{
    return std::any_of(items.begin(), items.end(),
                       [](const DataItem& item) { return item.isCodeword && item.value == kEciDesignator; });
}

}  // namespace

std::variant<DataItemList, InvalidUtf8> utf8DataItems(const DataItemList& items)
{
    if (carriesEci(items)) {
        return items;  // the data says itself how its bytes are meant; none is read as UTF-8
    }
    DataItemList latin1;
    latin1.reserve(items.size());
    bool fitsLatin1 = true;
    std::size_t dataBytes = 0;  // data characters before item i
    for (std::size_t i = 0; i < items.size();) {
        if (items[i].isCodeword) {
            latin1.push_back(items[i++]);
            continue;
        }
        const auto decoded = decodeAt(items, i);
        if (!decoded) {
            return InvalidUtf8{dataBytes + 1};
        }
        fitsLatin1 = fitsLatin1 && decoded->codePoint <= 0xFF;
        latin1.push_back({static_cast<std::uint8_t>(decoded->codePoint & 0xFF), false});
        i += decoded->length;
        dataBytes += decoded->length;
    }
    if (fitsLatin1) {
        return latin1;
    }
    CodewordString designator;
    encodeEci(kEciUtf8, designator);
    const auto leading = std::find_if(items.begin(), items.end(), [](const DataItem& item) { return !item.isCodeword; });
    DataItemList marked(items.begin(), leading);
    for (const Codeword cw : designator) {
        marked.push_back({cw, true});
    }
    marked.insert(marked.end(), leading, items.end());
    return marked;
}

}  // namespace korvel
