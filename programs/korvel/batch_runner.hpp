#pragma once
// The command's batch mode: one symbol per line of a file, made on several
// threads and written to numbered files, with each line's message, report
// line and human-readable text delivered in line order, and progress shown
// on a terminal. A line goes one way: read, made (symbol_job), written
// (output_plan), delivered.

#include "output_plan.hpp"
#include "program_settings.hpp"

namespace korvel {

// Makes one symbol per line of the file settings.source.batchPath, the line
// being the data as -d takes it, written to the name that `outputPattern`
// gives for the line's number (batchOutputName). The settings were checked
// before. A failing line is reported on stderr as "line N: " and its
// message, in line order whatever the number of jobs, and the batch goes on.
// Returns the exit status: 0 when every line succeeded, else the code of the
// first failing line; 18 when the batch file cannot be opened or read (the
// symbols of the lines before stay written and reported), 17 when --verify
// cannot start its helper, 12 or 13 when the report cannot be written.
[[nodiscard]] int runBatch(const Settings& settings, const char* outputPattern, const OutputPlan& plan);

}  // namespace korvel
