#pragma once
// One symbol of a run, made whole in memory: encoded, described for the
// report, drawn as the plan says and, with --verify, read back and checked.
// Nothing is written here; a single run and every line of a batch go
// through this one path.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "korvel/report.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"
#include "korvel/verification.hpp"
#include "korvel/verifier_process.hpp"
#include "output_plan.hpp"
#include "program_settings.hpp"

namespace korvel {

// What a symbol proves and tells besides its image: the decoder when
// --verify is given, the report when --report is.
struct SymbolExtras {
    SymbolDecoder* decoder = nullptr;
    SymbolReport* report = nullptr;
};

// The image of one symbol and its human-readable text (with --hri).
struct MadeImage {
    std::vector<std::uint8_t> bytes;
    std::string humanReadable;
};

[[nodiscard]] Outcome makeImage(const Settings& settings, const OutputPlan& plan, const SymbolExtras& extras,
                                MadeImage& image);

// A symbol whose proof is under way: the decoder reads it while the caller
// goes on (a batch worker with the next line).
struct ProofInFlight {
    SymbolOptions options;
    Symbol symbol;
    VerificationInFlight verification;
};

// makeImage() up to the decoder's answer: with a decoder, the symbol is
// handed to it, the image checked, and the proof left in `proof` for
// finishProof(); without one, the whole of makeImage().
[[nodiscard]] Outcome startImage(const Settings& settings, const OutputPlan& plan, const SymbolExtras& extras,
                                 MadeImage& image, std::optional<ProofInFlight>& proof);
// The rest of the proof; the report (when given) keeps what was found.
[[nodiscard]] Outcome finishProof(ProofInFlight& proof, const SymbolExtras& extras);

// The verifier of a run (--verify): one helper process, started before the
// first symbol is made so that it loads meanwhile, and asked by every worker
// of a batch. When it cannot be started, the report (when given) keeps why
// in its verification part. A batch sends requests in bursts of `burst`.
[[nodiscard]] Outcome startVerifier(std::unique_ptr<VerifierProcess>& verifier, SymbolReport* report, int burst = 1);

// For tests of --verify: called with each encoded symbol before it is drawn,
// and may put another symbol in its place (as a faulty encoder would).
// An empty function removes the hook.
void setSymbolHookForTesting(std::function<void(Symbol&)> hook);

}  // namespace korvel
