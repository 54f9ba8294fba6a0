#pragma once
// SVG, EPS and PDF documents rendered by real renderers installed on the
// system (rsvg-convert, Ghostscript) into raster images that tests compare
// and read, and qpdf's verdict on a PDF.

#include <memory>
#include <optional>
#include <string>

#include "korvel/raster_image.hpp"

namespace korvel::testing {

enum class VectorFormat { Svg, Eps, Pdf };

// The full path of a program found in PATH.
[[nodiscard]] std::optional<std::string> findProgram(const std::string& name);

// The program that renders a format: "rsvg-convert" or "gs".
[[nodiscard]] const char* rendererOf(VectorFormat format);

struct Rendering {
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
