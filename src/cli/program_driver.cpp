#include "cli/program_driver.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include "cli/image_time.hpp"
#include "cli/option_scanner.hpp"
#include "cli/option_values.hpp"
#include "cli/output_plan.hpp"
#include "cli/program_options.hpp"
#include "cli/program_settings.hpp"
#include "cli/usage_text.hpp"
#include "korvel/output.hpp"
#include "korvel/rendering.hpp"
#include "korvel/symbol.hpp"

namespace korvel {
namespace {

// The exit status of a failed step is its result code's number.
int toExitStatus(ResultCode code) { return static_cast<int>(code); }

// The banner line and one message line on stderr; the status to end with.
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

// An option value outside the option's range, named by the option's long form.
int reportInvalidValue(int code, const char* value)
{
    for (const LongOption& option : kLongOptions) {
        if (option.code == code) {
            return reportLine(invalidValueMessage("--" + std::string(option.name), value), ResultCode::InvalidArgument);
        }
    }
    return report(ResultCode::InvalidArgument);
}

// Writes a text that a run ends with (usage, version) to standard output;
// text that never reached its reader is not a success.
int printAndEnd(bool printed) { return printed ? 0 : report(ResultCode::Fail); }

bool printVersion()
{
    const bool written = std::fputs(kBannerLine, stdout) >= 0 && std::fputc('\n', stdout) != EOF;
    return std::fflush(stdout) == 0 && written;
}

// The image made whole in memory, then written to standard output, so that a
// failure on the way sends nothing. A reader that went away makes the write
// fail (SIGPIPE is ignored): 13.
Outcome writeToStandardOutput(const Symbol& symbol, const OutputPlan& plan)
{
    std::vector<std::uint8_t> image;
    if (Outcome made = writeImage(symbol, plan, bufferSink(image)); !made.ok()) {
        return made;
    }
    const bool written = std::fwrite(image.data(), 1, image.size(), stdout) == image.size();
    if (std::fflush(stdout) != 0 || !written) {
        return {ResultCode::CantCloseOutputFile, "standard output did not take the image"};
    }
    return ResultCode::Ok;
}

// Everything after the options: the symbol, the image and the file. The
// image is drawn before the file is opened, so that a run that fails there
// leaves an existing file alone.
Outcome produceSymbol(const Settings& settings, const OutputPlan& plan)
{
    if (Outcome checked = checkSettings(settings); !checked.ok()) {
        return checked;
    }
    Symbol symbol;
    if (Outcome encoded = encode(symbolOptionsOf(settings), symbol); !encoded.ok()) {
        return encoded;
    }
    ImageSize size;
    if (plan.type == OutputType::Png && settings.print.moduleMillimetres &&
        !imageSize(symbol, plan.render, size).ok()) {
        return {ResultCode::InvalidArgument, "--module-mm at this --dpi makes the image larger than 65535 pixels"};
    }
    return plan.path != nullptr ? writeImageFile(symbol, plan) : writeToStandardOutput(symbol, plan);
}

// The output plan and the PNG's time; the status to end with when either is refused.
std::optional<int> planRun(const Settings& settings, const char* path, OutputPlan& plan)
{
    if (Outcome planned = planOutput(settings, path, isatty(STDOUT_FILENO) == 1, plan); !planned.ok()) {
        return report(planned);
    }
    const char* sourceDateEpoch = std::getenv("SOURCE_DATE_EPOCH");
    if (plan.type == OutputType::Png && !chooseImageTime(settings.print.time, sourceDateEpoch, plan.png.time)) {
        return reportLine(invalidValueMessage("SOURCE_DATE_EPOCH", sourceDateEpoch), ResultCode::InvalidArgument);
    }
    return std::nullopt;
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
        const char* path = scanner.argIndex() < argc ? argv[scanner.argIndex()] : nullptr;
        OutputPlan plan;
        if (const auto refused = planRun(settings, path, plan)) {
            return *refused;
        }
        const Outcome result = produceSymbol(settings, plan);
        return result.ok() ? 0 : report(result);
    } catch (const std::bad_alloc&) {
        return report(ResultCode::UnknownException);
    }
}

}  // namespace korvel
