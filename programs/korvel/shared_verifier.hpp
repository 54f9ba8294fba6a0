#pragma once
// The verifier of a run (--verify): one helper process, started before the
// first symbol is made so that it loads meanwhile, and shared by the workers
// of a batch, which ask it one symbol at a time.

#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "korvel/report.hpp"
#include "korvel/verification.hpp"
#include "korvel/verifier_process.hpp"

namespace korvel {

// Starts the helper; when it cannot be started, the report (when given)
// keeps why in its verification part.
[[nodiscard]] Outcome startVerifier(std::unique_ptr<VerifierProcess>& verifier, SymbolReport* report);

class SharedDecoder : public SymbolDecoder {
public:
    explicit SharedDecoder(SymbolDecoder& decoder) : decoder_(decoder) {}
    Outcome decode(const GrayRaster& raster, std::optional<SymbolReading>& reading) override
    {
        const std::lock_guard lock(mutex_);
        return decoder_.decode(raster, reading);
    }
    [[nodiscard]] std::string name() const override { return decoder_.name(); }

private:
    SymbolDecoder& decoder_;
    std::mutex mutex_;
};

}  // namespace korvel
