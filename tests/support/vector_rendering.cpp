#include "support/vector_rendering.hpp"

#include <algorithm>

#include "support/png_file.hpp"

namespace korvel::testing {
namespace {

constexpr int kNotInstalled = 127;
const char* const kInputs[] = {"in.svg", "in.eps", "in.pdf"};

Rendering renderingOf(const DocumentRun& run)
{
    Rendering rendering;
    rendering.rendererMissing = run.process.exited && run.process.exitStatus == kNotInstalled;
    const auto png = decodePng(run.output, PngPixels::Rgb);
    rendering.image = png ? toRaster(*png) : nullptr;
    if (!rendering.image) {
        rendering.problem = "no image from the renderer: " + run.process.err;
    }
    return rendering;
}

}  // namespace

DocumentRun runOnDocument(VectorFormat format, const std::string& document, const std::string& program,
                          const std::vector<std::string>& arguments)
{
    const ScratchDirectory scratch;
    const char* input = kInputs[static_cast<int>(format)];
    scratch.write(input, document);
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
    return renderingOf(run);
}

Rendering renderWithPoppler(const std::string& pdf, int dotsPerInch)
{
    // pdftoppm takes the output's name after the input: a shell puts it there.
    return renderingOf(runOnDocument(VectorFormat::Pdf, pdf, "sh",
                                     {"-c", "pdftoppm -png -singlefile -r " + std::to_string(dotsPerInch) +
                                                " \"$0\" out"}));
}

}  // namespace korvel::testing
