#pragma once
// Where the command writes its image, in which format and how: the plan made
// from the settings and the file name, the image made as bytes, and the
// finished bytes written to their file or to standard output.

#include <cstdint>
#include <span>
#include <string_view>

#include "korvel/output.hpp"
#include "korvel/png_writer.hpp"
#include "korvel/render_options.hpp"
#include "korvel/report.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"
#include "korvel/text_writer.hpp"
#include "korvel/vector_writer.hpp"
#include "output/output_file.hpp"
#include "program_settings.hpp"

namespace korvel {

struct OutputPlan {
    OutputType type = OutputType::Png;
    const char* path = nullptr;  // null: standard output
    RenderOptions render;
    PngOptions png;  // its time is left to the caller
    VectorOptions vector;
    TextOptions text;
};

// The format a file name asks for: SVG, EPS or PDF for a name ending in
// .svg, .eps or .pdf in any letter case, PNG for every other name.
[[nodiscard]] OutputType typeForFileName(std::string_view name) noexcept;

// The plan for the settings and the file name (null when none was given);
// the combination rules are checked separately. A text preview sent to a
// terminal gets colours.
[[nodiscard]] OutputPlan planOutput(const Settings& settings, const char* path, bool standardOutputIsTerminal);

// The symbol written as the plan says, to the sink.
[[nodiscard]] Outcome writeImage(const Symbol& symbol, const OutputPlan& plan, const ByteSink& sink);

// Finished bytes to standard output. A reader that went away makes the
// write fail (SIGPIPE is ignored): 13 naming `what`.
[[nodiscard]] Outcome writeToStandardOutput(std::span<const std::uint8_t> bytes, const char* what);

// The finished image to the plan's file, never over the file with the
// identity `reportFile` (when not null), or to standard output. `written`
// describes the file for taking it back; the report learns where the image
// went and its hash.
[[nodiscard]] Outcome commitImage(const OutputPlan& plan, std::span<const std::uint8_t> bytes,
                                  const FileIdentity* reportFile, WrittenFile& written, SymbolReport* report);

// The report's image: the PNG's pixels, or the vector output's grid, with
// the physical size when the plan gives one.
void describePlannedImage(const Symbol& symbol, const OutputPlan& plan, SymbolReport& report);

}  // namespace korvel
