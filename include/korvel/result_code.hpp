#pragma once
// Result codes returned by every korvel operation that can fail, and their
// one-line messages. The code of a failed command-line run is also its exit
// status.

#include <cstdint>
#include <string>
#include <utility>

namespace korvel {

enum class ResultCode : unsigned {
    Ok = 0,
    InvalidArgument = 1,
    Fail = 2,
    CantInitializePngCreator = 3,
    InvalidBarcodeSize = 4,
    InvalidData = 5,
    InvalidEncodingMode = 6,
    InvalidPreferredFormat = 7,
    NoMatrixFormat = 8,
    ReedSolomonFailed = 9,
    DataDoesNotFitFormat = 10,
    EmptyOutputFileName = 11,
    CantOpenOutputFile = 12,
    CantCloseOutputFile = 13,
    UnknownException = 14,
    InvalidGs1Data = 15,
    VerificationFailed = 16,
    VerifierNotAvailable = 17,
    CantReadInputFile = 18,
};

// The message of a code: "Ok." for 0, "Error: ..." for 1..18 and
// "Error: Unknown error." for any larger value. The text is static.
[[nodiscard]] const char* resultMessage(unsigned code) noexcept;
[[nodiscard]] inline const char* resultMessage(ResultCode code) noexcept
{
    return resultMessage(static_cast<unsigned>(code));
}

// A result with what went wrong in words, for failures that have detail
// (which AI, which character, what differed, which file). The detail is one
// line without a final period; it is empty for success and for failures that
// the code alone describes.
struct Outcome {
    ResultCode code = ResultCode::Ok;
    std::string detail;

    Outcome() = default;
    Outcome(ResultCode c) : code(c) {}  // NOLINT(google-explicit-constructor): a plain code is an outcome
    Outcome(ResultCode c, std::string d) : code(c), detail(std::move(d)) {}

    [[nodiscard]] bool ok() const noexcept { return code == ResultCode::Ok; }
};

// The message line of an outcome: the code's message, or with detail the
// message without its final period, ": ", the detail and a period
// ("Error: Invalid GS1 data: AI (01) at character 5: check digit 0, expected 3.").
[[nodiscard]] std::string outcomeMessage(const Outcome& outcome);

}  // namespace korvel
