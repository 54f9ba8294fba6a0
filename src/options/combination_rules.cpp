#include "options/combination_rules.hpp"

#include "korvel/render_options.hpp"

namespace korvel {
namespace {

using O = OptionId;
using C = RunCondition;

constexpr CombinationRule rule(RuleKind kind, RunFacts when, RunFacts other, std::string_view detail)
{
    CombinationRule made;
    made.kind = kind;
    made.when = when;
    made.other = other;
    made.detail = detail;
    return made;
}

// `when` in effect together with any of `other`.
constexpr CombinationRule conflict(RunFacts when, RunFacts other, std::string_view detail)
{
    return rule(RuleKind::Conflict, when, other, detail);
}

// `when` in effect without any of `other`.
constexpr CombinationRule requirement(RunFacts when, RunFacts other, std::string_view detail)
{
    return rule(RuleKind::Requirement, when, other, detail);
}

// The rule does not apply while any of `exempt` is in effect.
constexpr CombinationRule except(CombinationRule made, RunFacts exempt)
{
    made.exempt = exempt;
    return made;
}

constexpr CombinationRule commandLineOnly(CombinationRule made)
{
    made.scope = RuleScope::CommandLine;
    return made;
}

// Two owners of standard output; only the command line has one.
constexpr CombinationRule standardOutput(RunFacts when, RunFacts other, std::string_view detail)
{
    return commandLineOnly(rule(RuleKind::StandardOutput, when, other, detail));
}

constexpr CombinationRule withCode(CombinationRule made, ResultCode code)
{
    made.code = code;
    return made;
}

// In the order the command line has always checked them: the data sources,
// the destination of the image, standard output, print sizes, then the
// options that choose how data is read and encoded.
constexpr CombinationRule kRules[] = {
    conflict({O::Input}, {O::Batch}, "--input and --batch both give the data; use one of them"),
    conflict({O::Data}, {O::Input}, "--input and --data both give the data; use one of them"),
    conflict({O::Data}, {O::Batch}, "--batch and --data both give the data; use one of them"),
    commandLineOnly(conflict({O::Stdout}, {{}, {C::OutputFileName}}, "--stdout and a file name cannot be combined")),
    commandLineOnly(except(conflict({O::Stdout}, {{}, {C::StandardOutputTerminal}},
                                    "--stdout will not write an image onto a terminal"),
                           {{}, {C::PreviewOutput}})),
    commandLineOnly(withCode(requirement({}, {{O::Stdout}, {C::OutputFileName}}, ""), ResultCode::EmptyOutputFileName)),
    standardOutput({O::Hri}, {O::Stdout}, "--hri and --stdout cannot be combined: the image takes standard output"),
    standardOutput({O::Hri}, {{}, {C::ReportToStandardOutput}},
                   "--hri and --report=- cannot be combined: the report holds the human-readable text"),
    conflict({O::ModuleMm}, {O::XSize, O::YSize}, "--module-mm cannot be combined with -x or -y"),
    requirement({{O::ModuleMm}, {C::PngOutput}}, {O::Dpi}, "--module-mm needs --dpi for a PNG image"),
    conflict({O::Minimal}, {{}, {C::ExplicitMode}}, "--minimal chooses the schemes itself and needs -m 0"),
    conflict({O::Hibc}, {O::Gs1, O::Gs1NoCheck}, "--hibc cannot be combined with --gs1 or --gs1-nocheck"),
    conflict({O::Utf8}, {O::Gs1, O::Gs1NoCheck, O::Hibc},
             "--utf8 cannot be combined with --gs1, --gs1-nocheck or --hibc (their data is plain ASCII)"),
    requirement({O::Hri}, {O::Gs1, O::Gs1NoCheck, O::Hibc}, "--hri needs --gs1, --gs1-nocheck or --hibc"),
    standardOutput({O::Stdout}, {{}, {C::ReportToStandardOutput}}, "--stdout and --report=- both claim standard output"),
    standardOutput({O::Stdout}, {O::Batch}, "--stdout cannot take the many images of --batch"),
};

bool broken(const CombinationRule& rule, const RunFacts& facts)
{
    if (!facts.hasAll(rule.when) || facts.hasAny(rule.exempt)) {
        return false;
    }
    return rule.kind == RuleKind::Requirement ? !facts.hasAny(rule.other) : facts.hasAny(rule.other);
}

bool isNameCharacter(char c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-'; }

bool isLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

// The option an option reference at the start of `text` names ("--name" or
// "-x"), and the length of the reference; null when there is none.
const OptionDefinition* optionReference(std::string_view text, std::size_t& length)
{
    if (text.starts_with("--")) {
        length = 2;
        while (length < text.size() && isNameCharacter(text[length])) {
            ++length;
        }
        return findOption(text.substr(2, length - 2));
    }
    if (text.size() >= 2 && text[0] == '-' && isLetter(text[1]) && (text.size() == 2 || !isLetter(text[2]))) {
        length = 2;
        return findOptionByLetter(text[1]);
    }
    return nullptr;
}

}  // namespace

std::span<const CombinationRule> combinationRules() noexcept { return kRules; }

const CombinationRule* firstBrokenRule(const RunFacts& facts, RuleScope scope) noexcept
{
    for (const CombinationRule& rule : kRules) {
        if (scope == RuleScope::Everywhere && rule.scope == RuleScope::CommandLine) {
            continue;
        }
        if (broken(rule, facts)) {
            return &rule;
        }
    }
    return nullptr;
}

Outcome checkCombinations(const RunFacts& facts, RuleScope scope)
{
    const CombinationRule* rule = firstBrokenRule(facts, scope);
    if (rule == nullptr) {
        return ResultCode::Ok;
    }
    return {rule->code, std::string(rule->detail)};
}

OptionId ruleSubject(const CombinationRule& rule, const RunFacts& facts) noexcept
{
    const std::span<const OptionDefinition> table = optionTable();
    for (auto option = table.rbegin(); option != table.rend(); ++option) {
        if (facts.has(option->id) && (rule.when.has(option->id) || rule.other.has(option->id))) {
            return option->id;
        }
    }
    for (const OptionDefinition& option : table) {
        if (rule.when.has(option.id)) {
            return option.id;
        }
    }
    return OptionId::Help;
}

std::string inCallerNames(std::string_view detail, char separator)
{
    std::string words;
    words.reserve(detail.size());
    for (std::size_t at = 0; at < detail.size();) {
        const bool wordStart = at == 0 || detail[at - 1] == ' ' || detail[at - 1] == '(';
        std::size_t length = 0;
        const OptionDefinition* option = wordStart ? optionReference(detail.substr(at), length) : nullptr;
        if (option == nullptr) {
            words += detail[at++];
            continue;
        }
        for (const char c : option->name) {
            words += c == '-' ? separator : c;
        }
        at += length;
    }
    return words;
}

Outcome checkDotsAndSpread(std::optional<double> dotDiameter, double inkSpread)
{
    if (dotDiameter && *dotDiameter - inkSpread < kMinDotDiameter - 1e-9) {
        return {ResultCode::InvalidArgument, "--ink-spread leaves dots smaller than 0.1 of a module; --dots less "
                                             "--ink-spread must be at least 0.1"};
    }
    return ResultCode::Ok;
}

}  // namespace korvel
