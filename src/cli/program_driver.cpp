#include "cli/program_driver.hpp"

#include <cstdio>
#include <new>
#include <string>

#include "cli/batch_runner.hpp"
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

// A value that an extended option refuses ends the run at once.
int reportInvalidValue(const char* option, const char* value)
{
    std::fprintf(stderr, "%s\nError: Invalid value for %s: %s.\n", kBannerLine, option, value);
    std::fflush(stderr);
    return toExitStatus(ResultCode::InvalidArgument);
}

// Writes a text that a run ends with (usage, version) to standard output;
// text that never reached its reader is not a success.
int printAndEnd(bool printed) { return printed ? 0 : report(ResultCode::Fail); }

bool printVersion()
{
    const bool written = std::fputs(kBannerLine, stdout) >= 0 && std::fputc('\n', stdout) != EOF;
    return std::fflush(stdout) == 0 && written;
}

// Everything after the options: the symbol, the image and the file. The
// image is drawn before the file is opened, so that a run that fails there
// leaves an existing file alone.
Outcome produceSymbol(const Settings& settings, const char* outputPath)
{
    if (const ResultCode checked = checkSettings(settings); checked != ResultCode::Ok) {
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
    return writeFile(outputPath, [&image](const ByteSink& sink) { return Outcome(image.write(sink)); });
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
            case kBatchOption:
            case kInputOption:
            case kJobsOption:
                if (!applySourceOption(code, scanner.optionValue(), settings.source)) {
                    return reportInvalidValue("--jobs", scanner.optionValue());
                }
                break;
            default: applyOption(code, scanner.optionValue(), settings); break;
            }
        }
        if (Outcome sources = checkDataSource(settings.source); !sources.ok()) {
            return report(sources);
        }
        if (scanner.argIndex() >= argc || argv[scanner.argIndex()] == nullptr) {
            return report(ResultCode::EmptyOutputFileName);
        }
        const char* outputPath = argv[scanner.argIndex()];
        if (settings.source.batchPath) {
            return runBatch(settings, outputPath, produceSymbol);
        }
        if (Outcome loaded = loadInputData(settings.source, settings.symbol); !loaded.ok()) {
            return report(loaded);
        }
        const Outcome result = produceSymbol(settings, outputPath);
        return result.ok() ? 0 : report(result);
    } catch (const std::bad_alloc&) {
        return report(ResultCode::UnknownException);
    }
}

}  // namespace korvel
