#include "support/vector_rendering.hpp"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "support/png_file.hpp"
#include "support/process_runner.hpp"

namespace korvel::testing {
namespace {

constexpr int kRgb = 2;
constexpr int kRgba = 6;

std::unique_ptr<RasterImage> toRaster(const DecodedPng& png)
{
    if (png.bitDepth != 8 || (png.colorType != kRgb && png.colorType != kRgba)) {
        return nullptr;
    }
    const int channels = png.colorType == kRgba ? 4 : 3;
    auto image = std::make_unique<RasterImage>(static_cast<std::int32_t>(png.width),
                                               static_cast<std::int32_t>(png.height), kWhite);
    if (!image->allocate()) {
        return nullptr;
    }
    for (std::uint32_t y = 0; y < png.height; ++y) {
        const std::uint8_t* in = png.pixels.data() + y * png.rowBytes;
        std::uint8_t* out = image->row(static_cast<std::int32_t>(y));
        for (std::uint32_t x = 0; x < png.width; ++x, in += channels) {
            const int alpha = channels == 4 ? in[3] : 255;
            for (int c = 0; c < 3; ++c) {
                out[3 * x + static_cast<std::uint32_t>(c)] =
                    static_cast<std::uint8_t>((in[c] * alpha + 255 * (255 - alpha) + 127) / 255);
            }
        }
    }
    return image;
}

std::vector<std::string> rendererArguments(VectorFormat format, int dpi, int width, int height)
{
    const std::string r = std::to_string(dpi);
    if (format == VectorFormat::Svg) {
        return {"--dpi-x=" + r, "--dpi-y=" + r, "-w", std::to_string(width), "-h", std::to_string(height),
                "-f", "png", "-o", "out.png", "in.svg"};
    }
    std::vector<std::string> args{"-q", "-dSAFER", "-dBATCH", "-dNOPAUSE", "-sDEVICE=png16m", "-r" + r,
                                  "-dGraphicsAlphaBits=4", "-sOutputFile=out.png"};
    if (format == VectorFormat::Eps) {
        args.push_back("-dEPSCrop");
    }
    args.push_back(format == VectorFormat::Eps ? "in.eps" : "in.pdf");
    return args;
}

}  // namespace

std::optional<std::string> findProgram(const std::string& name)
{
    const char* path = std::getenv("PATH");
    std::istringstream directories(path != nullptr ? path : "/usr/bin:/bin");
    for (std::string directory; std::getline(directories, directory, ':');) {
        const std::filesystem::path candidate = std::filesystem::path(directory) / name;
        std::error_code error;
        if (!directory.empty() && std::filesystem::is_regular_file(candidate, error)) {
            return candidate.string();
        }
    }
    return std::nullopt;
}

const char* rendererOf(VectorFormat format) { return format == VectorFormat::Svg ? "rsvg-convert" : "gs"; }

Rendering renderDocument(VectorFormat format, const std::string& document, int dotsPerInch, int width, int height)
{
    Rendering rendering;
    const auto program = findProgram(rendererOf(format));
    if (!program) {
        rendering.problem = std::string(rendererOf(format)) + " is not installed";
        return rendering;
    }
    const ScratchDirectory scratch;
    const char* input = format == VectorFormat::Svg ? "in.svg" : format == VectorFormat::Eps ? "in.eps" : "in.pdf";
    std::ofstream(scratch.file(input), std::ios::binary) << document;
    const ProcessResult run =
        runProcess(*program, rendererArguments(format, dotsPerInch, width, height), scratch.path());
    if (!run.exited || run.exitStatus != 0) {
        rendering.problem = std::string(rendererOf(format)) + " failed: " + run.err;
        return rendering;
    }
    const auto png = decodePng(readFileBytes(scratch.path() / "out.png"));
    rendering.image = png ? toRaster(*png) : nullptr;
    if (!rendering.image) {
        rendering.problem = "the renderer's PNG cannot be read";
    }
    return rendering;
}

}  // namespace korvel::testing
