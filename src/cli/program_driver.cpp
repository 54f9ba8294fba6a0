#include "cli/program_driver.hpp"

#include <cstdio>
#include <memory>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "cli/option_scanner.hpp"
#include "cli/program_options.hpp"
#include "cli/program_settings.hpp"
#include "cli/usage_text.hpp"
#include "korvel/output.hpp"
#include "korvel/png_creator.hpp"
#include "korvel/rendering.hpp"
#include "korvel/report.hpp"
#include "korvel/symbol.hpp"
#include "korvel/verification.hpp"
#include "korvel/verifier_process.hpp"

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

// Writes a text that a run ends with (usage, version) to standard output;
// text that never reached its reader is not a success.
int printAndEnd(bool printed) { return printed ? 0 : report(ResultCode::Fail); }

bool printVersion()
{
    const bool written = std::fputs(kBannerLine, stdout) >= 0 && std::fputc('\n', stdout) != EOF;
    return std::fflush(stdout) == 0 && written;
}

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

// Writes finished bytes to the output file.
Outcome commitBytes(const char* outputPath, const std::vector<std::uint8_t>& bytes)
{
    return writeFile(outputPath, [&bytes](const ByteSink& sink) { return sink(bytes) ? Outcome() : Outcome(ResultCode::Fail); });
}

// Everything after the options: the symbol, the image and the file. The
// image is drawn before the file is opened, so that a run that fails there
// leaves an existing file alone. With --verify or --report the PNG is made
// in memory first: verified before the file is written, and hashed.
Outcome produceSymbol(const Settings& settings, const char* outputPath, const RunExtras& extras)
{
    if (const ResultCode checked = checkSettings(settings); checked != ResultCode::Ok) {
        return checked;
    }
    Symbol symbol;
    if (Outcome encoded = encode(settings.symbol, symbol); !encoded.ok()) {
        return encoded;
    }
    if (symbolHook()) {
        symbolHook()(symbol);
    }
    const RenderOptions render = renderOptionsOf(settings);
    if (extras.report != nullptr) {
        describeSymbol(settings.symbol, symbol, *extras.report);
        describeImage(symbol, render, *extras.report);
    }
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
    if (extras.decoder == nullptr && extras.report == nullptr) {
        return writeFile(outputPath, [&image](const ByteSink& sink) { return Outcome(image.write(sink)); });
    }
    std::vector<std::uint8_t> bytes;
    if (const ResultCode written = image.write(bytes); written != ResultCode::Ok) {
        return written;
    }
    if (extras.decoder != nullptr) {
        Verification verification;
        const Outcome verified =
            verify(settings.symbol, symbol, render, {OutputType::Png, bytes}, *extras.decoder, verification);
        if (extras.report != nullptr) {
            extras.report->verification = verification;
        }
        if (!verified.ok()) {
            return verified;
        }
    }
    const Outcome committed = commitBytes(outputPath, bytes);
    if (committed.ok() && extras.report != nullptr) {
        extras.report->outputFile = outputPath;
        extras.report->sha256 = sha256Hex(bytes);
    }
    return committed;
}

// Writes the report line to its file, or to standard output for "-".
Outcome writeReport(const std::string& path, const SymbolReport& report)
{
    const std::string line = reportJson(report) + "\n";
    const std::span<const std::uint8_t> bytes(reinterpret_cast<const std::uint8_t*>(line.data()), line.size());
    if (path == kStandardOutputName) {
        const bool written = fileSink(stdout)(bytes);
        if (std::fflush(stdout) != 0 || !written) {
            return {ResultCode::CantCloseOutputFile, "the report could not be written to standard output"};
        }
        return ResultCode::Ok;
    }
    Outcome result = writeFile(path, [&bytes](const ByteSink& sink) { return sink(bytes) ? Outcome() : Outcome(ResultCode::Fail); });
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
Outcome runSymbol(const Settings& settings, const char* outputPath)
{
    std::optional<SymbolReport> report;
    if (settings.reportPath) {
        report = describeInput(settings.symbol);
    }
    RunExtras extras{nullptr, report ? &*report : nullptr};
    std::unique_ptr<VerifierProcess> verifier;
    Outcome result;
    if (settings.verify) {
        result = startVerifier(verifier, extras.report);
        extras.decoder = verifier.get();
    }
    if (result.ok()) {
        result = produceSymbol(settings, outputPath, extras);
    }
    if (report) {
        report->outcome = result;
        if (Outcome reported = writeReport(*settings.reportPath, *report); result.ok()) {
            result = std::move(reported);
        }
    }
    return result;
}

// The full name of a long-only option, for messages about its value.
std::string optionName(int code)
{
    for (const LongOption& option : kLongOptions) {
        if (option.code == code) {
            return "--" + std::string(option.name);
        }
    }
    return "-" + std::string(1, static_cast<char>(code));
}

int refuseValue(int code, const char* value)
{
    std::fputs(kBannerLine, stderr);
    std::fputc('\n', stderr);
    std::fprintf(stderr, "Error: Invalid value for %s: %s.\n", optionName(code).c_str(), value == nullptr ? "" : value);
    std::fflush(stderr);
    return 1;
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
            default:
                if (!applyOption(code, scanner.optionValue(), settings)) {
                    return refuseValue(code, scanner.optionValue());
                }
                break;
            }
        }
        if (scanner.argIndex() >= argc || argv[scanner.argIndex()] == nullptr) {
            return report(ResultCode::EmptyOutputFileName);
        }
        const Outcome result = runSymbol(settings, argv[scanner.argIndex()]);
        return result.ok() ? 0 : report(result);
    } catch (const std::bad_alloc&) {
        return report(ResultCode::UnknownException);
    }
}

}  // namespace korvel
