#pragma once
// The korvel command: options in, image file out, result code as exit status.

#include "symbol_job.hpp"

namespace korvel {

// Runs the whole command for this argument vector and returns the exit
// status. Messages go to stderr, the usage text for -h to stdout.
[[nodiscard]] int runProgram(int argc, const char* const* argv);

}  // namespace korvel
