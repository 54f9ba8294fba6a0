#include "options/option_value.hpp"

#include <algorithm>
#include <charconv>
#include <cstdlib>
#include <limits>

#include "common/byte_text.hpp"

namespace korvel {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

char lowerCase(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Keywords are taken in any letter case, as file name endings are.
const Keyword* findKeyword(std::span<const Keyword> keywords, std::string_view text)
{
    const auto found = std::find_if(keywords.begin(), keywords.end(), [&](const Keyword& keyword) {
        return keyword.name.size() == text.size() &&
               std::equal(text.begin(), text.end(), keyword.name.begin(),
                          [](char given, char wanted) { return lowerCase(given) == wanted; });
    });
    return found != keywords.end() ? &*found : nullptr;
}

bool allowedInteger(const OptionDefinition& option, std::int64_t value, IntegerRange range)
{
    if (!option.allowed.empty()) {
        return std::find(option.allowed.begin(), option.allowed.end(), value) != option.allowed.end();
    }
    return value >= range.low && value <= range.high;
}

bool inRange(double value, const DecimalRange& range)
{
    const bool aboveLow = range.lowExcluded ? value > range.low : value >= range.low;
    return aboveLow && value <= range.high;
}

// Exactly six hexadecimal digits, RRGGBB.
std::optional<Color> parseStrictColor(std::string_view text)
{
    constexpr std::size_t kDigits = 6;
    if (text.size() != kDigits || !std::all_of(text.begin(), text.end(), [](char c) { return hexDigit(c) >= 0; })) {
        return std::nullopt;
    }
    return parseColor(text);
}

// The whole text as the option's value, or nothing.
std::optional<OptionValue> readStrictly(const OptionDefinition& option, std::string_view text)
{
    OptionValue value;
    switch (option.kind) {
    case ValueKind::None: return value;
    case ValueKind::Integer: {
        const auto number = parseWholeNumber(text, option.integers.high);
        if (!number || !allowedInteger(option, *number, option.integers)) {
            return std::nullopt;
        }
        value.number = *number;
        return value;
    }
    case ValueKind::Decimal: {
        const auto decimal = parseStrictDecimal(text);
        if (!decimal || !inRange(*decimal, option.decimals)) {
            return std::nullopt;
        }
        value.decimal = *decimal;
        return value;
    }
    case ValueKind::Color: {
        const auto color = parseStrictColor(text);
        if (!color) {
            return std::nullopt;
        }
        value.color = *color;
        return value;
    }
    case ValueKind::Text: value.text = text; return value;
    case ValueKind::Path:
        if (text.empty()) {
            return std::nullopt;
        }
        value.text = text;
        return value;
    case ValueKind::Keyword: {
        const Keyword* keyword = findKeyword(option.keywords, text);
        if (keyword == nullptr) {
            return std::nullopt;
        }
        value.number = keyword->value;
        return value;
    }
    }
    return std::nullopt;
}

// The original reading: never an error, a value outside `accepted` dropped.
std::optional<OptionValue> readLeniently(const OptionDefinition& option, std::string_view text)
{
    OptionValue value;
    switch (option.kind) {
    case ValueKind::Integer:
        value.number = parseInteger(text);
        return allowedInteger(option, value.number, option.accepted) ? std::optional(value) : std::nullopt;
    case ValueKind::Decimal:
        value.decimal = parseDecimal(text);
        return inRange(value.decimal, option.acceptedDecimals) ? std::optional(value) : std::nullopt;
    case ValueKind::Color: value.color = parseColor(text); return value;
    default: return readStrictly(option, text);
    }
}

}  // namespace

Outcome readOptionValue(const OptionDefinition& option, std::string_view text, ValueReading reading,
                        std::optional<OptionValue>& value)
{
    if (reading == ValueReading::CommandLine && option.reading == CommandReading::Lenient) {
        value = readLeniently(option, text);
        return ResultCode::Ok;
    }
    value = readStrictly(option, text);
    if (!value) {
        return {ResultCode::InvalidArgument, "invalid value for " + describeInvalidValue("--" + std::string(option.name), text)};
    }
    return ResultCode::Ok;
}

std::string describeInvalidValue(std::string_view name, std::string_view text)
{
    constexpr std::size_t kShownBytes = 60;
    return std::string(name) + ": " + printableText(text.substr(0, kShownBytes)) +
           (text.size() > kShownBytes ? "..." : "");
}

std::int32_t parseInteger(std::string_view text) noexcept
{
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    std::size_t at = 0;
    while (at < text.size() && isSpace(text[at])) {
        ++at;
    }
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    std::int64_t magnitude = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) {
        if (magnitude <= kMax + 1) {  // beyond that the result saturates anyway
            magnitude = magnitude * 10 + (text[at] - '0');
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    return static_cast<std::int32_t>(std::clamp(value, kMin, kMax));
}

double parseDecimal(std::string_view text)
{
    const std::string terminated(text.substr(0, text.find('\0')));
    return std::strtod(terminated.c_str(), nullptr);
}

Color parseColor(std::string_view text) noexcept
{
    std::uint32_t rgb = 0;
    for (std::size_t at = 0; at < text.size() && hexDigit(text[at]) >= 0; ++at) {
        rgb = (rgb << 4) | static_cast<std::uint32_t>(hexDigit(text[at]));
    }
    return Color::fromRgb(rgb);
}

std::optional<std::int64_t> parseWholeNumber(std::string_view text, std::int64_t largest) noexcept
{
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9' || value > (largest - (c - '0')) / 10) {
            return std::nullopt;
        }
        value = value * 10 + (c - '0');
    }
    return value;
}

std::optional<double> parseStrictDecimal(std::string_view text) noexcept
{
    const std::size_t point = text.find('.');
    const std::size_t digits = text.size() - (point == std::string_view::npos ? 0 : 1);
    if (digits == 0 || text.find_first_not_of("0123456789.") != std::string_view::npos ||
        (point != std::string_view::npos && text.find('.', point + 1) != std::string_view::npos)) {
        return std::nullopt;
    }
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, std::chars_format::fixed);
    if (error != std::errc{} || end != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

}  // namespace korvel
