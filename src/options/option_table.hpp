#pragma once
// The options of korvel as data: one row per option with its names, the kind
// and range of its value and its usage line. The command line scans, parses,
// checks and describes its options from these rows, and other programs (the
// HTTP service) use the same names, values and ranges.

#include <cstdint>
#include <span>
#include <string_view>

namespace korvel {

// Every option, in the order of the table: the eighteen original options
// (which also have a one-letter form and are matched by prefixes of their
// long names), then the options added later (full long names only).
enum class OptionId : std::uint8_t {
    Help,
    XSize,
    YSize,
    XDim,
    Data,
    Format,
    Mode,
    Orientation,
    Background,
    Foreground,
    QuietZone,
    AlignH,
    AlignV,
    StructuredAppend,
    SequencePosition,
    SequenceTotal,
    SequenceId,
    QuietZoneSize,
    Gs1,
    Gs1NoCheck,
    Gs1Separator,
    Hibc,
    Hri,
    Type,
    ModuleMm,
    Dpi,
    Palette,
    Time,
    Stdout,
    Batch,
    Input,
    Jobs,
    Verify,
    Report,
    Shape,
    Dmre,
    Utf8,
    Minimal,
    Version,
    HriText,
    Cmyk,
    NoBackground,
    Dots,
    InkSpread,
};

// What an option's value is.
enum class ValueKind : std::uint8_t {
    None,     // a flag: it takes no value
    Integer,  // a whole number in the option's range (or, for orientation, one of its values)
    Decimal,  // a decimal number, "." as the point, in the option's range
    Color,    // RRGGBB in hexadecimal
    Text,     // any text (the data)
    Path,     // a file name, "-" for standard input or output; not empty
    Keyword,  // one of the option's keywords, in any letter case
};

// A keyword value and the number it stands for (an enumerator's value).
struct Keyword {
    std::string_view name;
    std::int64_t value;
};

struct IntegerRange {
    std::int64_t low = 0;
    std::int64_t high = 0;
};

// From `low` (excluded when lowExcluded) to `high`, both included otherwise.
struct DecimalRange {
    double low = 0.0;
    bool lowExcluded = false;
    double high = 0.0;
};

// How the command line reads the value of one of the eighteen original
// options: like atoi, atof or a hexadecimal colour, a value outside
// `accepted` being dropped without a message. Options added later are read
// strictly everywhere.
enum class CommandReading : std::uint8_t {
    Strict,   // the whole text, in range, else an error
    Lenient,  // the original reading, values outside `accepted` dropped
};

struct OptionDefinition {
    OptionId id{};
    char letter = '\0';      // the one-letter form, '\0' for options that have none
    std::string_view name;  // the long name, without "--"
    ValueKind kind = ValueKind::None;
    IntegerRange integers;  // Integer: the strict range
    DecimalRange decimals;  // Decimal: the strict range
    std::span<const std::int64_t> allowed;  // Integer: the only values allowed, when not empty
    std::span<const Keyword> keywords;      // Keyword: the keywords
    CommandReading reading = CommandReading::Strict;
    IntegerRange accepted;         // Lenient Integer: the values the command line keeps
    DecimalRange acceptedDecimals;  // Lenient Decimal: the values the command line keeps
    // The usage text: the description (lines separated by '\n') and, for the
    // original options, the example line's text (empty for none).
    std::string_view description;
    std::string_view example;

    [[nodiscard]] constexpr bool takesValue() const noexcept { return kind != ValueKind::None; }
    // Options added after the original eighteen are selected by their full
    // long names only.
    [[nodiscard]] constexpr bool fullNameOnly() const noexcept { return letter == '\0'; }
};

// All rows, in OptionId order.
[[nodiscard]] std::span<const OptionDefinition> optionTable() noexcept;

[[nodiscard]] const OptionDefinition& optionDefinition(OptionId id) noexcept;

// The option with exactly this long name (no prefixes), or null.
[[nodiscard]] const OptionDefinition* findOption(std::string_view longName) noexcept;

// The option with this one-letter form, or null.
[[nodiscard]] const OptionDefinition* findOptionByLetter(char letter) noexcept;

}  // namespace korvel
