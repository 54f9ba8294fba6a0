#include "usage_text.hpp"

#include "options/option_table.hpp"

namespace korvel {
namespace {

constexpr std::size_t kDescriptionColumn = 20;  // descriptions start in column 21

// "   -x --xsize       Barcode image width." and its example line.
std::string originalEntry(const OptionDefinition& option)
{
    std::string line = std::string("   -") + option.letter + " --" + std::string(option.name);
    line.resize(kDescriptionColumn, ' ');
    std::string entry = line + std::string(option.description) + "\n";
    if (!option.example.empty()) {
        entry += std::string(kDescriptionColumn, ' ') + "Example: " + std::string(option.example) + "\n";
    }
    return entry;
}

// "   --gs1-separator  " and the description, whose further lines are
// indented to the description column.
std::string extendedEntry(const OptionDefinition& option)
{
    std::string line = "   --" + std::string(option.name) + "  ";
    if (line.size() < kDescriptionColumn) {
        line.resize(kDescriptionColumn, ' ');
    }
    for (const char c : option.description) {
        line += c;
        if (c == '\n') {
            line.append(kDescriptionColumn, ' ');
        }
    }
    return line + "\n";
}

}  // namespace

std::string usageText()
{
    std::string text;
    text += kBannerLine;
    text += "\nUsage:  korvel [OPTIONS] filename\n";
    text += "Example:  korvel -x 120 -y 120 -d 1234567890 c:\\datamatrix.png\n";
    text += "Options:\n";
    for (const OptionDefinition& option : optionTable()) {
        if (!option.fullNameOnly()) {
            text += originalEntry(option);
        }
    }
    text += "\nExtended options:\n";
    for (const OptionDefinition& option : optionTable()) {
        if (option.fullNameOnly()) {
            text += extendedEntry(option);
        }
    }
    return text;
}

bool printUsage(std::FILE* stream)
{
    const std::string text = usageText();
    const bool written = std::fwrite(text.data(), 1, text.size(), stream) == text.size();
    return std::fflush(stream) == 0 && written;
}

}  // namespace korvel
