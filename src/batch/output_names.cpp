#include "batch/output_names.hpp"

namespace korvel {

std::string batchOutputName(std::string_view pattern, std::uint64_t number)
{
    const std::string digits = std::to_string(number);
    const std::size_t slash = pattern.rfind('/');
    const std::size_t fileStart = slash == std::string_view::npos ? 0 : slash + 1;
    const std::string_view fileName = pattern.substr(fileStart);

    std::string name(pattern);
    if (const std::size_t runEnd = fileName.rfind('#'); runEnd != std::string_view::npos) {
        const std::size_t beforeRun = fileName.find_last_not_of('#', runEnd);
        const std::size_t runStart = beforeRun == std::string_view::npos ? 0 : beforeRun + 1;
        const std::size_t width = runEnd + 1 - runStart;
        const std::string padded = std::string(width > digits.size() ? width - digits.size() : 0, '0') + digits;
        return name.replace(fileStart + runStart, width, padded);
    }
    const std::size_t dot = fileName.rfind('.');
    const std::size_t insertAt = dot == std::string_view::npos || dot == 0 ? name.size() : fileStart + dot;
    return name.insert(insertAt, "-" + digits);
}

}  // namespace korvel
