#include "output_plan.hpp"

#include <array>
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

Outcome refuse(const char* why) { return {ResultCode::InvalidArgument, why}; }

// The combinations of destination and print options that the command refuses.
Outcome checkCombinations(const Settings& settings, const char* path, bool standardOutputIsTerminal,
                          OutputType type)
{
    const PrintSettings& print = settings.print;
    if (print.toStandardOutput && path != nullptr) {
        return refuse("--stdout and a file name cannot be combined");
    }
    if (print.toStandardOutput && standardOutputIsTerminal && type != OutputType::Text) {
        return refuse("--stdout will not write an image onto a terminal");
    }
    if (!print.toStandardOutput && path == nullptr) {
        return ResultCode::EmptyOutputFileName;
    }
    if (settings.printHumanReadable && print.toStandardOutput) {
        return refuse("--hri and --stdout cannot be combined: the image takes standard output");
    }
    if (settings.printHumanReadable && settings.reportPath == kStandardOutputName) {
        return refuse("--hri and --report=- cannot be combined: the report holds the human-readable text");
    }
    if (print.moduleMillimetres && settings.imageSizeGiven) {
        return refuse("--module-mm cannot be combined with -x or -y");
    }
    if (print.moduleMillimetres && type == OutputType::Png && !print.dotsPerInch) {
        return refuse("--module-mm needs --dpi for a PNG image");
    }
    return ResultCode::Ok;
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

Outcome planOutput(const Settings& settings, const char* path, bool standardOutputIsTerminal, OutputPlan& plan)
{
    const PrintSettings& print = settings.print;
    plan.type = print.type.value_or(path != nullptr ? typeForFileName(path) : OutputType::Png);
    if (Outcome checked = checkCombinations(settings, path, standardOutputIsTerminal, plan.type); !checked.ok()) {
        return checked;
    }
    plan.path = path;
    plan.render = renderOptionsOf(settings);
    if (print.moduleMillimetres && plan.type == OutputType::Png) {
        // A new option gets no 16-bit wrap-around: a side beyond 65535 pixels is refused.
        plan.render.moduleSize = modulePixelsAt(*print.moduleMillimetres, *print.dotsPerInch);
        plan.render.wrapSixteenBitSize = false;
    }
    plan.png.dotsPerInch = print.dotsPerInch;
    plan.png.palette = print.palette;
    plan.vector.moduleMillimetres = print.moduleMillimetres;
    plan.vector.dotsPerInch = print.dotsPerInch.value_or(kDefaultDotsPerInch);
    plan.text.ansiColours = print.toStandardOutput && standardOutputIsTerminal;
    return ResultCode::Ok;
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

void describePlannedImage(const Symbol& symbol, const OutputPlan& plan, SymbolReport& report)
{
    if (plan.type == OutputType::Png) {
        describePngImage(symbol, plan.render, plan.png, report);
    } else {
        describeVectorImage(symbol, plan.render, plan.vector, report);
    }
}

}  // namespace korvel
