#include "option_values.hpp"

#include <charconv>
#include <cstdlib>
#include <limits>

#include "program_messages.hpp"
#include "common/byte_text.hpp"

namespace korvel {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

}  // namespace

std::int32_t parseInteger(const char* text) noexcept
{
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    const char* p = text;
    while (isSpace(*p)) {
        ++p;
    }
    bool negative = false;
    if (*p == '+' || *p == '-') {
        negative = *p == '-';
        ++p;
    }
    std::int64_t magnitude = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        if (magnitude <= kMax + 1) {  // beyond that the result saturates anyway
            magnitude = magnitude * 10 + (*p - '0');
        }
    }
    const std::int64_t value = negative ? -magnitude : magnitude;
    if (value > kMax) {
        return static_cast<std::int32_t>(kMax);
    }
    if (value < kMin) {
        return static_cast<std::int32_t>(kMin);
    }
    return static_cast<std::int32_t>(value);
}

double parseDecimal(const char* text) noexcept { return std::strtod(text, nullptr); }

Color parseColor(const char* text) noexcept
{
    std::uint32_t rgb = 0;
    for (const char* p = text; hexDigit(*p) >= 0; ++p) {
        rgb = (rgb << 4) | static_cast<std::uint32_t>(hexDigit(*p));
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

std::string invalidValueMessage(std::string_view name, std::string_view value)
{
    constexpr std::size_t kShownBytes = 60;
    return "Error: Invalid value for " + std::string(name) + ": " + printableText(value.substr(0, kShownBytes)) +
           (value.size() > kShownBytes ? "...." : ".");
}

}  // namespace korvel
