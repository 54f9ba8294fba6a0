#include "image_time.hpp"

#include "option_values.hpp"

namespace korvel {

std::optional<std::int64_t> parseImageTime(std::string_view text) noexcept
{
    return parseWholeNumber(text, kLatestImageTime);
}

bool chooseImageTime(std::optional<std::int64_t> timeOption, const char* sourceDateEpoch,
                     std::optional<std::time_t>& when) noexcept
{
    when.reset();
    if (!timeOption && sourceDateEpoch != nullptr) {
        timeOption = parseImageTime(sourceDateEpoch);
        if (!timeOption) {
            return false;
        }
    }
    if (timeOption) {
        when = static_cast<std::time_t>(*timeOption);
    }
    return true;
}

}  // namespace korvel
