// The request fuzz target's entry function, compiled into the test program
// so that the regular suite (also under the sanitizers) replays its corpus.
// Without KORVEL_LIBFUZZER it defines no libFuzzer entry point.

#include "../../fuzz/request_options_target.cpp"
