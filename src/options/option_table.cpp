#include "options/option_table.hpp"

#include <algorithm>
#include <array>
#include <limits>

#include "korvel/gs1.hpp"
#include "korvel/output.hpp"
#include "korvel/render_options.hpp"
#include "korvel/symbol_format.hpp"
#include "korvel/symbol_options.hpp"
#include "korvel/vector_writer.hpp"

namespace korvel {
namespace {

constexpr std::int64_t kInt32Max = std::numeric_limits<std::int32_t>::max();
constexpr std::int64_t kInt32Min = std::numeric_limits<std::int32_t>::min();
// Values the command line keeps for options whose setter checks the range later.
constexpr IntegerRange kAnyInt32{kInt32Min, kInt32Max};
constexpr double kUnbounded = std::numeric_limits<double>::infinity();
constexpr std::int64_t kLatestTime = 253402300799;  // 9999-12-31 23:59:59 UTC
// The largest image side in pixels that the strict readings take, and the
// largest module size: an image drawn from modules is at most this wide.
constexpr std::int64_t kLargestImageSide = 65535;

constexpr std::array<std::int64_t, 4> kOrientations{0, 90, 180, 270};

template <typename E>
constexpr std::int64_t number(E value)
{
    return static_cast<std::int64_t>(value);
}

constexpr std::array<Keyword, 2> kGs1Separators{{{"fnc1", number(Gs1Separator::Fnc1)},
                                                 {"gs", number(Gs1Separator::GroupSeparator)}}};
constexpr std::array<Keyword, 5> kOutputTypes{{{"png", number(OutputType::Png)},
                                               {"svg", number(OutputType::Svg)},
                                               {"eps", number(OutputType::Eps)},
                                               {"pdf", number(OutputType::Pdf)},
                                               {"text", number(OutputType::Text)}}};
constexpr std::array<Keyword, 2> kShapes{{{"square", number(SymbolShape::Square)},
                                          {"rectangle", number(SymbolShape::Rectangle)}}};

using O = OptionId;
using K = ValueKind;

// A row being written: the option's names and kind, then what applies.
class Row {
public:
    // One of the original options, with its one-letter form.
    constexpr Row(OptionId id, char letter, std::string_view name, ValueKind kind)
    {
        definition_.id = id;
        definition_.letter = letter;
        definition_.name = name;
        definition_.kind = kind;
    }
    // An option added later: a long name only.
    constexpr Row(OptionId id, std::string_view name, ValueKind kind) : Row(id, '\0', name, kind) {}
    [[nodiscard]] constexpr Row integers(IntegerRange range) const
    {
        Row row = *this;
        row.definition_.integers = range;
        return row;
    }
    [[nodiscard]] constexpr Row decimals(DecimalRange range) const
    {
        Row row = *this;
        row.definition_.decimals = range;
        return row;
    }
    [[nodiscard]] constexpr Row allowed(std::span<const std::int64_t> values) const
    {
        Row row = *this;
        row.definition_.allowed = values;
        return row;
    }
    [[nodiscard]] constexpr Row keywords(std::span<const Keyword> words) const
    {
        Row row = *this;
        row.definition_.keywords = words;
        return row;
    }
    // The command line reads the value the original way and keeps it when in `accepted`.
    [[nodiscard]] constexpr Row lenient(IntegerRange accepted = {}) const
    {
        Row row = *this;
        row.definition_.reading = CommandReading::Lenient;
        row.definition_.accepted = accepted;
        return row;
    }
    // The command line reads the decimal the original way and keeps it when in `accepted`.
    [[nodiscard]] constexpr Row lenientDecimals(DecimalRange accepted) const
    {
        Row row = lenient();
        row.definition_.acceptedDecimals = accepted;
        return row;
    }
    [[nodiscard]] constexpr OptionDefinition usage(std::string_view description, std::string_view example = {}) const
    {
        OptionDefinition definition = definition_;
        definition.description = description;
        definition.example = example;
        return definition;
    }

private:
    OptionDefinition definition_;
};

// One row per option. The eighteen original options come first, in the
// order in which a prefix of a long name is matched and the usage text lists
// them; the options added later follow in the order they were added.
constexpr OptionDefinition kOptions[] = {
    Row(O::Help, 'h', "help", K::None)
        .usage("Display this usage information."),
    Row(O::XSize, 'x', "xsize", K::Integer).integers({1, kLargestImageSide}).lenient({1, kInt32Max})
        .usage("Barcode image width.", "-x 120"),
    Row(O::YSize, 'y', "ysize", K::Integer).integers({1, kLargestImageSide}).lenient({1, kInt32Max})
        .usage("Barcode image height.", "-y 120"),
    Row(O::XDim, 'n', "xdim", K::Decimal).decimals({0.5, false, static_cast<double>(kLargestImageSide)})
        .lenientDecimals({0.0, true, kUnbounded})
        .usage("X-Dimension.", "-n 5"),
    Row(O::Data, 'd', "data", K::Text).lenient()
        .usage("Set the data that is to be encoded in the barcode.", "-d 1234567890Data"),
    Row(O::Format, 'f', "fmt", K::Integer).integers({0, 48}).lenient({0, 48})
        .usage("Set the the preferred format. Possible Values: 0..30", "-f 11"),
    Row(O::Mode, 'm', "mode", K::Integer).integers({0, 6}).lenient({0, 6})
        .usage("Set the encoding mode. Possible Values: 0..6", "-m 4"),
    Row(O::Orientation, 'o', "orient", K::Integer).integers({0, 270}).allowed(kOrientations).lenient({0, 270})
        .usage("Set the orientation. Possible Values: 0, 90, 180, 270", "-o 90"),
    Row(O::Background, 'b', "bcolor", K::Color).lenient()
        .usage("Set the background color. Possible Values: 0x000000..0xffffff", "-b ffff00, means yellow color in RGB"),
    Row(O::Foreground, 'r', "fcolor", K::Color).lenient()
        .usage("Set the foreground color. Possible Values: 0x000000..0xffffff", "-r 000000, means black color"),
    Row(O::QuietZone, 'q', "qzone", K::Integer).integers({0, 1}).lenient(kAnyInt32)
        .usage("Show or not the quiet zones. Possible Values: 0 or 1", "-q 1"),
    Row(O::AlignH, 'z', "alignh", K::Integer).integers({0, 2}).lenient({0, 2})
        .usage("Set a horizontal barcode alignment. Possible Values: 0..2", "-z 1"),
    Row(O::AlignV, 'v', "alignv", K::Integer).integers({0, 2}).lenient({0, 2})
        .usage("Set a vertical  barcode alignment. Possible Values: 0..2", "-v 1"),
    Row(O::StructuredAppend, 's', "sapp", K::Integer).integers({0, 1}).lenient(kAnyInt32)
        .usage("Enable the structured append. Possible Values: 0 or 1", "-s 0"),
    Row(O::SequencePosition, 'p', "spos", K::Integer).integers({1, 16}).lenient(kAnyInt32)
        .usage("Position in the structured append. Possible Values: 1..16", "-p 1"),
    Row(O::SequenceTotal, 't', "stot", K::Integer).integers({2, 16}).lenient(kAnyInt32)
        .usage("Set total number of the symbols. Possible Values: 2..16", "-t 3"),
    Row(O::SequenceId, 'i', "sid", K::Integer).integers({1, StructuredAppend::kMaxId}).lenient(kAnyInt32)
        .usage("Set the Structured Append identification.", "-i 1234"),
    Row(O::QuietZoneSize, 'e', "qsize", K::Integer).integers({0, 32767}).lenient(kAnyInt32)
        .usage("Set quiet zone size.", "-e 2"),

    Row(O::Gs1, "gs1", K::None)
        .usage("The data is GS1: [01]09501101530003[10]AB, (01)...(10)...\n"
               "or a Digital Link URI; it is checked and FNC1 is added."),
    Row(O::Gs1NoCheck, "gs1-nocheck", K::None)
        .usage("As --gs1, checking only AIs, value lengths and characters."),
    Row(O::Gs1Separator, "gs1-separator", K::Keyword).keywords(kGs1Separators)
        .usage("After variable-length GS1 values: fnc1 (default) or gs."),
    Row(O::Hibc, "hibc", K::None)
        .usage("The data is a HIBC label: + and a check character are added."),
    Row(O::Hri, "hri", K::None)
        .usage("Print the human-readable text of GS1 or HIBC data on standard\n"
               "output (--hri-text draws it in the image)."),
    Row(O::Type, "type", K::Keyword).keywords(kOutputTypes)
        .usage("Output format: png, svg, eps, pdf or text. Without it, a file name\n"
               "ending in .svg, .eps or .pdf (any case) selects that format.\n"
               "text: a preview in Unicode half blocks for a terminal (--stdout may\n"
               "write it there); module size, image size, colours, dots and ink\n"
               "spread do not apply."),
    Row(O::ModuleMm, "module-mm", K::Decimal).decimals({0.0, true, kMaxModuleMillimetres})
        .usage("Module size in millimetres, above 0 and at most 100.\n"
               "For a PNG it needs --dpi; not together with -x or -y."),
    Row(O::Dpi, "dpi", K::Integer).integers({1, kMaxDotsPerInch})
        .usage("Resolution in dots per inch, 1..100000: a pHYs chunk in a PNG,\n"
               "the size of vector output without --module-mm (default 96)."),
    Row(O::Palette, "palette", K::None)
        .usage("Write the PNG as a two-colour indexed image, 1 bit per pixel."),
    Row(O::Time, "time", K::Integer).integers({0, kLatestTime})
        .usage("PNG time stamp in seconds since 1970-01-01 UTC, 0..253402300799;\n"
               "without it SOURCE_DATE_EPOCH, else the current time."),
    Row(O::Stdout, "stdout", K::None)
        .usage("Write the image to standard output instead of a file."),
    Row(O::Batch, "batch", K::Path)
        .usage("One symbol per line of the file (- for standard input).\n"
               "Example: --batch=labels.txt label-#####.png\n"
               "The last run of # in the file name becomes the line number;\n"
               "without #, -N goes before the extension."),
    Row(O::Input, "input", K::Path)
        .usage("Take the data from the file (- for standard input),\n"
               "byte for byte, without escapes. Example: --input=data.bin"),
    Row(O::Jobs, "jobs", K::Integer).integers({1, 256})
        .usage("Symbols of a batch made at once. Possible Values: 1..256\n"
               "(default: the number of processors)"),
    Row(O::Verify, "verify", K::None)
        .usage("Read the symbol back with an independent decoder and check the\n"
               "written image; write nothing when they differ (status 16)."),
    Row(O::Report, "report", K::Path)
        .usage("Describe the symbol as one line of JSON in this file (- for\n"
               "standard output). Example: --report=out.json"),
    Row(O::Shape, "shape", K::Keyword).keywords(kShapes)
        .usage("Set the shape chosen with -f 0. Possible Values: square, rectangle"),
    Row(O::Dmre, "dmre", K::None)
        .usage("Allow the rectangular extension formats 31..48 (DMRE)."),
    Row(O::Utf8, "utf8", K::None)
        .usage("Read the data as UTF-8 text; beyond ISO 8859-1 it gets ECI 26."),
    Row(O::Minimal, "minimal", K::None)
        .usage("Encode with the fewest codewords. Needs -m 0."),
    Row(O::Version, "version", K::None)
        .usage("Print the version line and exit."),
    Row(O::HriText, "hri-text", K::None)
        .usage("Draw the human-readable text under the symbol: GS1 and HIBC\n"
               "data as --hri prints it, other data as it is (printable ASCII only)."),
    Row(O::Cmyk, "cmyk", K::None)
        .usage("EPS and PDF colours in DeviceCMYK, so that black is black ink\n"
               "only. PNG and SVG are the same either way."),
    Row(O::NoBackground, "no-background", K::None)
        .usage("No background in SVG, EPS and PDF; a PNG shows the\n"
               "background colour transparent."),
    Row(O::Dots, "dots", K::Decimal).decimals({kMinDotDiameter, false, 1.0})
        .usage("Each dark module a dot of this diameter, a fraction of the\n"
               "module: 0.1..1.0. Example: --dots=0.8"),
    Row(O::InkSpread, "ink-spread", K::Decimal).decimals({0.0, false, kMaxInkSpread})
        .usage("Shrink dark areas against print gain by this fraction of a\n"
               "module: 0..0.5 (a PNG by whole pixels). Example: --ink-spread=0.15"),
};

constexpr bool inIdOrder()
{
    for (std::size_t i = 0; i < std::size(kOptions); ++i) {
        if (static_cast<std::size_t>(kOptions[i].id) != i) {
            return false;
        }
    }
    return true;
}
static_assert(inIdOrder(), "the rows follow the order of OptionId");

}  // namespace

std::span<const OptionDefinition> optionTable() noexcept { return kOptions; }

const OptionDefinition& optionDefinition(OptionId id) noexcept { return kOptions[static_cast<std::size_t>(id)]; }

const OptionDefinition* findOption(std::string_view longName) noexcept
{
    const auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                    [&](const OptionDefinition& option) { return option.name == longName; });
    return found != std::end(kOptions) ? &*found : nullptr;
}

const OptionDefinition* findOptionByLetter(char letter) noexcept
{
    if (letter == '\0') {
        return nullptr;
    }
    const auto found = std::find_if(std::begin(kOptions), std::end(kOptions),
                                    [&](const OptionDefinition& option) { return option.letter == letter; });
    return found != std::end(kOptions) ? &*found : nullptr;
}

}  // namespace korvel
