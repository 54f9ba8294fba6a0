#pragma once
// Result codes returned by every korvel operation that can fail, and their
// one-line messages. The code of a failed command-line run is also its exit
// status.

#include <cstdint>

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
};

// The message of a code: "Ok." for 0, "Error: ..." for 1..14 and
// "Error: Unknown error." for any larger value. The text is static.
[[nodiscard]] const char* resultMessage(unsigned code) noexcept;
[[nodiscard]] inline const char* resultMessage(ResultCode code) noexcept
{
    return resultMessage(static_cast<unsigned>(code));
}

// The numeric value of a code, as used for the process exit status.
[[nodiscard]] constexpr int toExitStatus(ResultCode code) noexcept
{
    return static_cast<int>(code);
}

}  // namespace korvel
