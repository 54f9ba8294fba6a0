#pragma once
// Bytes as text for messages and reports.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvel {

// The value of a hexadecimal digit (either case), or -1.
[[nodiscard]] constexpr int hexDigit(char c) noexcept
{
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// Up to about 40 bytes of `bytes` around index `at`, printable ASCII as it
// is and everything else (and the backslash) as \xNN, with "..." where bytes
// are left out.
[[nodiscard]] std::string printableExcerpt(std::string_view bytes, std::size_t at);

// The last `limit` bytes of `bytes`, escaped as printableExcerpt does, with
// "..." in front when bytes are left out.
[[nodiscard]] std::string printableTail(std::string_view bytes, std::size_t limit);

// Two lower-case hexadecimal digits per byte.
[[nodiscard]] std::string hexText(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::string hexText(std::string_view bytes);

}  // namespace korvel
