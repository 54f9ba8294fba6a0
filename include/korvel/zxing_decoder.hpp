#pragma once
// The zxing-cpp decoder in the caller's own process. Part of the separate
// korvel_verify library (CMake target korvel::verify), which links
// zxing-cpp; the korvel library itself does not.

#include <optional>
#include <string>

#include "korvel/verification.hpp"

namespace korvel {

class ZxingDecoder final : public SymbolDecoder {
public:
    // Never fails: a raster without a readable symbol leaves `reading` empty.
    [[nodiscard]] Outcome decode(const GrayRaster& raster, std::optional<SymbolReading>& reading) override;
    [[nodiscard]] std::string name() const override;
};

}  // namespace korvel
