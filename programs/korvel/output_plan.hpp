#pragma once
// Where the command writes its image, in which format and how: the print
// options checked against each other and the file name.

#include <string_view>

#include "program_settings.hpp"
#include "korvel/output.hpp"
#include "korvel/png_writer.hpp"
#include "korvel/render_options.hpp"
#include "korvel/report.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"
#include "korvel/text_writer.hpp"
#include "korvel/vector_writer.hpp"

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

// Plans the output for the settings and the file name (null when none was
// given). Failures: 11 no file name without --stdout; 1 with a detail for
// --stdout with a file name or onto a terminal (but for the text preview,
// which then gets its colours), --module-mm with -x or -y,
// and --module-mm for a PNG without --dpi.
[[nodiscard]] Outcome planOutput(const Settings& settings, const char* path, bool standardOutputIsTerminal,
                                 OutputPlan& plan);

// The symbol written as the plan says, to the sink.
[[nodiscard]] Outcome writeImage(const Symbol& symbol, const OutputPlan& plan, const ByteSink& sink);

// The report's image: the PNG's pixels, or the vector output's grid, with
// the physical size when the plan gives one.
void describePlannedImage(const Symbol& symbol, const OutputPlan& plan, SymbolReport& report);

}  // namespace korvel
