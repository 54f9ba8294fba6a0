#include "support/vector_rendering.hpp"

#include <algorithm>
#include <fstream>

#include "support/png_file.hpp"

namespace korvel::testing {
namespace {

constexpr int kNotInstalled = 127;
const char* const kInputs[] = {"in.svg", "in.eps", "in.pdf"};

// An 8-bit RGB or RGBA image as RGB; the alpha channel is dropped, as the
// background rectangle must leave nothing transparent.
std::unique_ptr<RasterImage> toRaster(const DecodedPng& png)
{
    const std::uint32_t channels = png.colorType == 6 ? 4 : 3;
    auto image = std::make_unique<RasterImage>(static_cast<std::int32_t>(png.width),
                                               static_cast<std::int32_t>(png.height), kWhite);
    if (png.bitDepth != 8 || (png.colorType != 2 && png.colorType != 6) || !image->allocate()) {
        return nullptr;
    }
    for (std::uint32_t y = 0; y < png.height; ++y) {
        for (std::uint32_t x = 0; x < png.width; ++x) {
            std::copy_n(png.pixels.data() + y * png.rowBytes + x * channels, 3,
                        image->row(static_cast<std::int32_t>(y)) + 3 * x);
        }
    }
    return image;
}

}  // namespace

DocumentRun runOnDocument(VectorFormat format, const std::string& document, const std::string& program,
                          const std::vector<std::string>& arguments)
{
    const ScratchDirectory scratch;
    const char* input = kInputs[static_cast<int>(format)];
    std::ofstream(scratch.file(input), std::ios::binary) << document;
    std::vector<std::string> command{program};
    command.insert(command.end(), arguments.begin(), arguments.end());
    command.emplace_back(input);
    DocumentRun run{runProcess("/usr/bin/env", command, scratch.path()), {}};
    run.output = readFileBytes(scratch.path() / "out.png");
    return run;
}

Rendering renderDocument(VectorFormat format, const std::string& document, int dotsPerInch, int width, int height)
{
    const std::string r = std::to_string(dotsPerInch);
    const DocumentRun run =
        format == VectorFormat::Svg
            ? runOnDocument(format, document, "rsvg-convert",
                            {"--dpi-x=" + r, "--dpi-y=" + r, "-w", std::to_string(width), "-h",
                             std::to_string(height), "-o", "out.png"})
            : runOnDocument(format, document, "gs",
                            {"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-dEPSCrop", "-sDEVICE=png16m", "-r" + r,
                             "-dGraphicsAlphaBits=4", "-sOutputFile=out.png"});
    Rendering rendering;
    rendering.rendererMissing = run.process.exited && run.process.exitStatus == kNotInstalled;
    const auto png = decodePng(run.output);
    rendering.image = png ? toRaster(*png) : nullptr;
    if (!rendering.image) {
        rendering.problem = "no image from the renderer: " + run.process.err;
    }
    return rendering;
}

}  // namespace korvel::testing
