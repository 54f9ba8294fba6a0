#pragma once
// A symbol as text for a terminal: Unicode half blocks, two module rows per
// line and one character per module column, quiet zone included. Scanners
// read it off the screen.

#include <string>

#include "korvel/output.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"

namespace korvel {

struct TextOptions {
    // Black ink on white paper set with ANSI colour sequences, so that the
    // symbol scans whatever the terminal's own colours; without them the
    // text is plain UTF-8 and dark modules are the characters' ink.
    bool ansiColours = false;
};

// Writes the preview to the sink. Of the render options only the
// orientation, the quiet zone and hriText apply (the text line is centred
// under the symbol); module size, image size, colours and alignment do not.
// Failures: 1 render options outside their sets or hriText for data without
// such text, 4 a symbol too large, 5 an empty symbol, 14 memory ran out,
// 2 the sink refused the bytes.
[[nodiscard]] Outcome writeText(const Symbol& symbol, const RenderOptions& render, const TextOptions& text,
                                const ByteSink& sink);

// The same into the file at `path` (see writeFile).
[[nodiscard]] Outcome writeTextFile(const Symbol& symbol, const RenderOptions& render, const TextOptions& text,
                                    const std::string& path);

}  // namespace korvel
