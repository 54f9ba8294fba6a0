#pragma once
// The command's batch mode: one symbol per line of a file, made on several
// threads, with failing lines reported in line order and progress shown on a
// terminal.

#include <functional>
#include <string>

#include "cli/program_settings.hpp"
#include "korvel/result_code.hpp"

namespace korvel {

// Makes one symbol from the settings and writes it to the named file, as a
// single run of the command does. Called from several threads at once.
using SymbolWriter = std::function<Outcome(const Settings& settings, const char* outputPath)>;

// Makes one symbol per line of the file settings.source.batchPath, the line
// being the data as -d takes it, and has `write` write it to the name that
// `outputPattern` gives for the line's number (batchOutputName). A failing
// line is reported on stderr as "line N: " and its message, in line order
// whatever the number of jobs, and the batch goes on. Returns the exit
// status: 0 when every line succeeded, else the code of the first failing
// line; 18 when the batch file cannot be opened or read (the symbols of the
// lines before stay written and reported).
[[nodiscard]] int runBatch(const Settings& settings, const std::string& outputPattern, const SymbolWriter& write);

}  // namespace korvel
