#pragma once
// Everything about a run that can be checked before anything is made or
// opened: the combination rules, SOURCE_DATE_EPOCH, the report's path and
// the ranges of settings. A refused run writes nothing, not even its report.

#include <optional>

#include "output_plan.hpp"
#include "program_settings.hpp"

namespace korvel {

// Plans the output for the file name (null when none was given) and checks
// the run; the status to end with (its message printed) when the run is
// refused.
[[nodiscard]] std::optional<int> planAndCheckRun(const Settings& settings, const char* path, OutputPlan& plan);

}  // namespace korvel
