#pragma once
// Splits a batch file into numbered lines. Lines end with LF, and a CR right
// before the LF is removed; a last line without LF counts; a UTF-8
// byte-order mark at the very start is removed; empty lines are skipped but
// keep their numbers. Every other byte is data.

#include <array>
#include <cstdint>
#include <string>

#include "batch/input_file.hpp"

namespace korvel {

struct BatchLine {
    std::uint64_t number = 0;  // 1-based, counting empty lines
    std::string text;          // at most kMaxDataBytes + 1 bytes are kept
};

class LineReader {
public:
    explicit LineReader(InputFile& file) : file_(file) {}

    // The next line that is not empty; false at the end of the file or when
    // a read failed (the file's status() tells which).
    [[nodiscard]] bool next(BatchLine& line);

private:
    // Appends the bytes up to the next LF to `text` (keeping at most the
    // limit); false when the file ended first.
    bool readUntilLineEnd(std::string& text);
    bool refill();

    InputFile& file_;
    std::array<char, 64 * 1024> buffer_{};
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t number_ = 0;
    bool started_ = false;
    bool ended_ = false;
};

}  // namespace korvel
