// The libFuzzer entry point of every target. KORVEL_FUZZ_ENTRY names the
// target's entry function of fuzz_targets.hpp; an input for which a property
// does not hold aborts with the function's name and the property.

#include <cstdio>
#include <cstdlib>

#include "fuzz_targets.hpp"

#define KORVEL_FUZZ_TEXT(name) #name
#define KORVEL_FUZZ_NAME(name) KORVEL_FUZZ_TEXT(name)

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (const char* failure = korvel::fuzz::KORVEL_FUZZ_ENTRY(data, size)) {
        std::fprintf(stderr, "%s: %s\n", KORVEL_FUZZ_NAME(KORVEL_FUZZ_ENTRY), failure);
        std::abort();
    }
    return 0;
}
