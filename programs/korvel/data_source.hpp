#pragma once
// Where the data of a run comes from: -d (or the default data), the bytes of
// a file given with --input, or one symbol per line of a file given with
// --batch; and how many symbols of a batch are made at once.

#include <optional>
#include <string>

#include "korvel/result_code.hpp"
#include "korvel/symbol_options.hpp"

namespace korvel {

struct DataSource {
    bool dataGiven = false;                // -d or --data appeared
    std::optional<std::string> inputPath;  // --input ("-": standard input)
    std::optional<std::string> batchPath;  // --batch ("-": standard input)
    unsigned jobs = 0;                     // --jobs; 0: one per online processor
    // The --input data is a line of text (GS1 or HIBC input), whose one
    // final LF or CR LF is not part of the data.
    bool dropInputLineEnd = false;
};

// Stores the value of --input, --batch or --jobs (codes from
// program_options.hpp); false for a --jobs value that is not a whole number
// from 1 to 256.
[[nodiscard]] bool applySourceOption(int code, const char* value, DataSource& source);

// 1 with a detail naming the options when more than one source was given.
[[nodiscard]] Outcome checkDataSource(const DataSource& source);

// For a run with --input: reads the file into the symbol's data, taken
// literally. 18 naming the file when it cannot be read.
[[nodiscard]] Outcome loadInputData(const DataSource& source, SymbolOptions& symbol);

}  // namespace korvel
