#include "program_options.hpp"

namespace korvel {
namespace {

std::string shortOptionLetters()
{
    std::string letters;
    for (const OptionDefinition& option : optionTable()) {
        if (option.letter != '\0') {
            letters += option.letter;
            if (option.takesValue()) {
                letters += ':';
            }
        }
    }
    return letters;
}

std::vector<LongOption> longOptionList()
{
    std::vector<LongOption> options;
    for (const OptionDefinition& option : optionTable()) {
        options.push_back({option.name, option.takesValue(), scannerCode(option), option.fullNameOnly()});
    }
    return options;
}

}  // namespace

const std::string kShortOptions = shortOptionLetters();
const std::vector<LongOption> kLongOptions = longOptionList();

int scannerCode(const OptionDefinition& option) noexcept
{
    return option.letter != '\0' ? static_cast<unsigned char>(option.letter)
                                 : kFirstLongOnlyCode + static_cast<int>(option.id);
}

const OptionDefinition* optionForCode(int code) noexcept
{
    if (code >= kFirstLongOnlyCode) {
        const auto index = static_cast<std::size_t>(code - kFirstLongOnlyCode);
        return index < optionTable().size() ? &optionTable()[index] : nullptr;
    }
    return code > 0 && code < kFirstLongOnlyCode ? findOptionByLetter(static_cast<char>(code)) : nullptr;
}

}  // namespace korvel
