#include "run_checks.hpp"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <optional>
#include <string>

#include "image_time.hpp"
#include "options/combination_rules.hpp"
#include "program_messages.hpp"

namespace korvel {
namespace {

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

bool reportIsTheImage(const Settings& settings, const char* path)
{
    return settings.reportPath && *settings.reportPath != kStandardOutputName && path != nullptr &&
           sameFile(*settings.reportPath, path);
}

// The report would replace the file the data is read from (a batch file
// would even be emptied before its first line is read).
bool reportIsTheData(const Settings& settings, const std::optional<std::string>& dataPath)
{
    return settings.reportPath && *settings.reportPath != kStandardOutputName && dataPath &&
           *dataPath != "-" && sameFile(*settings.reportPath, dataPath->c_str());
}

}  // namespace

std::optional<int> planAndCheckRun(const Settings& settings, const char* path, OutputPlan& plan)
{
    const bool standardOutputIsTerminal = isatty(STDOUT_FILENO) == 1;
    plan = planOutput(settings, path, standardOutputIsTerminal);
    const RunFacts facts = runFacts(settings, path, plan.type, standardOutputIsTerminal);
    if (Outcome combined = checkCombinations(facts); !combined.ok()) {
        return printFailure(combined);
    }
    if (Outcome marks = checkMarks(settings); !marks.ok()) {
        return printFailure(marks);
    }
    const char* sourceDateEpoch = std::getenv("SOURCE_DATE_EPOCH");
    if (plan.type == OutputType::Png && !chooseImageTime(settings.print.time, sourceDateEpoch, plan.png.time)) {
        return printFailure(invalidValueMessage("SOURCE_DATE_EPOCH", sourceDateEpoch), ResultCode::InvalidArgument);
    }
    if (reportIsTheImage(settings, path)) {
        return printFailure({ResultCode::InvalidArgument, "--report names the output file"});
    }
    if (reportIsTheData(settings, settings.source.inputPath)) {
        return printFailure({ResultCode::InvalidArgument, "--report names the --input file"});
    }
    if (reportIsTheData(settings, settings.source.batchPath)) {
        return printFailure({ResultCode::InvalidArgument, "--report names the --batch file"});
    }
    if (Outcome inRange = checkRanges(settings); !inRange.ok()) {
        return printFailure(inRange);
    }
    return std::nullopt;
}

}  // namespace korvel
