#pragma once
// Data whose encodation ends or splits a run in each way that matters to
// readers, with the data codewords and what each reader returns. The unit
// test pins the codewords (run_endings_test.cpp), the read-back test has
// both readers read the symbols (run_endings_readback_test.cpp).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "korvel/data_matrix_barcode.hpp"

namespace korvel::testing {

// How runs end and split so that readers see exactly the data: X12 and
// EDIFACT runs that end the data, lone EDIFACT unlatches, ready codewords
// inside the data of an explicit mode, and characters automatic mode cannot
// leave in X12 or EDIFACT. Every case pins the data codewords and has the
// symbol read back by zxing-cpp and, where it reads such symbols reliably,
// by libdmtx.
struct RunEndingCase {
    const char* name;
    const char* data;
    EncodingMode mode;
    std::int32_t preferredFormat;
    std::int32_t formatId;
    std::vector<int> codewords;  // data codewords
    std::string zxingText;
    const char* dmtxText;  // nullptr: libdmtx is not asked (it misreads a latch followed at once by
                           // its unlatch, and prints ECI codewords as data bytes)
};

inline const std::string kGs = "\x1D";  // how both readers return an FNC1 inside the data

inline const RunEndingCase kRunEndingCases[] = {
    // End of data inside X12 or EDIFACT: an explicit unlatch once readers
    // would still be in the scheme.
    {"x12 ABCD", "ABCD", EncodingMode::X12, 0, 2, {238, 89, 233, 254, 69}, "ABCD", "ABCD"},
    {"x12 A: latch, unlatch, A", "A", EncodingMode::X12, 0, 1, {238, 254, 66}, "A", nullptr},
    {"edifact ABCDEF", "ABCDEF", EncodingMode::Edifact, 0, 3, {240, 4, 32, 196, 20, 103, 192, 129}, "ABCDEF", "ABCDEF"},
    {"automatic ABC*DEF*GHI*", "ABC*DEF*GHI*", EncodingMode::Automatic, 0, 4,
     {238, 89, 233, 8, 251, 118, 253, 134, 178, 254, 129, 147}, "ABC*DEF*GHI*", "ABC*DEF*GHI*"},

    // X12, no leftover: R = 0, 1 (unchanged), 2 and 5 (unlatch).
    {"x12 k=0 R=0", "ABC", EncodingMode::X12, 0, 1, {238, 89, 233}, "ABC", "ABC"},
    {"x12 k=0 R=1", "ABCDEFGHI", EncodingMode::X12, 3, 3, {238, 89, 233, 109, 36, 128, 95, 129}, "ABCDEFGHI", "ABCDEFGHI"},
    {"x12 k=0 R=2", "ABC", EncodingMode::X12, 2, 2, {238, 89, 233, 254, 129}, "ABC", "ABC"},
    {"x12 k=0 R=5", "ABCDEFGHI", EncodingMode::X12, 4, 4, {238, 89, 233, 109, 36, 128, 95, 254, 129, 101, 251, 147}, "ABCDEFGHI",
     "ABCDEFGHI"},
    // X12, one leftover: R = 1 (ASCII with no unlatch), 2 and 5 (unlatch first).
    {"x12 k=1 R=1", "ABCDEFGHIJ", EncodingMode::X12, 0, 3, {238, 89, 233, 109, 36, 128, 95, 75}, "ABCDEFGHIJ", "ABCDEFGHIJ"},
    {"x12 k=1 R=5", "ABCDEFGHIJ", EncodingMode::X12, 4, 4, {238, 89, 233, 109, 36, 128, 95, 254, 75, 129, 251, 147}, "ABCDEFGHIJ",
     "ABCDEFGHIJ"},
    // X12, two leftovers: always unlatched, whatever the capacity.
    {"x12 k=2", "ABCDE", EncodingMode::X12, 0, 3, {238, 89, 233, 254, 69, 70, 129, 56}, "ABCDE", "ABCDE"},
    {"x12 k=2 larger symbol", "ABCDE", EncodingMode::X12, 4, 4, {238, 89, 233, 254, 69, 70, 129, 56, 206, 101, 251, 147}, "ABCDE",
     "ABCDE"},

    // EDIFACT, no leftover: R = 1, 2 (unchanged), 3 (unlatch 124).
    {"edifact k=0 R=1", "ABCD", EncodingMode::Edifact, 2, 2, {240, 4, 32, 196, 129}, "ABCD", "ABCD"},
    {"edifact k=0 R=2", "ABCDEFGHIJKL", EncodingMode::Edifact, 0, 4, {240, 4, 32, 196, 20, 97, 200, 36, 162, 204, 129, 147},
     "ABCDEFGHIJKL", "ABCDEFGHIJKL"},
    {"edifact k=0 R=3", "ABCDEFGH", EncodingMode::Edifact, 26, 26, {240, 4, 32, 196, 20, 97, 200, 124, 129, 101}, "ABCDEFGH",
     "ABCDEFGH"},
    // EDIFACT, one leftover: R = 2 (ASCII), 3 (packed with the unlatch).
    {"edifact k=1 R=2", "ABCDEFGHIJKLM", EncodingMode::Edifact, 0, 4, {240, 4, 32, 196, 20, 97, 200, 36, 162, 204, 78, 129},
     "ABCDEFGHIJKLM", "ABCDEFGHIJKLM"},
    {"edifact k=1 R=3", "ABCDEFGHI", EncodingMode::Edifact, 26, 26, {240, 4, 32, 196, 20, 97, 200, 37, 240, 129}, "ABCDEFGHI",
     "ABCDEFGHI"},
    // EDIFACT, two leftovers: R = 2 (ASCII), 3 (packed with the unlatch).
    {"edifact k=2 R=2", "ABCDEFGHIJKLMN", EncodingMode::Edifact, 0, 4, {240, 4, 32, 196, 20, 97, 200, 36, 162, 204, 78, 79},
     "ABCDEFGHIJKLMN", "ABCDEFGHIJKLMN"},
    {"edifact k=2 R=3", "ABCDEFGHIJ", EncodingMode::Edifact, 26, 26, {240, 4, 32, 196, 20, 97, 200, 36, 167, 192}, "ABCDEFGHIJ",
     "ABCDEFGHIJ"},
    // EDIFACT, three leftovers: always packed with the unlatch.
    {"edifact k=3", "ABCDEFG", EncodingMode::Edifact, 0, 3, {240, 4, 32, 196, 20, 97, 223, 129}, "ABCDEFG", "ABCDEFG"},
    {"edifact k=3 larger symbol", "ABCDEFG", EncodingMode::Edifact, 5, 5,
     {240, 4, 32, 196, 20, 97, 223, 129, 206, 101, 251, 147, 42, 192, 87, 237, 133, 28}, "ABCDEFG", "ABCDEFG"},

    // A lone EDIFACT unlatch is left out where readers are already back in
    // ASCII (R = 2), and kept where they are not (R = 3 and more).
    {"automatic twelve ! then 12", "!!!!!!!!!!!!12", EncodingMode::Automatic, 0, 4,
     {240, 134, 24, 97, 134, 24, 97, 134, 24, 97, 142, 129}, "!!!!!!!!!!!!12", "!!!!!!!!!!!!12"},
    {"edifact split by fnc1, R=2", "ABCDEFGHIJKL~1", EncodingMode::Edifact, 0, 4,
     {240, 4, 32, 196, 20, 97, 200, 36, 162, 204, 232, 129}, "ABCDEFGHIJKL" + kGs, "ABCDEFGHIJKL\x1D"},
    {"edifact split by fnc1, R=3", "ABCDEFGH~1", EncodingMode::Edifact, 26, 26, {240, 4, 32, 196, 20, 97, 200, 124, 232, 129},
     "ABCDEFGH" + kGs, "ABCDEFGH\x1D"},

    // Ready codewords inside the data of an explicit mode stand in ASCII
    // between two runs of the scheme.
    {"c40 fnc1 inside", "AB~1CD", EncodingMode::C40, 0, 4, {230, 89, 217, 254, 232, 230, 102, 169, 254, 129, 251, 147},
     "AB" + kGs + "CD", "AB\x1D" "CD"},
    {"text fnc1 inside", "ab~1cd", EncodingMode::Text, 0, 4, {239, 89, 217, 254, 232, 239, 102, 169, 254, 129, 251, 147},
     "ab" + kGs + "cd", "ab\x1D" "cd"},
    {"x12 fnc1 inside", "ABC~1DEF", EncodingMode::X12, 0, 3, {238, 89, 233, 254, 232, 238, 109, 36}, "ABC" + kGs + "DEF",
     "ABC\x1D" "DEF"},
    {"edifact fnc1 inside", "ABCD~1EFGH", EncodingMode::Edifact, 0, 4, {240, 4, 32, 196, 124, 232, 240, 20, 97, 200, 129, 147},
     "ABCD" + kGs + "EFGH", "ABCD\x1D" "EFGH"},
    {"base 256 fnc1 inside", "AB~1CD", EncodingMode::Base256, 0, 4, {231, 46, 2, 153, 232, 231, 26, 240, 135, 129, 251, 147},
     "AB" + kGs + "CD", "AB\x1D" "CD"},
    {"c40 eci inside", "AB~7000003CD", EncodingMode::C40, 0, 4, {230, 89, 217, 254, 241, 4, 230, 102, 169, 254, 129, 147}, "ABCD",
     nullptr},
    {"c40 leading fnc1 stays ahead of the latch", "~1AB~1CD", EncodingMode::C40, 0, 4,
     {232, 230, 89, 217, 254, 232, 230, 102, 169, 254, 129, 147}, "AB" + kGs + "CD", "\x1D" "AB\x1D" "CD"},

    // Automatic mode puts a character that X12 or EDIFACT cannot hold in ASCII.
    {"automatic x12 run with a small letter", "AB**AaBB>*0>A", EncodingMode::Automatic, 0, 5,
     {238, 89, 218, 254, 43, 66, 98, 230, 96, 26, 118, 242, 25, 60, 254, 66, 129, 28}, "AB**AaBB>*0>A",
     "AB**AaBB>*0>A"},
    {"automatic edifact run with a small letter", "!!!!!!!!!a!!!!!!!!!", EncodingMode::Automatic, 0, 5,
     {240, 134, 24, 97, 134, 24, 97, 133, 240, 98, 240, 134, 24, 97, 134, 24, 97, 34}, "!!!!!!!!!a!!!!!!!!!",
     "!!!!!!!!!a!!!!!!!!!"},
};

// Data, mode and preferred format set in one update; its result.
inline ResultCode configure(DataMatrixBarcode& barcode, std::string_view data, EncodingMode mode,
                            std::int32_t preferred)
{
    static_cast<void>(barcode.suspendUpdates(true));
    static_cast<void>(barcode.setData(data));
    static_cast<void>(barcode.setEncodingMode(mode));
    static_cast<void>(barcode.setPreferredFormat(preferred));
    return barcode.suspendUpdates(false);
}

}  // namespace korvel::testing
