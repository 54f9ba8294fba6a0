#include "encodation/codeword_randomizing.hpp"
#include "encodation/scheme_encoders.hpp"

namespace korvel {
namespace {

void appendRandomized(std::uint8_t value, CodewordString& out)
{
    out.push_back(randomize255(value, nextPosition(out.size())));
}

}  // namespace

bool encodeBase256(const DataItemList& items, CodewordString& out, bool toSymbolEnd)
{
    if (items.empty()) {
        return true;
    }
    const std::size_t n = items.size();
    if (n > kMaxBase256Run) {
        return false;
    }
    out.push_back(kLatchBase256);
    if (toSymbolEnd) {
        appendRandomized(0, out);
    } else if (n <= 249) {
        appendRandomized(static_cast<std::uint8_t>(n), out);
    } else {
        appendRandomized(static_cast<std::uint8_t>(n / 250 + 249), out);
        appendRandomized(static_cast<std::uint8_t>(n % 250), out);
    }
    for (const DataItem& item : items) {
        appendRandomized(item.value, out);
    }
    return true;
}

}  // namespace korvel
