#pragma once
// Option values read from their text, as the rows of option_table.hpp say:
// strictly (the whole text, in range) for every caller that wants clear
// errors, or as the command line has always read its original eighteen
// options (like atoi, atof and a hexadecimal colour, out-of-range values
// dropped without a message).

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "korvel/color.hpp"
#include "korvel/result_code.hpp"
#include "options/option_table.hpp"

namespace korvel {

// A value, in the member its option's kind names.
struct OptionValue {
    std::int64_t number = 0;  // Integer; Keyword: the keyword's number
    double decimal = 0.0;     // Decimal
    Color color;              // Color
    std::string_view text;    // Text and Path: the text as given (the caller keeps it)
};

enum class ValueReading {
    Strict,       // every option: the whole text must be a value in range
    CommandLine,  // the original options as the command line reads them (CommandReading)
};

// Reads `text` as the value of `option` (a flag has none: the value is
// empty and the text ignored). Succeeds with `value` set, or, for the
// command line's reading of an original option, with `value` empty when the
// value is dropped. Fails with 1 and the detail "invalid value for --NAME:
// TEXT" (describeInvalidValue) when the text is no valid value.
[[nodiscard]] Outcome readOptionValue(const OptionDefinition& option, std::string_view text, ValueReading reading,
                                      std::optional<OptionValue>& value);

// "NAME: TEXT" with the text's control bytes and bytes beyond ASCII written
// as \xNN and a text of more than 60 bytes cut short with "...", so that it
// stays one readable line.
[[nodiscard]] std::string describeInvalidValue(std::string_view name, std::string_view text);

// The original readings. Like atoi: leading white space, an optional sign,
// then decimal digits up to the first other character; no digits gives 0;
// values beyond 32 bits saturate.
[[nodiscard]] std::int32_t parseInteger(std::string_view text) noexcept;
// Like atof with "." as decimal separator; no number gives 0.0.
[[nodiscard]] double parseDecimal(std::string_view text);
// Hexadecimal RRGGBB (no prefix, read up to the first non-hex character;
// only the last six digits count).
[[nodiscard]] Color parseColor(std::string_view text) noexcept;

// The strict readings: the whole text must be the number. Decimal digits
// only (no sign, no blanks), at most `largest`.
[[nodiscard]] std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t largest) noexcept;
// Digits with at most one "." among or around them ("2", "0.25", ".5",
// "5."), whatever the locale; no sign, exponent or blanks.
[[nodiscard]] std::optional<double> parseStrictDecimal(std::string_view text) noexcept;

}  // namespace korvel
