#pragma once
// Walks an argument vector one option at a time: single-letter options (with
// clusters and attached values) and long options (with "=" values; the
// original options also by unique or first-match prefixes, options added
// later only by their full names). It stops at the first argument that is
// not an option and never reorders arguments.

#include <cstdio>
#include <span>
#include <string_view>

namespace korvel {

struct LongOption {
    std::string_view name;
    bool takesValue;
    int code;  // the letter of its one-letter form, or a code from kFirstLongOnlyCode up
    bool fullNameOnly = false;
};

// Codes of options that have no one-letter form lie outside the range of letters.
inline constexpr int kFirstLongOnlyCode = 256;

class OptionScanner {
public:
    static constexpr int kEnd = -1;
    static constexpr int kError = '?';

    // shortOptions: option letters, each followed by ':' when it takes a value.
    // Messages about bad options go to `messages`.
    OptionScanner(std::string_view shortOptions, std::span<const LongOption> longOptions,
                  std::FILE* messages = stderr) noexcept;

    // The next option's code (its value in optionValue()), kError after
    // writing a message, or kEnd when no options remain.
    [[nodiscard]] int nextOption(int argc, const char* const* argv);

    // Index of the argument being examined; after kEnd, the first argument that
    // is not an option (argc when there is none).
    [[nodiscard]] int argIndex() const noexcept { return argIndex_; }
    [[nodiscard]] const char* optionValue() const noexcept { return optionValue_; }
    [[nodiscard]] int optionCode() const noexcept { return optionCode_; }

private:
    int nextLongOption(int argc, const char* const* argv, std::string_view argument);
    int nextShortOption(int argc, const char* const* argv, std::string_view argument);

    std::string_view shortOptions_;
    std::span<const LongOption> longOptions_;
    std::FILE* messages_;
    int argIndex_ = 1;
    const char* optionValue_ = nullptr;
    int optionCode_ = 0;
    std::size_t clusterPosition_ = 0;
    int clusterArgument_ = -1;
};

}  // namespace korvel
