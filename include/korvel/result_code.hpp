#pragma once
// Result codes returned by every korvel operation that can fail, and their
// one-line messages. The code of a failed command-line run is also its exit
// status.

#include <cstddef>
#include <cstdint>
#include <optional>
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

// Where GS1 or HIBC input is faulty, as data: callers that show the input
// (a web form, a Python exception) can point at the faulty characters.
struct Gs1Fault {
    // The AI of the faulty element without parentheses ("01"); empty when the
    // fault belongs to no single element (HIBC data, the structure of the text).
    std::string ai;
    // The faulty part of the input as given: its first byte (1-based, the
    // "character" of the message) and its length in bytes. The length is 0
    // when something is missing rather than wrong (a required AI, say); the
    // position then names where it was expected.
    std::size_t position = 0;
    std::size_t length = 0;
};

// A result with what went wrong in words, for failures that have detail
// (which AI, which character, what differed, which file). The detail is one
// line without a final period; it is empty for success and for failures that
// the code alone describes.
struct Outcome {
    ResultCode code = ResultCode::Ok;
    std::string detail;
    // Set for InvalidGs1Data outcomes of the GS1 and HIBC parsers.
    std::optional<Gs1Fault> gs1Fault;

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
