#pragma once
// The korvel command: options in, PNG file out, result code as exit status.

#include <functional>

#include "korvel/symbol.hpp"

namespace korvel {

// Runs the whole command for this argument vector and returns the exit
// status. Messages go to stderr, the usage text for -h to stdout.
[[nodiscard]] int runProgram(int argc, const char* const* argv);

// For tests of --verify: called with each encoded symbol before it is drawn,
// and may put another symbol in its place (as a faulty encoder would).
// An empty function removes the hook.
void setSymbolHookForTesting(std::function<void(Symbol&)> hook);

}  // namespace korvel
