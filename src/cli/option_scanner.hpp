#pragma once
// Walks an argument vector one option at a time: single-letter options (with
// clusters and attached values) and long options (with "=" values and unique
// or first-match prefixes). It stops at the first argument that is not an
// option and never reorders arguments.

#include <cstdio>
#include <span>
#include <string_view>

namespace korvel {

struct LongOption {
    std::string_view name;
    bool takesValue;
    char letter;
};

class OptionScanner {
public:
    static constexpr int kEnd = -1;
    static constexpr int kError = '?';

    // shortOptions: option letters, each followed by ':' when it takes a value.
    // Messages about bad options go to `messages`.
    OptionScanner(std::string_view shortOptions, std::span<const LongOption> longOptions,
                  std::FILE* messages = stderr) noexcept;

    // The next option's letter (its value in optionValue()), kError after
    // writing a message, or kEnd when no options remain.
    [[nodiscard]] int nextOption(int argc, const char* const* argv);

    // Index of the argument being examined; after kEnd, the first argument that
    // is not an option (argc when there is none).
    [[nodiscard]] int argIndex() const noexcept { return argIndex_; }
    [[nodiscard]] const char* optionValue() const noexcept { return optionValue_; }
    [[nodiscard]] char optionLetter() const noexcept { return optionLetter_; }

private:
    int nextLongOption(int argc, const char* const* argv, std::string_view argument);
    int nextShortOption(int argc, const char* const* argv, std::string_view argument);

    std::string_view shortOptions_;
    std::span<const LongOption> longOptions_;
    std::FILE* messages_;
    int argIndex_ = 1;
    const char* optionValue_ = nullptr;
    char optionLetter_ = 0;
    std::size_t clusterPosition_ = 0;
    int clusterArgument_ = -1;
};

}  // namespace korvel
