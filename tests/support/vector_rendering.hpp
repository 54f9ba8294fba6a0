#pragma once
// Real renderers and checkers (rsvg-convert, Ghostscript, qpdf, found in
// PATH) run on SVG, EPS and PDF documents.

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
    std::unique_ptr<RasterImage> image;  // RGB
    std::string problem;                 // set when there is no image
};

// The document rendered at `dotsPerInch`, anti-aliased so that gaps between
// modules would show; an SVG at exactly width x height pixels, as its size in
// millimetres has only a few decimals.
[[nodiscard]] Rendering renderDocument(VectorFormat format, const std::string& document, int dotsPerInch,
                                       int width, int height);

// A PDF rendered by poppler (pdftoppm) at `dotsPerInch`, anti-aliased.
[[nodiscard]] Rendering renderWithPoppler(const std::string& pdf, int dotsPerInch);

// The terminal preview as a screen shows it: colour sequences dropped, each
// half block two modules of 4 x 4 pixels, black on white, in a white frame
// of 8 pixels.
[[nodiscard]] std::unique_ptr<RasterImage> textPreviewImage(const std::string& text);

}  // namespace korvel::testing
