#include "program_driver.hpp"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "image_time.hpp"
#include "batch_runner.hpp"
#include "option_scanner.hpp"
#include "option_values.hpp"
#include "output_plan.hpp"
#include "program_options.hpp"
#include "program_settings.hpp"
#include "usage_text.hpp"
#include "korvel/output.hpp"
#include "korvel/rendering.hpp"
#include "korvel/report.hpp"
#include "korvel/symbol.hpp"
#include "korvel/verification.hpp"
#include "korvel/verifier_process.hpp"

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

// One line on standard output; false when it did not reach its reader.
bool printLine(const std::string& line)
{
    const bool written = std::fputs(line.c_str(), stdout) >= 0 && std::fputc('\n', stdout) != EOF;
    return std::fflush(stdout) == 0 && written;
}

bool printVersion() { return printLine(kBannerLine); }

std::function<void(Symbol&)>& symbolHook()
{
    static std::function<void(Symbol&)> hook;
    return hook;
}

// What a run proves and tells besides the image: the decoder when --verify
// is given, the report when --report is.
struct RunExtras {
    SymbolDecoder* decoder = nullptr;
    SymbolReport* report = nullptr;
    // Receives the --hri text instead of standard output: a batch prints
    // the texts in line order, which the workers do not finish in.
    std::string* humanReadableText = nullptr;
};

// Finished bytes to standard output. A reader that went away makes the
// write fail (SIGPIPE is ignored): 13.
Outcome writeToStandardOutput(std::span<const std::uint8_t> bytes, const char* what)
{
    const bool written = fileSink(stdout)(bytes);
    if (std::fflush(stdout) != 0 || !written) {
        return {ResultCode::CantCloseOutputFile, std::string("standard output did not take the ") + what};
    }
    return ResultCode::Ok;
}

// Finished bytes to the plan's file, or to standard output.
Outcome commitBytes(const OutputPlan& plan, const std::vector<std::uint8_t>& bytes)
{
    if (plan.path == nullptr) {
        return writeToStandardOutput(bytes, "image");
    }
    return writeFile(plan.path,
                     [&bytes](const ByteSink& sink) { return sink(bytes) ? Outcome() : Outcome(ResultCode::Fail); });
}

// The image made whole in memory, checked when --verify asks, then written
// out; nothing reaches the file or standard output when a step fails.
Outcome writeCheckedImage(const Settings& settings, const Symbol& symbol, const OutputPlan& plan,
                          const RunExtras& extras)
{
    std::vector<std::uint8_t> bytes;
    if (Outcome made = writeImage(symbol, plan, bufferSink(bytes)); !made.ok()) {
        return made;
    }
    if (extras.decoder != nullptr) {
        Verification verification;
        const Outcome verified =
            verify(symbolOptionsOf(settings), symbol, plan.render, {plan.type, bytes}, *extras.decoder, verification);
        if (extras.report != nullptr) {
            extras.report->verification = verification;
        }
        if (!verified.ok()) {
            return verified;
        }
    }
    const Outcome committed = commitBytes(plan, bytes);
    if (committed.ok() && extras.report != nullptr) {
        extras.report->outputFile = plan.path != nullptr ? plan.path : kStandardOutputName;
        extras.report->sha256 = sha256Hex(bytes);
    }
    return committed;
}

