#include "image_time.hpp"

#include "options/option_value.hpp"

namespace korvel {

std::optional<std::int64_t> parseImageTime(std::string_view text)
{
    std::optional<OptionValue> value;
    if (!readOptionValue(optionDefinition(OptionId::Time), text, ValueReading::Strict, value).ok() || !value) {
        return std::nullopt;
    }
    return value->number;
}

bool chooseImageTime(std::optional<std::int64_t> timeOption, const char* sourceDateEpoch,
                     std::optional<std::time_t>& when)
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
