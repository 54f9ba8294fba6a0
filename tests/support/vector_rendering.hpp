#pragma once
// SVG, EPS and PDF documents rendered by real renderers (rsvg-convert,
// Ghostscript) into raster images that tests compare and read, and other
// document checkers run on a document. Programs are looked up in PATH.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "korvel/raster_image.hpp"
#include "support/process_runner.hpp"

namespace korvel::testing {

enum class VectorFormat { Svg, Eps, Pdf };

struct DocumentRun {
    ProcessResult process;             // exit status 127: the program is not installed
    std::vector<std::uint8_t> output;  // what it wrote into out.png, if anything
};

// Runs `program` (found in PATH) with `arguments` and then the document,
// stored as in.svg, in.eps or in.pdf, in a scratch directory.
[[nodiscard]] DocumentRun runOnDocument(VectorFormat format, const std::string& document,
                                        const std::string& program, const std::vector<std::string>& arguments);

struct Rendering {
    bool rendererMissing = false;
    std::unique_ptr<RasterImage> image;  // RGB, transparency laid over white
    std::string problem;                 // set when there is no image
};

// Renders the document at `dotsPerInch` (Ghostscript anti-aliasing on, so
// that gaps between modules would show). An SVG is rendered to exactly
// width x height pixels, since its size in millimetres, written with a few
// decimals, need not come back as whole pixels.
[[nodiscard]] Rendering renderDocument(VectorFormat format, const std::string& document, int dotsPerInch,
                                       int width, int height);

}  // namespace korvel::testing
