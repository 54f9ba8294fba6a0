#include "program_settings.hpp"

#include <utility>

namespace korvel {
namespace {

using O = OptionId;

constexpr std::int32_t kLastFormat = 30;

bool inRange(std::int32_t value, std::int32_t low, std::int32_t high) { return value >= low && value <= high; }

// The option's number, which its row keeps within 32 bits.
std::int32_t int32(const OptionValue& value) { return static_cast<std::int32_t>(value.number); }

template <typename E>
E keyword(const OptionValue& value)
{
    return static_cast<E>(value.number);
}

void applySymbolOption(OptionId id, const OptionValue& value, Settings& s)
{
    switch (id) {
    case O::Data: s.symbol.data = std::string(value.text); break;
    case O::Format:
        s.formatWithDmre = int32(value);
        if (s.formatWithDmre <= kLastFormat) {
            s.symbol.preferredFormat = s.formatWithDmre;
        }
        break;
    case O::Mode: s.symbol.mode = encodingModeFromNumber(int32(value)).value_or(s.symbol.mode); break;
    case O::StructuredAppend: s.symbol.structuredAppend.enabled = value.number != 0; break;
    case O::SequencePosition: s.symbol.structuredAppend.position = int32(value); break;
    case O::SequenceTotal: s.symbol.structuredAppend.total = int32(value); break;
    case O::SequenceId: s.symbol.structuredAppend.id = int32(value); break;
    case O::Gs1:
    case O::Gs1NoCheck:
        s.gs1 = true;
        s.symbol.syntax = DataSyntax::Gs1;
        s.symbol.gs1.contentChecks = s.symbol.gs1.contentChecks && id == O::Gs1;
        break;
    case O::Gs1Separator: s.symbol.gs1Separator = keyword<Gs1Separator>(value); break;
    case O::Hibc:
        s.hibc = true;
        s.symbol.syntax = DataSyntax::Hibc;
        break;
    case O::Shape: s.symbol.shape = keyword<SymbolShape>(value); break;
    case O::Dmre: s.symbol.dmre = true; break;
    case O::Utf8: s.symbol.utf8 = true; break;
    case O::Minimal: s.symbol.minimal = true; break;
    default: break;
    }
}

void applyImageOption(OptionId id, const OptionValue& value, Settings& s)
{
    switch (id) {
    case O::XSize:
        s.imageSize.width = int32(value);
        s.imageSizeGiven = true;
        break;
    case O::YSize:
        s.imageSize.height = int32(value);
        s.imageSizeGiven = true;
        break;
    case O::XDim: s.render.moduleSize = value.decimal; break;
    case O::Orientation: s.render.orientation = orientationFromDegrees(int32(value)).value_or(s.render.orientation); break;
    case O::Background: s.render.background = value.color; break;
    case O::Foreground: s.render.foreground = value.color; break;
    case O::QuietZone: s.render.quietZone = value.number != 0; break;
    case O::AlignH: s.render.horizontal = alignmentFromNumber(int32(value)).value_or(s.render.horizontal); break;
    case O::AlignV: s.render.vertical = alignmentFromNumber(int32(value)).value_or(s.render.vertical); break;
    case O::QuietZoneSize: s.render.quietZoneSize = int32(value); break;
    case O::Type: s.print.type = keyword<OutputType>(value); break;
    case O::ModuleMm: s.print.moduleMillimetres = value.decimal; break;
    case O::Dpi: s.print.dotsPerInch = int32(value); break;
    case O::Palette: s.print.palette = true; break;
    case O::Time: s.print.time = value.number; break;
    case O::Stdout: s.print.toStandardOutput = true; break;
    case O::Cmyk: s.render.cmyk = true; break;
    case O::NoBackground: s.render.transparentBackground = true; break;
    case O::Dots: s.render.dotDiameter = value.decimal; break;
    case O::InkSpread: s.render.inkSpread = value.decimal; break;
    default: break;
    }
}

void applyRunOption(OptionId id, const OptionValue& value, Settings& s)
{
    switch (id) {
    case O::Hri: s.printHumanReadable = true; break;
    case O::HriText: s.render.hriText = true; break;
    case O::Batch: s.source.batchPath = std::string(value.text); break;
    case O::Input: s.source.inputPath = std::string(value.text); break;
    case O::Jobs: s.source.jobs = static_cast<unsigned>(value.number); break;
    case O::Verify: s.verify = true; break;
    case O::Report: s.reportPath = std::string(value.text); break;
    default: break;
    }
}

}  // namespace

void applyOption(const OptionDefinition& option, const OptionValue& value, Settings& s)
{
    applySymbolOption(option.id, value, s);
    applyImageOption(option.id, value, s);
    applyRunOption(option.id, value, s);
    s.given.add(option.id);
}

RunFacts runFacts(const Settings& s, const char* path, OutputType type, bool standardOutputIsTerminal)
{
    RunFacts facts = s.given;
    if (path != nullptr) {
        facts.add(RunCondition::OutputFileName);
    }
    if (standardOutputIsTerminal) {
        facts.add(RunCondition::StandardOutputTerminal);
    }
    if (type == OutputType::Png) {
        facts.add(RunCondition::PngOutput);
    }
    if (type == OutputType::Text) {
        facts.add(RunCondition::PreviewOutput);
    }
    if (s.reportPath == kStandardOutputName) {
        facts.add(RunCondition::ReportToStandardOutput);
    }
    if (s.symbol.mode != EncodingMode::Automatic) {
        facts.add(RunCondition::ExplicitMode);
    }
    return facts;
}

Outcome checkMarks(const Settings& s)
{
    return checkDotsAndSpread(s.render.dotDiameter, s.render.inkSpread);
}

Outcome checkRanges(const Settings& s)
{
    const StructuredAppend& sequence = s.symbol.structuredAppend;
    const bool accepted = inRange(sequence.position, 1, 16) && inRange(sequence.total, 2, 16) &&
                          inRange(sequence.id, 1, StructuredAppend::kMaxId) && s.render.quietZoneSize >= 0;
    return accepted ? ResultCode::Ok : ResultCode::InvalidArgument;
}

SymbolOptions symbolOptionsOf(const Settings& settings)
{
    SymbolOptions symbol = settings.symbol;
    if (symbol.dmre) {
        symbol.preferredFormat = settings.formatWithDmre;
    }
    return symbol;
}

RenderOptions renderOptionsOf(const Settings& settings)
{
    RenderOptions render = settings.render;
    if (settings.imageSizeGiven) {
        render.imageSize = settings.imageSize;
    }
    return render;
}

}  // namespace korvel
