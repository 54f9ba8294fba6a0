#pragma once
// A run that makes one symbol: its data (from -d or --input), its image,
// file, human-readable text and report.

#include "output_plan.hpp"
#include "program_settings.hpp"

namespace korvel {

// The image is made before any file is opened, and the report file is
// opened before the image is written, so that a report that cannot be
// written leaves an earlier image alone; a run that fails after its image
// was written takes it back. Returns the exit status.
[[nodiscard]] int runSingleSymbol(Settings& settings, const OutputPlan& plan);

}  // namespace korvel
