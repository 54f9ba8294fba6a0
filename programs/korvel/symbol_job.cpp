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

}  // namespace

void setSymbolHookForTesting(std::function<void(Symbol&)> hook) { symbolHook() = std::move(hook); }

Outcome startVerifier(std::unique_ptr<VerifierProcess>& verifier, SymbolReport* report, int burst)
{
    VerifierProcessOptions options;
    options.burst = burst;
    Outcome started = VerifierProcess::start(options, verifier);
    if (!started.ok() && report != nullptr) {
        report->verification = Verification{};
        report->verification->detail = started.detail;
    }
    return started;
}

Outcome finishProof(ProofInFlight& proof, const SymbolExtras& extras)
{
    Verification verification;
    const Outcome verified =
        finishVerification(proof.options, proof.symbol, *extras.decoder, proof.verification, verification);
    if (extras.report != nullptr) {
        extras.report->verification = verification;
    }
    return verified;
}

Outcome startImage(const Settings& settings, const OutputPlan& plan, const SymbolExtras& extras, MadeImage& image,
                   std::optional<ProofInFlight>& proof)
{
    proof.reset();
    SymbolOptions options = symbolOptionsOf(settings);
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
    if (settings.printHumanReadable) {
        image.humanReadable = symbol.humanReadableText();
    }
    if (extras.decoder == nullptr) {
        return ResultCode::Ok;
    }
    VerificationInFlight verification;
    if (Outcome started = startVerification(symbol, plan.render, {plan.type, image.bytes}, *extras.decoder, verification);
        !started.ok()) {
        if (extras.report != nullptr) {
            extras.report->verification = Verification{};
        }
        return started;
    }
    proof.emplace(ProofInFlight{std::move(options), std::move(symbol), std::move(verification)});
    return ResultCode::Ok;
}

Outcome makeImage(const Settings& settings, const OutputPlan& plan, const SymbolExtras& extras, MadeImage& image)
{
    std::optional<ProofInFlight> proof;
    if (Outcome started = startImage(settings, plan, extras, image, proof); !started.ok() || !proof) {
        return started;
    }
    return finishProof(*proof, extras);
}

}  // namespace korvel
