#include "cli/program_driver.hpp"

#include <cstdio>
#include <new>
#include <string>

#include "cli/option_scanner.hpp"
#include "cli/program_options.hpp"
#include "cli/program_settings.hpp"
#include "cli/usage_text.hpp"
#include "korvel/output.hpp"
#include "korvel/png_creator.hpp"
#include "korvel/rendering.hpp"
#include "korvel/symbol.hpp"

namespace korvel {
namespace {

// The exit status of a failed step is its result code's number.
int toExitStatus(ResultCode code) { return static_cast<int>(code); }

// The banner line and one message line on stderr; returns the exit status.
int reportLine(const std::string& message, ResultCode code)
{
    std::fputs(kBannerLine, stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    std::fputs(message.c_str(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
    return toExitStatus(code);
}

int report(const Outcome& outcome) { return reportLine(outcomeMessage(outcome), outcome.code); }

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
// image is drawn before the file is opened, so that a run that fails there
// leaves an existing file alone.
Outcome produceSymbol(const Settings& settings, const char* outputPath)
{
    if (Outcome checked = checkSettings(settings); !checked.ok()) {
        return checked;
    }
    Symbol symbol;
    if (Outcome encoded = encode(settings.symbol, symbol); !encoded.ok()) {
        return encoded;
    }
    const RenderOptions render = renderOptionsOf(settings);
    ImageSize size;
    if (Outcome sized = imageSize(symbol, render, size); !sized.ok()) {
        return sized;
    }
    PngCreator image(size.width, size.height, kWhite, PngCreator::kDefaultCompression);
    if (!image.allocate()) {
        return ResultCode::CantInitializePngCreator;
    }
    if (Outcome drawn = renderSymbol(symbol, render, image); !drawn.ok()) {
        return drawn;
    }
    Outcome written = writeFile(outputPath, [&image](const ByteSink& sink) { return Outcome(image.write(sink)); });
    if (written.ok() && settings.printHumanReadable && !printLine(symbol.humanReadableText())) {
        return ResultCode::Fail;
    }
    return written;
}

// "Error: Invalid value for --gs1-separator: x." for an added option's value.
int reportInvalidValue(int code, const char* value)
{
    std::string_view name = "?";
    for (const LongOption& option : kLongOptions) {
        name = option.code == code ? option.name : name;
    }
    return reportLine("Error: Invalid value for --" + std::string(name) + ": " + value + ".",
                      ResultCode::InvalidArgument);
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
