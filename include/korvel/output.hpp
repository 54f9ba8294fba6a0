#pragma once
// Where writers send their bytes: a buffer, a stream, an open C stream, or a
// named file that is left complete or not at all.

#include <cstdint>
#include <cstdio>
#include <functional>
#include <iosfwd>
#include <span>
#include <string>
#include <vector>

#include "korvel/result_code.hpp"

namespace korvel {

// The image formats the writers make; Text is the terminal preview of text_writer.hpp.
enum class OutputType { Png, Svg, Eps, Pdf, Text };

// Takes the next bytes of the output; false when they could not be stored.
using ByteSink = std::function<bool(std::span<const std::uint8_t> bytes)>;

// Appends to the buffer.
[[nodiscard]] ByteSink bufferSink(std::vector<std::uint8_t>& buffer);
// Writes to the stream (not flushed).
[[nodiscard]] ByteSink streamSink(std::ostream& stream);
// Writes to the open C stream (not flushed).
[[nodiscard]] ByteSink fileSink(std::FILE* file);

// Produces the output into the file at `path`: `produce` is given a sink
// that collects the bytes in memory, and only then is the file opened and
// written, so that a failure while producing creates or touches nothing. An
// existing file is overwritten in place (it keeps its permissions and hard
// links) and cut to the new length. When writing fails, no partly written
// regular file is left behind. Results: what `produce` returned when it
// failed (13 for Fail), 12 when the file cannot be opened, 13 when a write
// or the close fails (a full disk, a file size limit, a reader that went away).
[[nodiscard]] Outcome writeFile(const std::string& path, const std::function<Outcome(const ByteSink&)>& produce);

}  // namespace korvel
