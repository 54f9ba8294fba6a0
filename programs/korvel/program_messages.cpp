#include "program_messages.hpp"

#include <cstdio>

#include "common/byte_text.hpp"
#include "options/option_value.hpp"
#include "usage_text.hpp"

namespace korvel {

int printFailure(const std::string& message, ResultCode code)
{
    std::fputs(kBannerLine, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    std::fputs(printableText(message).c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    return static_cast<int>(code);
}

int printFailure(const Outcome& outcome) { return printFailure(outcomeMessage(outcome), outcome.code); }

std::string invalidValueMessage(std::string_view name, std::string_view value)
{
    return "Error: Invalid value for " + describeInvalidValue(name, value) + ".";
}

bool printLine(const std::string& line)
{
    const bool written = std::fputs(line.c_str(), stdout) >= 0 && std::fputc('\n', stdout) != EOF;
    return std::fflush(stdout) == 0 && written;
}

}  // namespace korvel
