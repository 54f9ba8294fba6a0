#include "option_scanner.hpp"

namespace korvel {

OptionScanner::OptionScanner(std::string_view shortOptions, std::span<const LongOption> longOptions,
                             std::FILE* messages) noexcept
    : shortOptions_(shortOptions), longOptions_(longOptions), messages_(messages)
{
}

int OptionScanner::nextOption(int argc, const char* const* argv)
{
    while (true) {
        if (argIndex_ >= argc || argv[argIndex_] == nullptr) {
            return kEnd;
        }
        const std::string_view argument = argv[argIndex_];
        if (argument.size() < 2 || argument[0] != '-') {
            return kEnd;  // a lone "-" or a non-option is the first remaining argument
        }
        if (argument == "--") {
            ++argIndex_;
            return kEnd;
        }
        if (argument[1] == '-') {
            return nextLongOption(argc, argv, argument);
        }
        const int result = nextShortOption(argc, argv, argument);
        if (result != kEnd) {
            return result;
        }
        // Every letter of the cluster was taken: go on with the next argument.
    }
}

int OptionScanner::nextLongOption(int argc, const char* const* argv, std::string_view argument)
{
    const std::string_view rest = argument.substr(2);
    const std::size_t equals = rest.find('=');
    const std::string_view given = rest.substr(0, equals);

    const LongOption* match = nullptr;
    for (const LongOption& option : longOptions_) {
        const bool matches = option.fullNameOnly ? option.name == given
                                                 : option.name.substr(0, given.size()) == given &&
                                                       given.size() <= option.name.size();
        if (matches) {
            match = &option;
            break;
        }
    }
    ++argIndex_;
    if (match == nullptr) {
        std::fprintf(messages_, "invalid option `%.*s'.\n", static_cast<int>(given.size()), given.data());
        return kError;
    }
    optionCode_ = match->code;
    if (!match->takesValue) {
        if (match->fullNameOnly && equals != std::string_view::npos) {
            std::fprintf(messages_, "argument not allowed: `%.*s'.\n", static_cast<int>(given.size()), given.data());
            return kError;
        }
        return match->code;
    }
    if (equals != std::string_view::npos) {
        optionValue_ = argv[argIndex_ - 1] + 2 + equals + 1;
        return match->code;
    }
    if (argIndex_ < argc && argv[argIndex_] != nullptr) {
        optionValue_ = argv[argIndex_];
        ++argIndex_;
        return match->code;
    }
    std::fprintf(messages_, "argument required: `%.*s'.\n", static_cast<int>(given.size()), given.data());
    return kError;
}

int OptionScanner::nextShortOption(int argc, const char* const* argv, std::string_view argument)
{
    if (clusterArgument_ != argIndex_) {
        clusterArgument_ = argIndex_;
        clusterPosition_ = 0;
    }
    const std::size_t at = clusterPosition_ + 1;
    if (at >= argument.size()) {
        ++argIndex_;
        return kEnd;
    }
    const char ch = argument[at];
    optionCode_ = static_cast<unsigned char>(ch);
    const std::size_t found = ch == ':' ? std::string_view::npos : shortOptions_.find(ch);
    if (found == std::string_view::npos) {
        std::fprintf(messages_, "Unknown option `-%c'.\n", ch);
        ++argIndex_;
        return kError;
    }
    const bool takesValue = found + 1 < shortOptions_.size() && shortOptions_[found + 1] == ':';
    if (!takesValue) {
        ++clusterPosition_;
        return ch;
    }
    if (at + 1 < argument.size()) {
        optionValue_ = argv[argIndex_] + at + 1;
        ++argIndex_;
        return ch;
    }
    if (argIndex_ + 1 < argc && argv[argIndex_ + 1] != nullptr) {
        optionValue_ = argv[argIndex_ + 1];
        argIndex_ += 2;
        return ch;
    }
    ++argIndex_;
    std::fprintf(messages_, "Missing argument for `-%c'.\n", ch);
    return kError;
}

}  // namespace korvel
