#include "symbol_job.hpp"

#include <utility>

#include "korvel/output.hpp"
#include "korvel/rendering.hpp"

namespace korvel {
namespace {

std::function<void(Symbol&)>& symbolHook()
{
    static std::function<void(Symbol&)> hook;
    return hook;
}

// The proof: the decoder reads the image's symbol back, the pixels or
// vectors are checked against it; the report keeps what was found.
Outcome verifyImage(const SymbolOptions& options, const Symbol& symbol, const OutputPlan& plan,
                    const SymbolExtras& extras, const MadeImage& image)
{
    Verification verification;
    const Outcome verified =
        verify(options, symbol, plan.render, {plan.type, image.bytes}, *extras.decoder, verification);
    if (extras.report != nullptr) {
        extras.report->verification = verification;
    }
    return verified;
}

}  // namespace

void setSymbolHookForTesting(std::function<void(Symbol&)> hook) { symbolHook() = std::move(hook); }

Outcome startVerifier(std::unique_ptr<VerifierProcess>& verifier, SymbolReport* report)
{
    Outcome started = VerifierProcess::start({}, verifier);
    if (!started.ok() && report != nullptr) {
        report->verification = Verification{};
        report->verification->detail = started.detail;
    }
    return started;
}

Outcome makeImage(const Settings& settings, const OutputPlan& plan, const SymbolExtras& extras, MadeImage& image)
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
        if (Outcome verified = verifyImage(options, symbol, plan, extras, image); !verified.ok()) {
            return verified;
        }
    }
    if (settings.printHumanReadable) {
        image.humanReadable = symbol.humanReadableText();
    }
    return ResultCode::Ok;
}

}  // namespace korvel
