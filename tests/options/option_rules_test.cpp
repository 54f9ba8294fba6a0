// The options as data, as a second program (the HTTP service) uses them:
// look-up by name, strict readings with their ranges, the command line's own
// reading of the original options, and the combination rules.

#include <gtest/gtest.h>

#include <optional>
#include <set>
#include <string>

#include "korvel/output.hpp"
#include "options/combination_rules.hpp"
#include "options/option_table.hpp"
#include "options/option_value.hpp"

namespace korvel {
namespace {

TEST(OptionTable, NamesAndLettersAreUniqueAndFoundOnlyWhole)
{
    std::set<std::string_view> names;
    std::set<char> letters;
    for (const OptionDefinition& option : optionTable()) {
        EXPECT_TRUE(names.insert(option.name).second) << option.name;
        EXPECT_TRUE(option.fullNameOnly() || letters.insert(option.letter).second) << option.name;
        EXPECT_EQ(findOption(option.name), &option);
    }
    EXPECT_EQ(letters.size(), 18U);
    EXPECT_EQ(findOption("xs"), nullptr);  // prefixes are the command line's business
    EXPECT_EQ(findOptionByLetter('p')->name, "spos");
}

// What a value text gives, read strictly (every option) and as the command
// line reads it (the original options leniently, out-of-range values dropped).
TEST(OptionValue, StrictAndCommandLineReadings)
{
    const struct {
        const char* option;
        const char* text;
        std::optional<std::int64_t> strict;       // the number, or nothing for an invalid value
        std::optional<std::int64_t> commandLine;  // the number kept, or nothing when dropped or refused
    } cases[] = {
        {"xsize", "120", 120, 120},   {"xsize", "12ab", {}, 12},  {"xsize", "0", {}, {}},
        {"xsize", "-5", {}, {}},      {"orient", "90", 90, 90},    {"orient", "45", {}, {}},
        {"orient", "090", 90, 90},    {"spos", "17", {}, 17},      {"qzone", "5", {}, 5},
        {"fmt", "48", 48, 48},        {"dpi", "0", {}, {}},        {"dpi", "100000", 100000, 100000},
        {"jobs", "0256", 256, 256},   {"jobs", "257", {}, {}},     {"time", "253402300800", {}, {}},
        {"type", "SVG", static_cast<std::int64_t>(OutputType::Svg), static_cast<std::int64_t>(OutputType::Svg)},
        {"shape", "round", {}, {}},   {"xsize", "70000", {}, 70000},  // strict readings stop at 65535 pixels
    };
    for (const auto& c : cases) {
        const OptionDefinition& option = *findOption(c.option);
        for (const ValueReading reading : {ValueReading::Strict, ValueReading::CommandLine}) {
            const auto expected = reading == ValueReading::Strict ? c.strict : c.commandLine;
            std::optional<OptionValue> value;
            const Outcome read = readOptionValue(option, c.text, reading, value);
            EXPECT_EQ(value.has_value(), expected.has_value()) << c.option << " " << c.text;
            if (value && expected) {
                EXPECT_EQ(value->number, *expected) << c.option << " " << c.text;
            }
            const bool dropped = reading == ValueReading::CommandLine && option.reading == CommandReading::Lenient;
            EXPECT_EQ(read.ok(), expected.has_value() || dropped) << c.option << " " << c.text;
        }
    }
    std::optional<OptionValue> value;
    EXPECT_EQ(readOptionValue(*findOption("module-mm"), "1,5", ValueReading::Strict, value).detail,
              "invalid value for --module-mm: 1,5");
    EXPECT_EQ(readOptionValue(*findOption("bcolor"), "ff", ValueReading::Strict, value).code,
              ResultCode::InvalidArgument);
    EXPECT_EQ(readOptionValue(*findOption("bcolor"), "ff", ValueReading::CommandLine, value).code, ResultCode::Ok);
    EXPECT_EQ(value->color, Color::fromRgb(0x0000FF));
}

// The first rule broken decides; a caller without files or standard output
// leaves those rules out.
TEST(CombinationRules, FirstBrokenRuleInTableOrder)
{
    using O = OptionId;
    using C = RunCondition;
    const struct {
        RunFacts facts;
        RuleScope scope;
        ResultCode code;
        std::string detail;
    } cases[] = {
        {{{O::Data, O::Batch}, {C::OutputFileName}}, RuleScope::CommandLine, ResultCode::InvalidArgument,
         "--batch and --data both give the data; use one of them"},
        {{O::Hri}, RuleScope::CommandLine, ResultCode::EmptyOutputFileName, ""},
        {{O::Hri}, RuleScope::Everywhere, ResultCode::InvalidArgument, "--hri needs --gs1, --gs1-nocheck or --hibc"},
        {{{O::Hri, O::Gs1, O::Stdout}}, RuleScope::Everywhere, ResultCode::Ok, ""},
        {{{O::ModuleMm}, {C::PngOutput, C::OutputFileName}}, RuleScope::CommandLine, ResultCode::InvalidArgument,
         "--module-mm needs --dpi for a PNG image"},
        {{{O::ModuleMm, O::Dpi}, {C::PngOutput, C::OutputFileName}}, RuleScope::CommandLine, ResultCode::Ok, ""},
        {{{O::Minimal}, {C::ExplicitMode, C::OutputFileName}}, RuleScope::CommandLine, ResultCode::InvalidArgument,
         "--minimal chooses the schemes itself and needs -m 0"},
    };
    for (const auto& c : cases) {
        const Outcome checked = checkCombinations(c.facts, c.scope);
        EXPECT_EQ(checked.code, c.code) << c.detail;
        EXPECT_EQ(checked.detail, c.detail);
    }
}

// The rules' words for callers that name options without dashes: long
// names and one-letter forms become the long names, other dashes stay.
TEST(CombinationRules, DetailsInCallerNames)
{
    const struct {
        std::string_view detail;
        char separator;
        std::string_view words;
    } cases[] = {
        {"--module-mm cannot be combined with -x or -y", '-', "module-mm cannot be combined with xsize or ysize"},
        {"--module-mm cannot be combined with -x or -y", '_', "module_mm cannot be combined with xsize or ysize"},
        {"--minimal chooses the schemes itself and needs -m 0", '-', "minimal chooses the schemes itself and needs mode 0"},
        {"--utf8 cannot be combined with --gs1, --gs1-nocheck or --hibc (their data is plain ASCII)", '_',
         "utf8 cannot be combined with gs1, gs1_nocheck or hibc (their data is plain ASCII)"},
        {"--hri and --report=- cannot be combined", '-', "hri and report=- cannot be combined"},
        {"a well-known --no-such-option and -xy stay", '-', "a well-known --no-such-option and -xy stay"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(inCallerNames(c.detail, c.separator), c.words);
    }
    // A broken rule is reported against its latest option in effect.
    using O = OptionId;
    const RunFacts facts{{O::Data, O::Input}};
    const CombinationRule* rule = firstBrokenRule(facts, RuleScope::Everywhere);
    ASSERT_NE(rule, nullptr);
    EXPECT_EQ(ruleSubject(*rule, facts), O::Input);
}

}  // namespace
}  // namespace korvel
