#pragma once
// The keywords of the output methods: the program's render and print
// options with '_' for '-', read strictly, and the plan of one output.

#include <pybind11/pybind11.h>

#include <cstdint>
#include <optional>
#include <string_view>

#include "korvel/output.hpp"
#include "korvel/png_writer.hpp"
#include "korvel/render_options.hpp"
#include "korvel/vector_writer.hpp"

namespace korvel::python {

namespace py = pybind11;

struct RenderSettings {
    RenderOptions render;  // module size, orientation, colours, quiet zone, alignment
    std::optional<std::int32_t> width;   // xsize
    std::optional<std::int32_t> height;  // ysize
    std::optional<double> moduleMillimetres;
    std::optional<std::int32_t> dotsPerInch;
    bool palette = false;
    std::optional<std::int64_t> time;
    bool verify = false;
};

// Which keywords besides the render options a method takes.
enum class MethodKeywords { RenderOnly, WithVerify };

// Reads xdim, xsize, ysize, module_mm, dpi, fcolor, bcolor, qzone, qsize,
// orient, alignh, alignv, palette, time (and verify where the method takes
// it); None leaves a keyword at its default. Raises korvel.ArgumentError or
// ArgumentTypeError naming the keyword.
[[nodiscard]] RenderSettings renderSettingsOf(const py::kwargs& keywords, MethodKeywords accepted,
                                              std::string_view method);

// The output kind named by `kind` ('png', 'svg', 'eps', 'pdf', any letter
// case), or by the file ending of `path` when kind is None (PNG unless
// .svg, .eps or .pdf).
[[nodiscard]] OutputType outputKindOf(py::handle kind, std::string_view path);

// Everything one writer needs.
struct OutputPlan {
    OutputType type = OutputType::Png;
    RenderOptions render;
    PngOptions png;
    VectorOptions vector;
};

// The plan for one kind of output, with the program's rules: module_mm not
// with xsize/ysize, and for a PNG only with dpi; a PNG's time from `time`,
// else SOURCE_DATE_EPOCH, else the clock.
[[nodiscard]] OutputPlan planOutput(const RenderSettings& settings, OutputType type);

}  // namespace korvel::python
