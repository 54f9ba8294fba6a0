// The read-back fuzz target's kept corpus: every symbol it accepts is read
// back with zxing-cpp (support/corpus_replay.hpp).

#include <gtest/gtest.h>

#include "../../fuzz/fuzz_targets.hpp"
#include "support/corpus_replay.hpp"

namespace korvel {
namespace {

TEST(FuzzCorpus, ReadbackTarget) { testing::replayCorpus("readback", fuzz::fuzzReadback); }

}  // namespace
}  // namespace korvel
