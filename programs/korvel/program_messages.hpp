#pragma once
// What the program prints: on standard error, the banner line and one
// message line when a run fails, with every byte that could act on a
// terminal (control characters, bytes beyond ASCII from file names, PATH or
// data) shown as \xNN so that a message always stays one readable line; on
// standard output, the lines a run ends with (version, human-readable text).

#include <string>
#include <string_view>

#include "korvel/result_code.hpp"

namespace korvel {

// The banner line and the message on stderr; returns the status to end with.
int printFailure(const std::string& message, ResultCode code);
int printFailure(const Outcome& outcome);

// "Error: Invalid value for NAME: VALUE." (options/option_value.hpp says how
// the value is shown).
[[nodiscard]] std::string invalidValueMessage(std::string_view name, std::string_view value);

// One line on standard output; false when it did not reach its reader.
[[nodiscard]] bool printLine(const std::string& line);

}  // namespace korvel
