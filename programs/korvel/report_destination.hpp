#pragma once
// Where --report writes its JSON lines: standard output for "-", or a file
// that is complete or not at all (output/output_file.hpp). The file is
// opened only when the run's options are known to be good.

#include <optional>
#include <string>

#include "korvel/result_code.hpp"
#include "output/output_file.hpp"

namespace korvel {

class ReportDestination {
public:
    // No path: there is no report, and every call succeeds doing nothing.
    explicit ReportDestination(std::optional<std::string> path);

    [[nodiscard]] bool wanted() const noexcept { return path_.has_value(); }
    // Opens the file (once); 12 naming the report file when it cannot be.
    [[nodiscard]] Outcome open();
    // Adds one JSON line (a newline is added).
    void appendLine(const std::string& json);
    // Writes out the lines; 13 when they did not all arrive (a report file
    // is then removed).
    [[nodiscard]] Outcome finish();
    // Removes a report file that is being written.
    void remove() noexcept { file_.remove(); }
    // The report file's identity, which no image of the run may overwrite;
    // null for standard output.
    [[nodiscard]] const FileIdentity* fileIdentity() const noexcept;

private:
    [[nodiscard]] bool toStandardOutput() const noexcept;

    std::optional<std::string> path_;
    OutputFile file_;
    FileIdentity identity_;
    bool written_ = true;
};

}  // namespace korvel
