#include "cli/option_values.hpp"

#include <cstdlib>
#include <limits>

namespace korvel {
namespace {

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

int hexDigit(char c)
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

}  // namespace korvel
