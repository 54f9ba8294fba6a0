#include "program_driver.hpp"

#include <sys/stat.h>
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
#include "program_messages.hpp"
#include "program_options.hpp"
#include "program_settings.hpp"
#include "report_destination.hpp"
#include "usage_text.hpp"
#include "korvel/output.hpp"
#include "korvel/rendering.hpp"
#include "korvel/report.hpp"
#include "korvel/symbol.hpp"
#include "korvel/verification.hpp"
#include "korvel/verifier_process.hpp"
#include "output/output_file.hpp"

namespace korvel {
namespace {

// An option value outside the option's range, named by the option's long form.
int reportInvalidValue(int code, const char* value)
{
    for (const LongOption& option : kLongOptions) {
        if (option.code == code) {
            return printFailure(invalidValueMessage("--" + std::string(option.name), value),
                                ResultCode::InvalidArgument);
        }
    }
    return printFailure(ResultCode::InvalidArgument);
}

// Writes a text that a run ends with (usage, version) to standard output;
// text that never reached its reader is not a success.
int printAndEnd(bool printed) { return printed ? 0 : printFailure(ResultCode::Fail); }

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
};

// The image of one symbol, whole in memory, and its human-readable text.
struct MadeImage {
    std::vector<std::uint8_t> bytes;
    std::string humanReadable;
};

// Encodes the symbol and makes its image in memory, checked when --verify
// asks; nothing is written yet.
Outcome makeImage(const Settings& settings, const OutputPlan& plan, const RunExtras& extras, MadeImage& image)
{
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
        describePlannedImage(symbol, plan, *extras.report);
    }
    ImageSize size;
    if (plan.type == OutputType::Png && settings.print.moduleMillimetres &&
        !imageSize(symbol, plan.render, size).ok()) {
        return {ResultCode::InvalidArgument, "--module-mm at this --dpi makes the image larger than 65535 pixels"};
    }
    if (Outcome made = writeImage(symbol, plan, bufferSink(image.bytes)); !made.ok()) {
        return made;
    }
    if (extras.decoder != nullptr) {
        Verification verification;
        const Outcome verified = verify(options, symbol, plan.render, {plan.type, image.bytes}, *extras.decoder,
                                        verification);
        if (extras.report != nullptr) {
            extras.report->verification = verification;
        }
        if (!verified.ok()) {
            return verified;
        }
    }
    if (settings.printHumanReadable) {
        image.humanReadable = symbol.humanReadableText();
    }
    return ResultCode::Ok;
}

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

