#pragma once
// Bytes as text for messages and reports.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace korvel {

// Up to about 40 bytes of `bytes` around index `at`, printable ASCII as it
// is and everything else (and the backslash) as \xNN, with "..." where bytes
// are left out.
[[nodiscard]] std::string printableExcerpt(std::string_view bytes, std::size_t at);

// Two lower-case hexadecimal digits per byte.
[[nodiscard]] std::string hexText(std::span<const std::uint8_t> bytes);
[[nodiscard]] std::string hexText(std::string_view bytes);

}  // namespace korvel
