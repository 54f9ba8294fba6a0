#include "single_run.hpp"

#include <memory>
#include <optional>
#include <utility>

#include "program_messages.hpp"
#include "report_destination.hpp"
#include "symbol_job.hpp"

namespace korvel {
namespace {

// The symbol's image in memory, proved with the run's own verifier when
// --verify asks.
Outcome makeVerifiedImage(const Settings& settings, const OutputPlan& plan, SymbolReport* report, MadeImage& image)
{
    std::unique_ptr<VerifierProcess> verifier;
    SymbolExtras extras{nullptr, report};
    if (settings.verify) {
        if (Outcome started = startVerifier(verifier, report); !started.ok()) {
            return started;
        }
        extras.decoder = verifier.get();
    }
    return makeImage(settings, plan, extras, image);
}

// The finished image to its place, then its human-readable text.
Outcome deliverImage(const Settings& settings, const OutputPlan& plan, const MadeImage& image,
                     const ReportDestination& reportDestination, SymbolReport* report, WrittenFile& written)
{
    if (Outcome committed = commitImage(plan, image.bytes, reportDestination.fileIdentity(), written, report);
        !committed.ok()) {
        return committed;
    }
    if (settings.printHumanReadable && !printLine(image.humanReadable)) {
        return {ResultCode::Fail, "standard output did not take the human-readable text"};
    }
    return ResultCode::Ok;
}

}  // namespace

int runSingleSymbol(Settings& settings, const OutputPlan& plan)
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
    SymbolReport* const described = report ? &*report : nullptr;
    MadeImage image;
    if (result.ok()) {
        result = makeVerifiedImage(settings, plan, described, image);
    }
    if (Outcome opened = reportDestination.open(); !opened.ok() && result.ok()) {
        return printFailure(opened);  // no report can be written, and the image is not
    }
    WrittenFile written;
    if (result.ok()) {
        result = deliverImage(settings, plan, image, reportDestination, described, written);
    }
    if (report) {
        report->outcome = result;
        reportDestination.appendLine(reportJson(*report));
        if (Outcome reported = reportDestination.finish(); result.ok()) {
            result = std::move(reported);
        }
    }
    if (!result.ok()) {
        removeWrittenFile(written);  // when the image was written to a file
    }
    return result.ok() ? 0 : printFailure(result);
}

}  // namespace korvel