// Everything after the options: the symbol, the image and the file. The
// image is made before the file is opened, so that a run that fails there
// leaves an existing file alone.
Outcome produceSymbol(const Settings& settings, const OutputPlan& plan, const RunExtras& extras)
{
    if (Outcome checked = checkSettings(settings); !checked.ok()) {
        return checked;
    }
    const SymbolOptions options = symbolOptionsOf(settings);
    Symbol symbol;
    if (Outcome encoded = encode(options, symbol); !encoded.ok()) {
        return encoded;
    }
    if (symbolHook()) {
        symbolHook()(symbol);
    }
    if (extras.report != nullptr) {
        describeSymbol(options, symbol, *extras.report);
        describeImage(symbol, plan.render, *extras.report);
    }
    ImageSize size;
    if (plan.type == OutputType::Png && settings.print.moduleMillimetres &&
        !imageSize(symbol, plan.render, size).ok()) {
        return {ResultCode::InvalidArgument, "--module-mm at this --dpi makes the image larger than 65535 pixels"};
    }
    Outcome written = plan.path != nullptr && extras.decoder == nullptr && extras.report == nullptr
                          ? writeImageFile(symbol, plan)
                          : writeCheckedImage(settings, symbol, plan, extras);
    if (written.ok() && settings.printHumanReadable) {
        if (extras.humanReadableText != nullptr) {
            *extras.humanReadableText = symbol.humanReadableText();
        } else if (!printLine(symbol.humanReadableText())) {
            return ResultCode::Fail;
        }
    }
    return written;
}

// Writes the report line to its file, or to standard output for "-".
Outcome writeReport(const std::string& path, const SymbolReport& report)
{
    const std::string line = reportJson(report) + "\n";
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(line.data()), line.size());
    if (path == kStandardOutputName) {
        return writeToStandardOutput(bytes, "report");
    }
    Outcome result = writeFile(path, [&bytes](const ByteSink& sink) {
        return sink(bytes) ? Outcome() : Outcome(ResultCode::Fail);
    });
    if (!result.ok() && result.detail.empty()) {
        result.detail = "report file " + path;
    }
    return result;
}

// The verifier for the run, started before the symbol is made so that it
// loads while the symbol is encoded.
Outcome startVerifier(std::unique_ptr<VerifierProcess>& verifier, SymbolReport* report)
{
    Outcome started = VerifierProcess::start({}, verifier);
    if (!started.ok() && report != nullptr) {
        report->verification = Verification{};
        report->verification->detail = started.detail;
    }
    return started;
}

// Makes the symbol with the run's extras and writes the report.
Outcome runSymbol(const Settings& settings, const OutputPlan& plan)
{
    std::optional<SymbolReport> report;
    if (settings.reportPath) {
        report = describeInput(symbolOptionsOf(settings));
    }
    RunExtras extras{nullptr, report ? &*report : nullptr};
    std::unique_ptr<VerifierProcess> verifier;
    Outcome result;
    if (settings.verify) {
        result = startVerifier(verifier, extras.report);
        extras.decoder = verifier.get();
    }
    if (result.ok()) {
        result = produceSymbol(settings, plan, extras);
    }
    if (report) {
        report->outcome = result;
        if (Outcome reported = writeReport(*settings.reportPath, *report); result.ok()) {
            result = std::move(reported);
        }
    }
    return result;
}

// What a batch line tells besides its image: its report line and its
// human-readable text.
struct LineTexts {
    std::optional<std::string> reportLine;
    std::optional<std::string> humanReadable;
};

// The texts of a batch's lines: made on the workers, written in line order
// as the lines are delivered, so that only the lines in flight are held.
class BatchTexts {
public:
    void keep(std::uint64_t line, LineTexts texts)
    {
        const std::lock_guard lock(mutex_);
        pending_[line] = std::move(texts);
    }
    LineTexts take(std::uint64_t line)
    {
        const std::lock_guard lock(mutex_);
        const auto found = pending_.find(line);
        if (found == pending_.end()) {
            return {};
        }
        LineTexts texts = std::move(found->second);
        pending_.erase(found);
        return texts;
    }

private:
    std::mutex mutex_;
    std::map<std::uint64_t, LineTexts> pending_;
};

// Appends the text and a newline to the stream; false when that failed.
bool appendLine(std::FILE* stream, const std::optional<std::string>& text)
{
    return !text || (std::fputs(text->c_str(), stream) >= 0 && std::fputc('\n', stream) != EOF);
}

