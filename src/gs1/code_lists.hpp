#pragma once
// The code lists that GS1 checks use: ISO 3166-1 numeric and alpha-2 country
// codes, ISO 4217 numeric currency codes and the GS1/UN package type codes,
// as current in 2025.

#include <string_view>

namespace korvel::gs1 {

enum class CodeList { Iso3166Numeric, Iso3166Alpha2, Iso4217Numeric, PackageType };

// The list's codes in order, each followed by one space.
[[nodiscard]] std::string_view codeListText(CodeList list) noexcept;

// Whether `code` is one of the list's codes.
[[nodiscard]] bool isInCodeList(CodeList list, std::string_view code) noexcept;

}  // namespace korvel::gs1
