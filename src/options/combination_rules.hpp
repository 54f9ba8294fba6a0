#pragma once
// Which options exclude or need each other, as one table: conflicts,
// requirements and the owners of standard output. A caller states which
// options (and a few conditions of the run) are in effect, and the first
// rule they break is the run's refusal.

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "korvel/result_code.hpp"
#include "options/option_table.hpp"

namespace korvel {

// Facts about a run that are not options themselves.
enum class RunCondition : std::uint8_t {
    OutputFileName,          // a file name was given for the image
    StandardOutputTerminal,  // standard output is a terminal
    PngOutput,               // the image is a PNG
    PreviewOutput,           // the output is the text preview, not an image
    ReportToStandardOutput,  // --report=-
    ExplicitMode,            // an encodation mode other than automatic
};

// Options and conditions in effect.
class RunFacts {
public:
    constexpr RunFacts() = default;
    constexpr RunFacts(std::initializer_list<OptionId> options, std::initializer_list<RunCondition> conditions = {})
    {
        for (const OptionId option : options) {
            add(option);
        }
        for (const RunCondition condition : conditions) {
            add(condition);
        }
    }
    constexpr void add(OptionId option) { set(static_cast<unsigned>(option)); }
    constexpr void add(RunCondition condition) { set(kFirstCondition + static_cast<unsigned>(condition)); }
    [[nodiscard]] constexpr bool has(OptionId option) const { return test(static_cast<unsigned>(option)); }
    [[nodiscard]] constexpr bool has(RunCondition condition) const
    {
        return test(kFirstCondition + static_cast<unsigned>(condition));
    }
    [[nodiscard]] constexpr bool hasAll(const RunFacts& other) const
    {
        return (bits_[0] & other.bits_[0]) == other.bits_[0] && (bits_[1] & other.bits_[1]) == other.bits_[1];
    }
    [[nodiscard]] constexpr bool hasAny(const RunFacts& other) const
    {
        return (bits_[0] & other.bits_[0]) != 0 || (bits_[1] & other.bits_[1]) != 0;
    }

private:
    static constexpr unsigned kFirstCondition = 100;
    constexpr void set(unsigned bit) { bits_[bit / 64] |= std::uint64_t{1} << (bit % 64); }
    [[nodiscard]] constexpr bool test(unsigned bit) const { return (bits_[bit / 64] >> (bit % 64) & 1U) != 0; }

    std::array<std::uint64_t, 2> bits_{};
};

enum class RuleKind : std::uint8_t {
    Conflict,        // `when` all in effect and any of `other` in effect
    Requirement,     // `when` all in effect and none of `other` in effect
    StandardOutput,  // a conflict of two owners of standard output
};

// Where a rule applies: every caller, or only the command line (rules
// about file names and standard output).
enum class RuleScope : std::uint8_t { Everywhere, CommandLine };

struct CombinationRule {
    RuleKind kind = RuleKind::Conflict;
    RuleScope scope = RuleScope::Everywhere;
    RunFacts when;
    RunFacts other;
    RunFacts exempt;  // none of these may be in effect for the rule to apply
    ResultCode code = ResultCode::InvalidArgument;
    std::string_view detail;  // the refusal's detail, naming the options
};

// The rules, in the order they are checked.
[[nodiscard]] std::span<const CombinationRule> combinationRules() noexcept;

// The first rule that the facts break, in table order, as its code and
// detail; success when none is broken. `scope` Everywhere leaves out the
// rules that only the command line has.
[[nodiscard]] Outcome checkCombinations(const RunFacts& facts, RuleScope scope = RuleScope::CommandLine);

}  // namespace korvel
