// The request fuzz target's entry function, compiled into the test program
// so that the regular suite (also under the sanitizers) replays its corpus.
// The libFuzzer entry point lives apart, in fuzz/libfuzzer_entry.cpp.

#include "../../fuzz/request_options_target.cpp"
