#include "cli/image_time.hpp"

#include <string>

namespace korvel {
namespace {

constexpr std::size_t kShownValueBytes = 40;

// The value as a message may show it: printable ASCII as it is, other bytes
// as \xNN, cut after a few dozen bytes.
std::string shown(std::string_view value)
{
    constexpr std::string_view kHex = "0123456789abcdef";
    std::string text;
    for (const char c : value.substr(0, kShownValueBytes)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            text += c;
        } else {
            text += "\\x";
            text += kHex[byte >> 4];
            text += kHex[byte & 0xFU];
        }
    }
    return value.size() > kShownValueBytes ? text + "..." : text;
}

}  // namespace

std::optional<std::int64_t> parseImageTime(std::string_view text) noexcept
{
    if (text.empty()) {
        return std::nullopt;
    }
    std::int64_t seconds = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            return std::nullopt;
        }
        seconds = seconds * 10 + (c - '0');
        if (seconds > kLatestImageTime) {
            return std::nullopt;
        }
    }
    return seconds;
}

Outcome chooseImageTime(std::optional<std::int64_t> timeOption, const char* sourceDateEpoch,
                        std::optional<std::time_t>& when)
{
    when.reset();
    if (timeOption) {
        when = static_cast<std::time_t>(*timeOption);
        return {};
    }
    if (sourceDateEpoch == nullptr) {
        return {};
    }
    const auto seconds = parseImageTime(sourceDateEpoch);
    if (!seconds) {
        return {ResultCode::InvalidArgument, "SOURCE_DATE_EPOCH must be whole seconds from 0 to " +
                                                 std::to_string(kLatestImageTime) + ", not \"" +
                                                 shown(sourceDateEpoch) + "\""};
    }
    when = static_cast<std::time_t>(*seconds);
    return {};
}

}  // namespace korvel
