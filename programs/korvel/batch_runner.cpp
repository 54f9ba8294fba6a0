#include "batch_runner.hpp"

#include <unistd.h>

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "batch/input_file.hpp"
#include "batch/line_reader.hpp"
#include "batch/ordered_workers.hpp"
#include "batch/output_names.hpp"
#include "batch_progress.hpp"
#include "program_messages.hpp"
#include "usage_text.hpp"

namespace korvel {
namespace {

// Lines held per worker beyond the one it works on, so that no worker waits
// for the reader or for an earlier, slower line to be reported.
constexpr std::size_t kLinesPerWorker = 4;
constexpr std::size_t kExtraLines = 16;

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

// The messages of a batch on stderr: the banner line once, before the first
// of them, and each message on its own line. The exit status is the code of
// the first failure reported.
class BatchMessages {
public:
    explicit BatchMessages(BatchProgress& progress) : progress_(progress) {}

    void lineFailed(std::uint64_t number, const Outcome& outcome)
    {
        if (firstFailure_ == ResultCode::Ok) {
            firstFailure_ = outcome.code;
        }
        print("line " + std::to_string(number) + ": " + outcomeMessage(outcome));
    }
    // Returns the run's exit status, the failure's code.
    int runFailed(const Outcome& outcome)
    {
        print(outcomeMessage(outcome));
        return static_cast<int>(outcome.code);
    }
    [[nodiscard]] int exitStatus() const { return static_cast<int>(firstFailure_); }

private:
    void print(const std::string& message)
    {
        progress_.clear();
        if (!bannerShown_) {
            std::fprintf(stderr, "%s\n", kBannerLine);
            bannerShown_ = true;
        }
        std::fprintf(stderr, "%s\n", printableText(message).c_str());
        std::fflush(stderr);
    }

    BatchProgress& progress_;
    ResultCode firstFailure_ = ResultCode::Ok;
    bool bannerShown_ = false;
};

// Reads the lines and hands them to the workers; the outcomes come back in
// line order through `messages` and `progress`.
void makeSymbols(const Settings& settings, const std::string& outputPattern, const SymbolWriter& write,
                 const LineDelivered& delivered, InputFile& file, BatchProgress& progress, BatchMessages& messages)
{
    const unsigned workers = workerCount(settings.source);
    OrderedWorkers pool(
        workers, workers * kLinesPerWorker + kExtraLines,
        [&](const BatchLine& line) {
            Settings lineSettings = settings;
            lineSettings.symbol.data = line.text;
            return write(lineSettings, batchOutputName(outputPattern, line.number).c_str(), line.number);
        },
        [&](std::uint64_t number, const Outcome& outcome) {
            if (!outcome.ok()) {
                messages.lineFailed(number, outcome);
            }
            if (delivered) {
                delivered(number, outcome);
            }
            progress.update(number);
        });
    LineReader reader(file);
    BatchLine line;
    while (reader.next(line)) {
        pool.submit(std::move(line));
    }
    pool.finish();
}

}  // namespace

BatchEnd runBatch(const Settings& settings, const std::string& outputPattern, const SymbolWriter& write,
                  const LineDelivered& delivered)
{
    InputFile file(*settings.source.batchPath);
    const bool onTerminal = isatty(fileno(stderr)) == 1;
    BatchProgress progress(stderr, onTerminal ? file.countLines() : std::nullopt);
    BatchMessages messages(progress);
    if (file.status().ok()) {
        keepFreedMemory();
        try {
            makeSymbols(settings, outputPattern, write, delivered, file, progress, messages);
        } catch (const std::system_error&) {
            return {messages.runFailed(ResultCode::UnknownException), ResultCode::UnknownException};
        }
        progress.clear();
    }
    if (!file.status().ok()) {
        // The whole run failed, whatever the lines before gave.
        return {messages.runFailed(file.status()), file.status()};
    }
    return {messages.exitStatus(), ResultCode::Ok};
}

}  // namespace korvel