// The finished image to the plan's file (never over the report file), or
// to standard output; the report learns where it went.
Outcome commitImage(const OutputPlan& plan, const MadeImage& image, const FileIdentity* reportFile,
                    WrittenFile& written, SymbolReport* report)
{
    const Outcome committed = plan.path == nullptr ? writeToStandardOutput(image.bytes, "image")
                                                   : writeWholeFile(plan.path, image.bytes, &written, reportFile);
    if (committed.ok() && report != nullptr) {
        report->outputFile = plan.path != nullptr ? plan.path : kStandardOutputName;
        report->sha256 = sha256Hex(image.bytes);
    }
    return committed;
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

// One symbol: its data, image, file, human-readable text and report. The
// image is made before any file is opened, and the report file is opened
// before the image is written, so that a report that cannot be written
// leaves the image alone; a run that fails after the image was written
// takes it back.
int runSymbol(Settings& settings, const OutputPlan& plan)
{
    settings.source.dropInputLineEnd = settings.gs1 || settings.hibc;
    Outcome result = loadInputData(settings.source, settings.symbol);
    ReportDestination reportDestination(settings.reportPath);
    std::optional<SymbolReport> report;
    if (reportDestination.wanted()) {
        report = describeInput(symbolOptionsOf(settings));
        if (!result.ok()) {
            report->input.clear();  // the data could not be read
        }
    }
    RunExtras extras{nullptr, report ? &*report : nullptr};
    std::unique_ptr<VerifierProcess> verifier;
    if (result.ok() && settings.verify) {
        result = startVerifier(verifier, extras.report);
        extras.decoder = verifier.get();
    }
    MadeImage image;
    if (result.ok()) {
        result = makeImage(settings, plan, extras, image);
    }
    WrittenFile written;
    bool imageWritten = false;
    if (result.ok()) {
        if (Outcome opened = reportDestination.open(); !opened.ok()) {
            return printFailure(opened);
        }
        result = commitImage(plan, image, reportDestination.fileIdentity(), written, extras.report);
        imageWritten = result.ok();
    }
    if (result.ok() && settings.printHumanReadable && !printLine(image.humanReadable)) {
        result = {ResultCode::Fail, "standard output did not take the human-readable text"};
    }
    if (report) {
        report->outcome = result;
        static_cast<void>(reportDestination.open());
        reportDestination.appendLine(reportJson(*report));
        if (Outcome reported = reportDestination.finish(); result.ok()) {
            result = std::move(reported);
        }
    }
    if (!result.ok() && imageWritten) {
        removeWrittenFile(written);
    }
    return result.ok() ? 0 : printFailure(result);
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

// One line of a batch: its symbol made and written, its texts kept for
// delivery in line order.
Outcome runBatchLine(const Settings& line, const OutputPlan& plan, std::uint64_t number, SymbolDecoder* decoder,
                     const ReportDestination& reportDestination, BatchTexts& texts)
{
    std::optional<SymbolReport> lineReport;
    if (reportDestination.wanted()) {
        lineReport = describeInput(symbolOptionsOf(line));
        lineReport->line = number;
    }
    MadeImage image;
    Outcome result = makeImage(line, plan, {decoder, lineReport ? &*lineReport : nullptr}, image);
    if (result.ok()) {
        WrittenFile written;
        result = commitImage(plan, image, reportDestination.fileIdentity(), written,
                             lineReport ? &*lineReport : nullptr);
    }
    LineTexts lineTexts;
    if (lineReport) {
        lineReport->outcome = result;
        lineTexts.reportLine = reportJson(*lineReport);
    }
    if (result.ok() && line.printHumanReadable) {
        lineTexts.humanReadable = std::move(image.humanReadable);
    }
    texts.keep(number, std::move(lineTexts));
    return result;
}

// The report's one line for a batch that failed as a whole (its helper did
// not start, its file could not be read): the outcome without a line number.
void appendRunFailure(ReportDestination& reportDestination, const Outcome& failure)
{
    if (!reportDestination.wanted() || !reportDestination.open().ok()) {
        return;
    }
    SymbolReport runReport;
    runReport.outcome = failure;
    if (failure.code == ResultCode::VerifierNotAvailable) {
        runReport.verification = Verification{};
        runReport.verification->detail = failure.detail;
    }
    reportDestination.appendLine(reportJson(runReport));
}

// A batch with its extras: one verifier for all lines, the report as JSON
// Lines (failed lines included) and the human-readable texts, both in line
// order.
int runBatchWithExtras(const Settings& settings, const char* pattern, const OutputPlan& plan)
{
    ReportDestination reportDestination(settings.reportPath);
    std::unique_ptr<VerifierProcess> verifier;
    if (settings.verify) {
        if (Outcome started = VerifierProcess::start({}, verifier); !started.ok()) {
            appendRunFailure(reportDestination, started);
            static_cast<void>(reportDestination.finish());
            return printFailure(started);
        }
    }
    if (Outcome opened = reportDestination.open(); !opened.ok()) {
        return printFailure(opened);
    }
    BatchTexts texts;
    bool humanReadableWritten = true;
    const BatchEnd end = runBatch(
        settings, pattern,
        [&](const Settings& line, const char* linePath, std::uint64_t number) {
            OutputPlan linePlan = plan;
            linePlan.path = linePath;
            return runBatchLine(line, linePlan, number, verifier.get(), reportDestination, texts);
        },
        [&](std::uint64_t number, const Outcome&) {
            const LineTexts lineTexts = texts.take(number);
            if (lineTexts.reportLine) {
                reportDestination.appendLine(*lineTexts.reportLine);
            }
            humanReadableWritten = appendLine(stdout, lineTexts.humanReadable) && humanReadableWritten;
        });
    if (!end.runFailure.ok()) {
        appendRunFailure(reportDestination, end.runFailure);
    }
    if (Outcome reported = reportDestination.finish(); !reported.ok() && end.exitStatus == 0) {
        return printFailure(reported);
    }
    if (settings.printHumanReadable && (std::fflush(stdout) != 0 || !humanReadableWritten) && end.exitStatus == 0) {
        return printFailure({ResultCode::Fail, "standard output did not take the human-readable text"});
    }
    return end.exitStatus;
}

// Same device and inode, or the same name: a report written there would
// replace the image.
bool sameFile(const std::string& reportPath, const char* imagePath)
{
    if (reportPath == imagePath) {
        return true;
    }
    struct stat report {};
    struct stat image {};
    return stat(reportPath.c_str(), &report) == 0 && stat(imagePath, &image) == 0 && report.st_dev == image.st_dev &&
           report.st_ino == image.st_ino;
}

// Everything about the options that can be checked before anything is made
// or opened, in the order the checks were added: data sources, the output
// plan (with the file name, 11), the PNG's time, combinations, the report's
// path, and the ranges of settings. A refused run writes nothing, not even
// its report. Returns the status to end with when the run is refused.
std::optional<int> checkRun(const Settings& settings, const char* path, OutputPlan& plan)
{
    if (Outcome sources = checkDataSource(settings.source); !sources.ok()) {
        return printFailure(sources);
    }
    if (Outcome planned = planOutput(settings, path, isatty(STDOUT_FILENO) == 1, plan); !planned.ok()) {
        return printFailure(planned);
    }
    const char* sourceDateEpoch = std::getenv("SOURCE_DATE_EPOCH");
    if (plan.type == OutputType::Png && !chooseImageTime(settings.print.time, sourceDateEpoch, plan.png.time)) {
        return printFailure(invalidValueMessage("SOURCE_DATE_EPOCH", sourceDateEpoch), ResultCode::InvalidArgument);
    }
    if (Outcome combined = checkCombinations(settings); !combined.ok()) {
        return printFailure(combined);
    }
    if (settings.reportPath && *settings.reportPath != kStandardOutputName && path != nullptr &&
        sameFile(*settings.reportPath, path)) {
        return printFailure({ResultCode::InvalidArgument, "--report names the output file"});
    }
    if (Outcome inRange = checkRanges(settings); !inRange.ok()) {
        return printFailure(inRange);
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
        const char* path = scanner.argIndex() < argc ? argv[scanner.argIndex()] : nullptr;
        OutputPlan plan;
        if (const auto refused = checkRun(settings, path, plan)) {
            return *refused;
        }
        if (settings.source.batchPath) {
            return runBatchWithExtras(settings, path, plan);
        }
        return runSymbol(settings, plan);
    } catch (const std::bad_alloc&) {
        return printFailure(ResultCode::UnknownException);
    }
}

}  // namespace korvel
