#pragma once
// A file that data is read from: a named file, or standard input for "-".
// Failures name the file and say what the system reported.

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>

#include "korvel/result_code.hpp"

namespace korvel {

// No symbol holds more than 3116 data characters, and no text of more bytes
// than this encodes to fewer codewords than that, escapes included (an ECI
// escape is 8 characters). Readers keep at most this many bytes plus one of
// one piece of data, so that the encoder still sees data too long for any
// symbol and fails as it would for the whole, without the program holding a
// file or line of any size in memory.
inline constexpr std::size_t kMaxDataBytes = 64 * 1024;

class InputFile {
public:
    // Opens the file at `path`, or takes standard input when it is "-".
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // 18 with "name: reason" when the file could not be opened or a read
    // failed; success otherwise.
    [[nodiscard]] const Outcome& status() const noexcept { return status_; }

    // Reads the next bytes into `buffer`; 0 at the end of the file or after a
    // failure (status() tells which).
    [[nodiscard]] std::size_t read(std::span<char> buffer);

    // The number of lines (LF-terminated, plus an unterminated last one) from
    // where reading started, when the file is a regular file that can be read
    // at an offset; nothing for pipes and terminals. Does not move the
    // reading position.
    [[nodiscard]] std::optional<std::uint64_t> countLines() const;

private:
    void fail(int error);

    std::string name_;
    std::FILE* file_ = nullptr;
    bool owned_ = false;
    std::int64_t start_ = -1;  // offset where reading began, when the file has one
    Outcome status_;
};

// Reads the whole file at `path` ("-": standard input) into `data`, keeping
// at most kMaxDataBytes + 1 bytes. `data` is left alone on failure.
[[nodiscard]] Outcome readDataFile(const std::string& path, std::string& data);

// Removes one final LF or CR LF, for data that is a line of text.
void dropFinalLineEnd(std::string& data);

}  // namespace korvel
