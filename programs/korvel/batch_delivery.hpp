#pragma once
// What a batch tells in line order, whatever thread made a line: the
// messages of failed lines on stderr (the banner line once, before the
// first), and the texts each line leaves for the report and standard output,
// held until the line is delivered.

#include <cstdint>
#include <map>
#include <mutex>
#include <optional>
#include <string>

#include "batch_progress.hpp"
#include "korvel/result_code.hpp"

namespace korvel {

// The exit status of a batch is the code of the first failure reported.
class BatchMessages {
public:
    explicit BatchMessages(BatchProgress& progress) : progress_(progress) {}

    void lineFailed(std::uint64_t number, const Outcome& outcome);
    // Returns the run's exit status, the failure's code.
    int runFailed(const Outcome& outcome);
    [[nodiscard]] int exitStatus() const { return static_cast<int>(firstFailure_); }

private:
    void print(const std::string& message);

    BatchProgress& progress_;
    ResultCode firstFailure_ = ResultCode::Ok;
    bool bannerShown_ = false;
};

// A line's report line and human-readable text.
struct LineTexts {
    std::optional<std::string> reportLine;
    std::optional<std::string> humanReadable;
};

// The texts of the lines in flight, by line number.
class BatchTexts {
public:
    void keep(std::uint64_t line, LineTexts texts);
    // The line's texts, removed from the store (none when it left none).
    [[nodiscard]] LineTexts take(std::uint64_t line);

private:
    std::mutex mutex_;
    std::map<std::uint64_t, LineTexts> pending_;
};

}  // namespace korvel
