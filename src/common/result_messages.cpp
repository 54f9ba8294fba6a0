#include <array>

#include "korvel/result_code.hpp"

#include <string_view>

namespace korvel {

const char* resultMessage(unsigned code) noexcept
{
    static constexpr std::array<const char*, 19> kMessages{
        "Ok.",
        "Error: Invalid argument.",
        "Error: Fail.",
        "Error: Cant initialize PNG creator.",
        "Error: Invalid barcode size.",
        "Error: Invalid data to encode.",
        "Error: Invalid encoding mode.",
        "Error: Invalid PreferredFormat property.",
        "Error: Cant find the needed matrix format.",
        "Error: Cant append the Reed-Solomon codes.",
        "Error: The data to encode cant be placed in the current matrix format.",
        "Error: Output file name cant be empty.",
        "Error: Cant open output file.",
        "Error: Cant close output file.",
        "Error: Unknown exception.",
        "Error: Invalid GS1 data.",
        "Error: Verification failed.",
        "Error: Verifier not available.",
        "Error: Cant read input file.",
    };
    return code < kMessages.size() ? kMessages[code] : "Error: Unknown error.";
}

std::string outcomeMessage(const Outcome& outcome)
{
    std::string_view message = resultMessage(outcome.code);
    if (outcome.detail.empty()) {
        return std::string(message);
    }
    if (message.ends_with('.')) {
        message.remove_suffix(1);
    }
    return std::string(message) + ": " + outcome.detail + ".";
}

}  // namespace korvel
