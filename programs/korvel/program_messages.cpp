#include "program_messages.hpp"

#include <cstdio>

#include "usage_text.hpp"

namespace korvel {

std::string printableText(std::string_view text)
{
    constexpr std::string_view kHex = "0123456789abcdef";
    std::string printable;
    printable.reserve(text.size());
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F) {
            printable += c;
        } else {
            printable += "\\x";
            printable += kHex[byte >> 4];
            printable += kHex[byte & 0xFU];
        }
    }
    return printable;
}

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

}  // namespace korvel
