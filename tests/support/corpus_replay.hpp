#pragma once
// Replaying the kept fuzz corpora: every file under fuzz/corpus/<target>/
// runs through that fuzz target's entry function and must pass its checks
// (and, in the sanitizer build, run clean). Inputs that once failed are kept
// in the corpus.

#include <cstddef>
#include <cstdint>

namespace korvel::testing {

using CorpusTarget = const char* (*)(const std::uint8_t*, std::size_t);

// Runs every file of fuzz/corpus/<target>/ through `entry`, with standard
// output and error silenced, and adds a test failure for each input whose
// check failed (and one when the corpus is missing).
void replayCorpus(const char* target, CorpusTarget entry);

}  // namespace korvel::testing
