#pragma once
// The command's batch mode: one symbol per line of a file, made on several
// threads, with failing lines reported in line order and progress shown on a
// terminal.

#include <cstdint>
#include <functional>
#include <string>

#include "program_settings.hpp"
#include "korvel/result_code.hpp"

namespace korvel {

// Makes one symbol from the settings and writes it to the named file, as a
// single run of the command does. Called from several threads at once.
// `lineNumber` is the line's number in the batch file.
using SymbolWriter =
    std::function<Outcome(const Settings& settings, const char* outputPath, std::uint64_t lineNumber)>;

// Told of each line that was made or failed, one at a time, in line order.
using LineDelivered = std::function<void(std::uint64_t lineNumber, const Outcome& outcome)>;

// How a batch ended: the exit status, and the failure of the run as a
// whole (the batch file could not be read) when there was one.
struct BatchEnd {
    int exitStatus = 0;
    Outcome runFailure;
};

// Makes one symbol per line of the file settings.source.batchPath, the line
// being the data as -d takes it, and has `write` write it to the name that
// `outputPattern` gives for the line's number (batchOutputName). The
// settings were checked before. A failing line is reported on stderr as
// "line N: " and its message, in line order whatever the number of jobs,
// and the batch goes on. The exit status is 0 when every line succeeded,
// else the code of the first failing line; 18 when the batch file cannot be
// opened or read (the symbols of the lines before stay written and reported).
[[nodiscard]] BatchEnd runBatch(const Settings& settings, const std::string& outputPattern, const SymbolWriter& write,
                                const LineDelivered& delivered = {});

}  // namespace korvel
