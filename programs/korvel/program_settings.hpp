#pragma once
// The command's settings: one per option, each at its default until an
// accepted value arrives, and what each option does to them.

#include <cstdint>
#include <optional>
#include <string>

#include "data_source.hpp"
#include "korvel/output.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_options.hpp"
#include "options/combination_rules.hpp"
#include "options/option_table.hpp"
#include "options/option_value.hpp"

namespace korvel {

// The command sizes images by the barcode object's rule, wrapping sides
// beyond 65535 pixels.
[[nodiscard]] constexpr RenderOptions commandRenderDefaults()
{
    RenderOptions render;
    render.wrapSixteenBitSize = true;
    return render;
}

// The options of print output, each empty or off until given.
struct PrintSettings {
    std::optional<OutputType> type;
    std::optional<double> moduleMillimetres;
    std::optional<std::int32_t> dotsPerInch;
    bool palette = false;
    std::optional<std::int64_t> time;
    bool toStandardOutput = false;
};

struct Settings {
    SymbolOptions symbol;
    // The last -f value in 0..48, which --dmre makes the preferred format
    // whatever the order of the two options.
    std::int32_t formatWithDmre = 0;
    RenderOptions render = commandRenderDefaults();
    ImageSize imageSize{100, 100};  // used when -x or -y was given
    bool imageSizeGiven = false;
    PrintSettings print;
    bool verify = false;                    // --verify
    std::optional<std::string> reportPath;  // --report; "-" is standard output
    bool gs1 = false;   // --gs1 or --gs1-nocheck
    bool hibc = false;  // --hibc
    bool printHumanReadable = false;  // --hri
    DataSource source;
    RunFacts given;  // every option whose value was kept
};

// Where --report sends the report to standard output.
inline constexpr const char* kStandardOutputName = "-";

// The effect of an option whose value was read and kept: stores it in the
// settings (-h and --version act in the driver and store nothing).
void applyOption(const OptionDefinition& option, const OptionValue& value, Settings& settings);

// The options in effect and the conditions of the run, for the combination
// rules (options/combination_rules.hpp).
[[nodiscard]] RunFacts runFacts(const Settings& settings, const char* path, OutputType type,
                                bool standardOutputIsTerminal);

// Settings out of range, refused with 1 after the file name is known and
// before anything is encoded: the structured append position (1..16), total
// (2..16) and identification (1..64516), whether or not structured append
// is on, and the quiet zone size (0 or more).
// Dots that ink spread would shrink below the smallest dot.
[[nodiscard]] Outcome checkMarks(const Settings& settings);
[[nodiscard]] Outcome checkRanges(const Settings& settings);

// The symbol options of the run: with --dmre, the last -f in 0..48.
[[nodiscard]] SymbolOptions symbolOptionsOf(const Settings& settings);

// The render options of the run: a fixed image size when -x or -y was given.
[[nodiscard]] RenderOptions renderOptionsOf(const Settings& settings);

}  // namespace korvel
