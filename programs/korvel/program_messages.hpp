#pragma once
// What the program prints on standard error when a run fails: the banner
// line and one message line, with every byte that could act on a terminal
// (control characters, bytes beyond ASCII from file names, PATH or data)
// shown as \xNN, so that a message always stays one readable line.

#include <string>
#include <string_view>

#include "korvel/result_code.hpp"

namespace korvel {

// The text with control bytes (below 0x20 and 0x7F) and bytes above 0x7F
// written as \xNN.
[[nodiscard]] std::string printableText(std::string_view text);

// The banner line and the message on stderr; returns the status to end with.
int printFailure(const std::string& message, ResultCode code);
int printFailure(const Outcome& outcome);

}  // namespace korvel
