// The deflate coder's fuzz target entry function, compiled into the test
// program so that the regular suite (also under the sanitizers) replays its
// corpus. The libFuzzer entry point lives apart, in fuzz/libfuzzer_entry.cpp.

#include "../../fuzz/zlib_stream_target.cpp"
