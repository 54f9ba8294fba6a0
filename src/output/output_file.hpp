#pragma once
// Output files that appear complete or not at all: the bytes are made
// before the file is opened, an existing file is overwritten in place (it
// keeps its permissions and hard links) and cut to the new length, and a
// file whose writing fails, or whose run is ended by a signal while it is
// written, is removed.

#include <cstdint>
#include <span>
#include <string>

#include "korvel/result_code.hpp"
#include "output/in_flight_files.hpp"

namespace korvel {

// A file that a run wrote, for taking it back when the run fails afterwards.
struct WrittenFile {
    bool regular = false;  // devices and pipes are never removed
    std::string resolvedPath;
    FileIdentity identity;
};

// Removes the written file if its path still names it.
void removeWrittenFile(const WrittenFile& file) noexcept;

// A file opened for writing its whole new content, in one piece or many.
class OutputFile {
public:
    OutputFile() = default;
    ~OutputFile();  // a file that was not finished is removed
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;

    // 12 when the file cannot be opened (or the process is ending).
    [[nodiscard]] Outcome open(const std::string& path);
    // Adds bytes (held in memory up to a few tens of kilobytes); false once
    // a write has failed.
    [[nodiscard]] bool append(std::span<const std::uint8_t> bytes);
    // Writes what is held, cuts an existing longer file to the new length and
    // closes it. 13 when that fails; the file is then removed.
    [[nodiscard]] Outcome finish();
    // Closes and removes the file (a regular file only).
    void remove() noexcept;
    // Closes the file without writing what is held and without removing it,
    // for a file that turned out to be one the run must not write.
    void leaveUntouched() noexcept;

    [[nodiscard]] bool isOpen() const noexcept { return descriptor_ >= 0; }
    [[nodiscard]] bool regular() const noexcept { return inFlight_.regular(); }
    [[nodiscard]] FileIdentity identity() const noexcept { return inFlight_.identity(); }
    // What removeWrittenFile needs, once the file is finished.
    [[nodiscard]] const WrittenFile& written() const noexcept { return finished_; }

private:
    bool flush();
    void closeDescriptor() noexcept;

    InFlightFile inFlight_;
    int descriptor_ = -1;
    std::string held_;
    std::uint64_t length_ = 0;
    bool failed_ = false;
    WrittenFile finished_;
};

// The bytes as the whole content of the file at `path`, written through
// OutputFile. When `written` is given it describes the finished file. A file
// whose identity is `notThisFile` (the run's report, say) is left untouched
// and refused with 1.
[[nodiscard]] Outcome writeWholeFile(const std::string& path, std::span<const std::uint8_t> bytes,
                                     WrittenFile* written = nullptr, const FileIdentity* notThisFile = nullptr);

}  // namespace korvel
