#include "program_driver.hpp"

#include <new>
#include <optional>
#include <string>
#include <string_view>

#include "batch_runner.hpp"
#include "option_scanner.hpp"
#include "options/option_value.hpp"
#include "output_plan.hpp"
#include "program_messages.hpp"
#include "program_options.hpp"
#include "program_settings.hpp"
#include "run_checks.hpp"
#include "single_run.hpp"
#include "usage_text.hpp"

namespace korvel {
namespace {

// Writes a text that a run ends with (usage, version) to standard output;
// text that never reached its reader is not a success.
int printAndEnd(bool printed) { return printed ? 0 : printFailure(ResultCode::Fail); }

// How the scan of the options ended: with the settings, or with the status
// the run ends with (-h, --version, an option error, an invalid value).
struct ScanEnd {
    std::optional<int> status;
    int firstOperand = 0;
};

ScanEnd scanOptions(int argc, const char* const* argv, Settings& settings)
{
    OptionScanner scanner(kShortOptions, kLongOptions);
    for (int code = scanner.nextOption(argc, argv); code != OptionScanner::kEnd;
         code = scanner.nextOption(argc, argv)) {
        const OptionDefinition* option = optionForCode(code);
        if (code == OptionScanner::kError || option == nullptr) {  // the scanner wrote its message
            static_cast<void>(printUsage(stderr));
            return {1};
        }
        if (option->id == OptionId::Help) {
            return {printAndEnd(printUsage(stdout))};
        }
        if (option->id == OptionId::Version) {
            return {printAndEnd(printLine(kBannerLine))};
        }
        const std::string_view text = option->takesValue() ? scanner.optionValue() : "";
        std::optional<OptionValue> value;
        if (!readOptionValue(*option, text, ValueReading::CommandLine, value).ok()) {
            return {printFailure(invalidValueMessage("--" + std::string(option->name), text),
                                 ResultCode::InvalidArgument)};
        }
        if (value) {
            applyOption(*option, *value, settings);
        }
    }
    return {std::nullopt, scanner.argIndex()};
}

}  // namespace

int runProgram(int argc, const char* const* argv)
{
    try {
        Settings settings;
        const ScanEnd scanned = scanOptions(argc, argv, settings);
        if (scanned.status) {
            return *scanned.status;
        }
        const char* path = scanned.firstOperand < argc ? argv[scanned.firstOperand] : nullptr;
        OutputPlan plan;
        if (const auto refused = planAndCheckRun(settings, path, plan)) {
            return *refused;
        }
        return settings.source.batchPath ? runBatch(settings, path, plan) : runSingleSymbol(settings, plan);
    } catch (const std::bad_alloc&) {
        return printFailure(ResultCode::UnknownException);
    }
}

}  // namespace korvel
