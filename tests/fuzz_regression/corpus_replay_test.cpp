// Every file kept under fuzz/corpus/<target>/ runs through that fuzz
// target's entry function (support/corpus_replay.hpp); the read-back target's
// corpus is replayed in corpus_replay_readback_test.cpp.

#include <gtest/gtest.h>

#include "../../fuzz/fuzz_targets.hpp"
#include "support/corpus_replay.hpp"

namespace korvel {
namespace {

TEST(FuzzCorpus, BarcodeTarget) { testing::replayCorpus("barcode", fuzz::fuzzBarcode); }

TEST(FuzzCorpus, CommandLineTarget) { testing::replayCorpus("command_line", fuzz::fuzzCommandLine); }

TEST(FuzzCorpus, Gs1Target) { testing::replayCorpus("gs1", fuzz::fuzzGs1); }

TEST(FuzzCorpus, PngRasterTarget) { testing::replayCorpus("png_raster", fuzz::fuzzPngRaster); }

#ifdef KORVEL_SERVER_TESTS
TEST(FuzzCorpus, RequestOptionsTarget) { testing::replayCorpus("request_options", fuzz::fuzzRequestOptions); }
#endif

TEST(FuzzCorpus, ZlibStreamTarget) { testing::replayCorpus("zlib_stream", fuzz::fuzzZlibStream); }

}  // namespace
}  // namespace korvel
