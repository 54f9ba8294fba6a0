#pragma once
// The character sets of GS1 AI values.

#include <string>
#include <string_view>

#include "common/byte_text.hpp"

#include "gs1/component_spec.hpp"

namespace korvel::gs1 {

// GS1 character set 82 in its order (the check character pair numbers the
// characters by their place here).
inline constexpr std::string_view kCset82 =
    "!\"%&'()*+,-./0123456789:;<=>?ABCDEFGHIJKLMNOPQRSTUVWXYZ_abcdefghijklmnopqrstuvwxyz";

[[nodiscard]] constexpr bool isDigitChar(char c) noexcept { return c >= '0' && c <= '9'; }
[[nodiscard]] constexpr bool isUpperChar(char c) noexcept { return c >= 'A' && c <= 'Z'; }
[[nodiscard]] constexpr bool isLowerChar(char c) noexcept { return c >= 'a' && c <= 'z'; }

[[nodiscard]] constexpr bool isAllDigits(std::string_view text) noexcept
{
    for (const char c : text) {
        if (!isDigitChar(c)) {
            return false;
        }
    }
    return !text.empty();
}

[[nodiscard]] constexpr bool isInCharacterSet(CharacterSet set, char c) noexcept
{
    switch (set) {
    case CharacterSet::Digits: return isDigitChar(c);
    case CharacterSet::Cset82: return kCset82.find(c) != std::string_view::npos;
    case CharacterSet::Cset39: return isDigitChar(c) || isUpperChar(c) || c == '#' || c == '-' || c == '/';
    case CharacterSet::Base64Url:
        return isDigitChar(c) || isUpperChar(c) || isLowerChar(c) || c == '-' || c == '_' || c == '=';
    }
    return false;
}

// A character for a message: 'A' when printable ASCII, else its code (0x1D).
[[nodiscard]] inline std::string quotedCharacter(char c)
{
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) {
        return std::string{'\'', c, '\''};
    }
    constexpr std::string_view kHex = "0123456789ABCDEF";
    return std::string("0x") + kHex[byte >> 4] + kHex[byte & 0x0F];
}

}  // namespace korvel::gs1
