#pragma once
// The progress of a long batch: one line on a terminal, rewritten in place,
// with the lines done, the total when known, the rate and the time left. It
// appears once the batch has run for a second; on anything but a terminal
// nothing is written.

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>

namespace korvel {

class BatchProgress {
public:
    BatchProgress(std::FILE* stream, std::optional<std::uint64_t> totalLines);

    // Notes that the lines up to `linesDone` are done; redraws at most five
    // times a second. Not for several threads at once.
    void update(std::uint64_t linesDone);
    // Removes the line (before a message is written, and at the end).
    void clear();

private:
    using Clock = std::chrono::steady_clock;

    std::FILE* stream_;
    bool terminal_;
    std::optional<std::uint64_t> total_;
    Clock::time_point start_;
    Clock::time_point nextDraw_;
    bool visible_ = false;
};

// The text of the progress line after `seconds` ("korvel: 2500 of 10000
// lines, 1250 lines/s, 0:06 left").
[[nodiscard]] std::string progressText(std::uint64_t linesDone, std::optional<std::uint64_t> totalLines,
                                       double seconds);

}  // namespace korvel