// A batch with its extras: one verifier for all lines, the report as JSON
// Lines (failed lines included) and the human-readable texts, both in line
// order.
int runBatchWithExtras(const Settings& settings, const char* pattern, const OutputPlan& plan)
{
    // One helper for all lines: the workers share it, each taking the
    // answers to its own requests.
    std::unique_ptr<VerifierProcess> verifier;
    if (settings.verify) {
        if (Outcome started = VerifierProcess::start({}, verifier); !started.ok()) {
            return report(started);
        }
    }
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> reportFile(
        settings.reportPath && *settings.reportPath != kStandardOutputName ? std::fopen(settings.reportPath->c_str(), "wb")
                                                                          : nullptr,
        [](std::FILE* f) { return f != nullptr ? std::fclose(f) : 0; });
    if (settings.reportPath && *settings.reportPath != kStandardOutputName && !reportFile) {
        return report({ResultCode::CantOpenOutputFile, "report file " + *settings.reportPath});
    }
    std::FILE* reportStream = reportFile ? reportFile.get() : stdout;
    BatchTexts texts;
    bool reportWritten = true;
    bool humanReadableWritten = true;
    const int status = runBatch(
        settings, pattern,
        [&](const Settings& line, const char* linePath, std::uint64_t number) {
            OutputPlan linePlan = plan;
            linePlan.path = linePath;
            std::optional<SymbolReport> lineReport;
            if (settings.reportPath) {
                lineReport = describeInput(symbolOptionsOf(line));
            }
            std::string humanReadable;
            const Outcome result = produceSymbol(
                line, linePlan,
                {verifier.get(), lineReport ? &*lineReport : nullptr, &humanReadable});
            LineTexts lineTexts;
            if (lineReport) {
                lineReport->outcome = result;
                lineTexts.reportLine = reportJson(*lineReport);
            }
            if (result.ok() && settings.printHumanReadable) {
                lineTexts.humanReadable = std::move(humanReadable);
            }
            texts.keep(number, std::move(lineTexts));
            return result;
        },
        [&](std::uint64_t number, const Outcome&) {
            const LineTexts lineTexts = texts.take(number);
            reportWritten = appendLine(reportStream, lineTexts.reportLine) && reportWritten;
            humanReadableWritten = appendLine(stdout, lineTexts.humanReadable) && humanReadableWritten;
        });
    if (settings.reportPath && (std::fflush(reportStream) != 0 || !reportWritten) && status == 0) {
        return report({ResultCode::CantCloseOutputFile, "the report could not be written"});
    }
    if (settings.printHumanReadable && (std::fflush(stdout) != 0 || !humanReadableWritten) && status == 0) {
        return report(ResultCode::Fail);
    }
    return status;
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

void setSymbolHookForTesting(std::function<void(Symbol&)> hook) { symbolHook() = std::move(hook); }

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
                    return reportInvalidValue(code, scanner.optionValue());
                }
                break;
            default:
                if (!applyOption(code, scanner.optionValue(), settings)) {
                    return reportInvalidValue(code, scanner.optionValue());
                }
                break;
            }
        }
        if (Outcome sources = checkDataSource(settings.source); !sources.ok()) {
            return report(sources);
        }
        const char* path = scanner.argIndex() < argc ? argv[scanner.argIndex()] : nullptr;
        OutputPlan plan;
        if (const auto refused = planRun(settings, path, plan)) {
            return *refused;
        }
        if (settings.source.batchPath) {
            return runBatchWithExtras(settings, path, plan);
        }
        settings.source.dropInputLineEnd = settings.gs1 || settings.hibc;
        if (Outcome loaded = loadInputData(settings.source, settings.symbol); !loaded.ok()) {
            return report(loaded);
        }
        const Outcome result = runSymbol(settings, plan);
        return result.ok() ? 0 : report(result);
    } catch (const std::bad_alloc&) {
        return report(ResultCode::UnknownException);
    }
}

}  // namespace korvel
