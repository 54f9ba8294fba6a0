#include "cli/program_driver.hpp"

#include <cstdio>
#include <new>
#include <string>

#include "cli/option_scanner.hpp"
#include "cli/program_options.hpp"
#include "cli/program_settings.hpp"
#include "cli/usage_text.hpp"
#include "korvel/png_writer.hpp"
#include "korvel/symbol.hpp"

namespace korvel {
namespace {

// The exit status of a failed step is its result code's number.
int toExitStatus(ResultCode code) { return static_cast<int>(code); }

int report(const Outcome& outcome)
{
    std::fputs(kBannerLine, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    const std::string message = outcomeMessage(outcome);
    std::fputs(message.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    return toExitStatus(outcome.code);
}

// Writes a text that a run ends with (usage, version) to standard output;
// text that never reached its reader is not a success.
int printAndEnd(bool printed) { return printed ? 0 : report(ResultCode::Fail); }

// One line on standard output; false when it did not reach its reader.
bool printLine(const std::string& line)
{
    const bool written = std::fputs(line.c_str(), stdout) >= 0 && std::fputc('\n', stdout) != EOF;
    return std::fflush(stdout) == 0 && written;
}

bool printVersion() { return printLine(kBannerLine); }

// Everything after the options: the symbol, the image and the file. The
// image is laid out before the file is opened, so that a run that fails
// there leaves an existing file alone.
Outcome produceSymbol(const Settings& settings, const char* outputPath)
{
    if (Outcome checked = checkSettings(settings); !checked.ok()) {
        return checked;
    }
    Symbol symbol;
    if (Outcome encoded = encode(symbolOptionsOf(settings), symbol); !encoded.ok()) {
        return encoded;
    }
    Outcome written = writePngFile(symbol, renderOptionsOf(settings), PngOptions{}, outputPath);
    if (written.ok() && settings.printHumanReadable && !printLine(symbol.humanReadableText())) {
        return ResultCode::Fail;
    }
    return written;
}

// An extended option's value that is not one it takes ends the run at once.
int reportInvalidValue(int code, const char* value)
{
    std::string_view name;
    for (const LongOption& option : kLongOptions) {
        if (option.code == code) {
            name = option.name;
        }
    }
    std::fputs(kBannerLine, stderr);
    std::fprintf(stderr, "\nError: Invalid value for --%.*s: %s.\n", static_cast<int>(name.size()), name.data(), value);
    std::fflush(stderr);
    return toExitStatus(ResultCode::InvalidArgument);
}

}  // namespace

int runProgram(int argc, const char* const* argv)
{
    try {
        Settings settings;
        OptionScanner scanner(kShortOptions, kLongOptions);
        for (int code = scanner.nextOption(argc, argv); code != OptionScanner::kEnd;
             code = scanner.nextOption(argc, argv)) {
            switch (code) {
            case 'h': return printAndEnd(printUsage(stdout));
            case kVersionOption: return printAndEnd(printVersion());
            case OptionScanner::kError: static_cast<void>(printUsage(stderr)); return 1;
            default:
                if (!applyOption(code, scanner.optionValue(), settings)) {
                    return reportInvalidValue(code, scanner.optionValue());
                }
                break;
            }
        }
        if (scanner.argIndex() >= argc || argv[scanner.argIndex()] == nullptr) {
            return report(ResultCode::EmptyOutputFileName);
        }
        const Outcome result = produceSymbol(settings, argv[scanner.argIndex()]);
        return result.ok() ? 0 : report(result);
    } catch (const std::bad_alloc&) {
        return report(ResultCode::UnknownException);
    }
}

}  // namespace korvel
