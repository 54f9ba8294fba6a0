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

std::unique_ptr<RasterImage> textPreviewImage(const std::string& text)
{
    std::vector<std::vector<bool>> rows(2);
    for (std::size_t i = 0; i < text.size();) {
        if (text[i] == '\x1b') {
            i = text.find('m', i) + 1;
        } else if (text[i] == '\n') {
            rows.resize(rows.size() + 2);
            ++i;
        } else {
            const bool block = static_cast<unsigned char>(text[i]) >= 0x80;
            const std::string_view glyph(text.data() + i, block ? 3 : 1);
            rows[rows.size() - 2].push_back(glyph == "\u2588" || glyph == "\u2580");
            rows[rows.size() - 1].push_back(glyph == "\u2588" || glyph == "\u2584");
            i += glyph.size();
        }
    }
    auto image = std::make_unique<RasterImage>(4 * static_cast<std::int32_t>(rows[0].size()) + 16,
                                               4 * static_cast<std::int32_t>(rows.size()) + 16, kWhite);
    if (!image->allocate()) {
        return nullptr;
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            if (rows[r][c]) {
                image->fillRect(8 + 4 * static_cast<std::int32_t>(c), 8 + 4 * static_cast<std::int32_t>(r), 4, 4, kBlack);
            }
        }
    }
    return image;
}

}  // namespace korvel::testing
