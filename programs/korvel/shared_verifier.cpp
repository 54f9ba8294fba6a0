#include "shared_verifier.hpp"

namespace korvel {

Outcome startVerifier(std::unique_ptr<VerifierProcess>& verifier, SymbolReport* report)
{
    Outcome started = VerifierProcess::start({}, verifier);
    if (!started.ok() && report != nullptr) {
        report->verification = Verification{};
        report->verification->detail = started.detail;
    }
    return started;
}

}  // namespace korvel
