#include "data_source.hpp"

#include <string_view>

#include "batch/input_file.hpp"
#include "program_options.hpp"

namespace korvel {
namespace {

constexpr unsigned kMaxJobs = 256;

// A whole number written with digits only, from 1 to kMaxJobs.
std::optional<unsigned> parseJobs(std::string_view text)
{
    if (text.empty() || text.size() > 3 || text.find_first_not_of("0123456789") != std::string_view::npos) {
        return std::nullopt;
    }
    unsigned value = 0;
    for (const char digit : text) {
        value = value * 10 + static_cast<unsigned>(digit - '0');
    }
    return value >= 1 && value <= kMaxJobs ? std::optional(value) : std::nullopt;
}

}  // namespace

bool applySourceOption(int code, const char* value, DataSource& source)
{
    switch (code) {
    case kInputOption: source.inputPath = value; return true;
    case kBatchOption: source.batchPath = value; return true;
    case kJobsOption:
        if (const auto jobs = parseJobs(value)) {
            source.jobs = *jobs;
            return true;
        }
        return false;
    default: return true;
    }
}

Outcome checkDataSource(const DataSource& source)
{
    const char* conflict = nullptr;
    if (source.inputPath && source.batchPath) {
        conflict = "--input and --batch";
    } else if (source.dataGiven && source.inputPath) {
        conflict = "--input and --data";
    } else if (source.dataGiven && source.batchPath) {
        conflict = "--batch and --data";
    }
    if (conflict == nullptr) {
        return ResultCode::Ok;
    }
    return {ResultCode::InvalidArgument, std::string(conflict) + " both give the data; use one of them"};
}

Outcome loadInputData(const DataSource& source, SymbolOptions& symbol)
{
    if (!source.inputPath) {
        return ResultCode::Ok;
    }
    std::string data;
    if (Outcome read = readDataFile(*source.inputPath, data); !read.ok()) {
        return read;
    }
    if (source.dropInputLineEnd) {
        dropFinalLineEnd(data);
    }
    symbol.data = std::move(data);
    if (symbol.syntax == DataSyntax::TildeEscapes) {
        symbol.syntax = DataSyntax::Literal;  // GS1 and HIBC data keep their own reading
    }
    return ResultCode::Ok;
}

}  // namespace korvel
