#include "common/byte_text.hpp"

#include <algorithm>

namespace korvel {
namespace {

constexpr std::size_t kExcerptBefore = 12;
constexpr std::size_t kExcerptLength = 40;
constexpr char kHexDigits[] = "0123456789abcdef";
constexpr char kUpperHexDigits[] = "0123456789ABCDEF";

// A byte as it is when it is printable ASCII (not the backslash), as \xNN otherwise.
void appendPrintable(std::string& text, unsigned char b)
{
    if (b >= 32 && b < 127 && b != '\\') {
        text += static_cast<char>(b);
    } else {
        text += "\\x";
        text += kUpperHexDigits[b >> 4];
        text += kUpperHexDigits[b & 15];
    }
}

}  // namespace

std::string printableExcerpt(std::string_view bytes, std::size_t at)
{
    const std::size_t first = at > kExcerptBefore ? at - kExcerptBefore : 0;
    const std::size_t last = std::min(bytes.size(), first + kExcerptLength);
    std::string text = first > 0 ? "..." : "";
    for (std::size_t i = first; i < last; ++i) {
        appendPrintable(text, static_cast<unsigned char>(bytes[i]));
    }
    if (last < bytes.size()) {
        text += "...";
    }
    return text;
}

std::string printableTail(std::string_view bytes, std::size_t limit)
{
    const std::size_t first = bytes.size() > limit ? bytes.size() - limit : 0;
    std::string text = first > 0 ? "..." : "";
    for (const char b : bytes.substr(first)) {
        appendPrintable(text, static_cast<unsigned char>(b));
    }
    return text;
}

std::string hexText(std::span<const std::uint8_t> bytes)
{
    std::string text;
    text.reserve(2 * bytes.size());
    for (const std::uint8_t b : bytes) {
        text += kHexDigits[b >> 4];
        text += kHexDigits[b & 15];
    }
    return text;
}

std::string hexText(std::string_view bytes)
{
    return hexText(std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

}  // namespace korvel
