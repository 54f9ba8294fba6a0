#include "output_plan.hpp"

#include <array>
#include <cstdio>
#include <string>
#include <utility>

namespace korvel {
namespace {

bool endsWithIgnoringCase(std::string_view name, std::string_view suffix)
{
    if (name.size() < suffix.size()) {
        return false;
    }
    const std::string_view end = name.substr(name.size() - suffix.size());
    for (std::size_t i = 0; i < suffix.size(); ++i) {
        const char c = end[i] >= 'A' && end[i] <= 'Z' ? static_cast<char>(end[i] - 'A' + 'a') : end[i];
        if (c != suffix[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

OutputType typeForFileName(std::string_view name) noexcept
{
    constexpr std::array<std::pair<std::string_view, OutputType>, 3> kSuffixes{
        {{".svg", OutputType::Svg}, {".eps", OutputType::Eps}, {".pdf", OutputType::Pdf}}};
    for (const auto& [suffix, type] : kSuffixes) {
        if (endsWithIgnoringCase(name, suffix)) {
            return type;
        }
    }
    return OutputType::Png;
}

OutputPlan planOutput(const Settings& settings, const char* path, bool standardOutputIsTerminal)
{
    const PrintSettings& print = settings.print;
    OutputPlan plan;
    plan.type = print.type.value_or(path != nullptr ? typeForFileName(path) : OutputType::Png);
    plan.path = path;
    plan.render = renderOptionsOf(settings);
    if (print.moduleMillimetres && print.dotsPerInch && plan.type == OutputType::Png) {
        // A new option gets no 16-bit wrap-around: a side beyond 65535 pixels is refused.
        plan.render.moduleSize = modulePixelsAt(*print.moduleMillimetres, *print.dotsPerInch);
        plan.render.wrapSixteenBitSize = false;
    }
    plan.png.dotsPerInch = print.dotsPerInch;
    plan.png.palette = print.palette;
    plan.vector.moduleMillimetres = print.moduleMillimetres;
    plan.vector.dotsPerInch = print.dotsPerInch.value_or(kDefaultDotsPerInch);
    plan.text.ansiColours = print.toStandardOutput && standardOutputIsTerminal;
    return plan;
}

Outcome writeImage(const Symbol& symbol, const OutputPlan& plan, const ByteSink& sink)
{
    switch (plan.type) {
    case OutputType::Svg: return writeSvg(symbol, plan.render, plan.vector, sink);
    case OutputType::Eps: return writeEps(symbol, plan.render, plan.vector, sink);
    case OutputType::Pdf: return writePdf(symbol, plan.render, plan.vector, sink);
    case OutputType::Text: return writeText(symbol, plan.render, plan.text, sink);
    case OutputType::Png: break;
    }
    return writePng(symbol, plan.render, plan.png, sink);
}

Outcome writeToStandardOutput(std::span<const std::uint8_t> bytes, const char* what)
{
    const bool written = fileSink(stdout)(bytes);
    if (std::fflush(stdout) != 0 || !written) {
        return {ResultCode::CantCloseOutputFile, std::string("standard output did not take the ") + what};
    }
    return ResultCode::Ok;
}

Outcome commitImage(const OutputPlan& plan, std::span<const std::uint8_t> bytes, const FileIdentity* reportFile,
                    WrittenFile& written, SymbolReport* report)
{
    const Outcome committed = plan.path == nullptr ? writeToStandardOutput(bytes, "image")
                                                   : writeWholeFile(plan.path, bytes, &written, reportFile);
    if (committed.ok() && report != nullptr) {
        report->outputFile = plan.path != nullptr ? plan.path : kStandardOutputName;
        report->sha256 = sha256Hex(bytes);
    }
    return committed;
}

void describePlannedImage(const Symbol& symbol, const OutputPlan& plan, SymbolReport& report)
{
    if (plan.type == OutputType::Png) {
        describePngImage(symbol, plan.render, plan.png, report);
    } else {
        describeVectorImage(symbol, plan.render, plan.vector, report);
    }
}

}  // namespace korvel
