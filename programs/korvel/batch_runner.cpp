#include "batch_runner.hpp"

#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <system_error>
#include <utility>

#include "batch/input_file.hpp"
#include "batch/line_reader.hpp"
#include "batch/ordered_workers.hpp"
#include "batch/output_names.hpp"
#include "batch_delivery.hpp"
#include "batch_progress.hpp"
#include "program_messages.hpp"
#include "report_destination.hpp"
#include "symbol_job.hpp"

namespace korvel {
namespace {

// Lines held per worker beyond the one it works on, so that no worker waits
// for the reader or for an earlier, slower line to be reported.
constexpr std::size_t kLinesPerWorker = 4;
constexpr std::size_t kExtraLines = 16;
// With --verify, the lines whose proof a worker has handed to the helper
// and not yet taken back: the worker makes the next symbols while the helper
// reads, and the helper gets requests in bursts rather than one by one. A
// worker waits for an answer only when the helper is a whole window behind;
// with 8 lines and bursts of 4 the two sides woke each other about once a
// symbol, and that switching cost more than a fifth of the run.
constexpr std::size_t kProofsPerWorker = 128;
constexpr int kProofBurst = 32;
// A line whose output is larger than this waits for its proof at once
// instead of staying in flight: the lines in flight hold their outputs, and
// a few hundred large images would hold gigabytes.
constexpr std::size_t kLargestOutputInFlight = 256 * 1024;

// Every symbol allocates and frees the same few hundred kilobytes of
// compression state and raster. By default the C library hands freed memory
// at the top of the heap back to the system after each symbol and takes it
// again for the next; faulting the fresh pages in costs about 40 us of
// system time a symbol, a third of a small symbol's whole cost. A batch
// keeps that memory for the next symbol instead.
void keepFreedMemory()
{
#if defined(__GLIBC__)
    constexpr int kKeptBytes = 64 * 1024 * 1024;
    mallopt(M_TRIM_THRESHOLD, kKeptBytes);
#endif
}

unsigned workerCount(const DataSource& source)
{
    if (source.jobs > 0) {
        return source.jobs;
    }
    const long online = sysconf(_SC_NPROCESSORS_ONLN);
    return static_cast<unsigned>(std::clamp(online, 1L, 256L));
}

// One batch while it runs: the lines are made on the workers and delivered
// in line order.
class BatchRun {
public:
    BatchRun(const Settings& settings, const char* pattern, const OutputPlan& plan, SymbolDecoder* decoder,
             ReportDestination& reportDestination, BatchProgress& progress)
        : settings_(settings), pattern_(pattern), plan_(plan), decoder_(decoder),
          reportDestination_(reportDestination), progress_(progress), messages_(progress)
    {
    }

    // On a worker: the line's symbol made and, unless its proof is still
    // being read (then `rest` ends the line), written, its texts kept.
    Outcome startLine(const BatchLine& line, OrderedWorkers::Rest& rest)
    {
        auto work = std::make_shared<LineInWork>();
        Settings lineSettings = settings_;
        lineSettings.symbol.data = line.text;
        work->path = batchOutputName(pattern_, line.number);
        work->plan = plan_;
        work->plan.path = work->path.c_str();
        if (reportDestination_.wanted()) {
            work->report = describeInput(symbolOptionsOf(lineSettings));
            work->report->line = line.number;
        }
        const Outcome started = startImage(lineSettings, work->plan, work->extras(decoder_), work->image, work->proof);
        if (started.ok() && work->proof && work->image.bytes.size() <= kLargestOutputInFlight) {
            rest = [this, work, number = line.number] { return endLine(number, *work, ResultCode::Ok); };
            return ResultCode::Ok;
        }
        return endLine(line.number, *work, started);
    }

    // In line order: the line's message, report line and text.
    void deliverLine(std::uint64_t number, const Outcome& outcome)
    {
        if (!outcome.ok()) {
            messages_.lineFailed(number, outcome);
        }
        const LineTexts texts = texts_.take(number);
        if (texts.reportLine) {
            reportDestination_.appendLine(*texts.reportLine);
        }
        if (texts.humanReadable) {
            humanReadableWritten_ = printLine(*texts.humanReadable) && humanReadableWritten_;
        }
        progress_.update(number);
    }

    [[nodiscard]] BatchMessages& messages() noexcept { return messages_; }
    [[nodiscard]] bool humanReadableWritten() const noexcept { return humanReadableWritten_; }

private:
    // A line between its start and its end.
    struct LineInWork {
        std::string path;
        OutputPlan plan;
        std::optional<SymbolReport> report;
        MadeImage image;
        std::optional<ProofInFlight> proof;

