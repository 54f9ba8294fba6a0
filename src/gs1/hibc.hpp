#pragma once
// HIBC supplier labels: the Code 39 character values and the modulo-43 check
// character.

#include <string_view>

namespace korvel::gs1 {

// The characters in their Code 39 order: values 0 to 42.
inline constexpr std::string_view kHibcCharacters = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ-. $/+%";

// The check character of a label: the sum of the values of '+' and every
// data character, modulo 43. `data` must hold HIBC characters only.
[[nodiscard]] char hibcCheckCharacter(std::string_view data) noexcept;

}  // namespace korvel::gs1