        SymbolExtras extras(SymbolDecoder* decoder) { return {decoder, report ? &*report : nullptr}; }
    };

    // The proof's end, then the file written and the line's texts kept.
    Outcome endLine(std::uint64_t number, LineInWork& work, Outcome result)
    {
        if (result.ok() && work.proof) {
            result = finishProof(*work.proof, work.extras(decoder_));
        }
        SymbolReport* const report = work.report ? &*work.report : nullptr;
        if (result.ok()) {
            WrittenFile written;
            result = commitImage(work.plan, work.image.bytes, reportDestination_.fileIdentity(), written, report);
        }
        LineTexts texts;
        if (report != nullptr) {
            report->outcome = result;
            texts.reportLine = reportJson(*report);
        }
        if (result.ok() && settings_.printHumanReadable) {
            texts.humanReadable = std::move(work.image.humanReadable);
        }
        texts_.keep(number, std::move(texts));
        return result;
    }

    const Settings& settings_;
    std::string pattern_;
    const OutputPlan& plan_;
    SymbolDecoder* decoder_;
    ReportDestination& reportDestination_;
    BatchProgress& progress_;
    BatchMessages messages_;
    BatchTexts texts_;
    bool humanReadableWritten_ = true;
};

// Reads the lines and hands them to the workers.
void makeSymbols(const Settings& settings, InputFile& file, BatchRun& batch)
{
    const unsigned workers = workerCount(settings.source);
    const std::size_t proofs = settings.verify ? kProofsPerWorker : 0;
    OrderedWorkers pool(
        // Twice the proofs: lines done behind a line still in proof wait for
        // it without stopping the reader.
        workers, workers * (kLinesPerWorker + 2 * proofs) + kExtraLines, proofs,
        [&](const BatchLine& line, OrderedWorkers::Rest& rest) { return batch.startLine(line, rest); },
        [&](std::uint64_t number, const Outcome& outcome) { batch.deliverLine(number, outcome); });
    LineReader reader(file);
    BatchLine line;
    while (reader.next(line)) {
        pool.submit(std::move(line));
    }
    pool.finish();
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

// The lines of the batch file, once the verifier and the report are ready;
// the run's failure (the file could not be read) when there is one.
Outcome runLines(const Settings& settings, BatchRun& batch, BatchProgress& progress, InputFile& file)
{
    if (file.status().ok()) {
        keepFreedMemory();
        try {
            makeSymbols(settings, file, batch);
        } catch (const std::system_error&) {
            return ResultCode::UnknownException;
        }
        progress.clear();
    }
    return file.status();
}

}  // namespace

int runBatch(const Settings& settings, const char* outputPattern, const OutputPlan& plan)
{
    ReportDestination reportDestination(settings.reportPath);
    if (*outputPattern == '\0') {
        // An empty name can be opened no more than a single run's empty name
        // can; numbering it would write "-1", "-2", ... into the working
        // directory.
        const Outcome unnamed(ResultCode::CantOpenOutputFile, "the output file name is empty");
        appendRunFailure(reportDestination, unnamed);
        static_cast<void>(reportDestination.finish());
        return printFailure(unnamed);
    }
    std::unique_ptr<VerifierProcess> verifier;
    if (settings.verify) {
        if (Outcome started = startVerifier(verifier, nullptr, kProofBurst); !started.ok()) {
            appendRunFailure(reportDestination, started);
            static_cast<void>(reportDestination.finish());
            return printFailure(started);
        }
    }
    if (Outcome opened = reportDestination.open(); !opened.ok()) {
        return printFailure(opened);
    }
    InputFile file(*settings.source.batchPath);
    const bool onTerminal = isatty(fileno(stderr)) == 1;
    BatchProgress progress(stderr, onTerminal ? file.countLines() : std::nullopt);
    BatchRun batch(settings, outputPattern, plan, verifier.get(), reportDestination, progress);
    const Outcome runFailure = runLines(settings, batch, progress, file);
    int status = batch.messages().exitStatus();
    if (!runFailure.ok()) {
        // The whole run failed, whatever the lines before gave.
        status = batch.messages().runFailed(runFailure);
        appendRunFailure(reportDestination, runFailure);
    }
    if (Outcome reported = reportDestination.finish(); !reported.ok() && status == 0) {
        return printFailure(reported);
    }
    if (settings.printHumanReadable && (std::fflush(stdout) != 0 || !batch.humanReadableWritten()) && status == 0) {
        return printFailure({ResultCode::Fail, "standard output did not take the human-readable text"});
    }
    return status;
}

}  // namespace korvel
