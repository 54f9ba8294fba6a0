#pragma once
// Hostile data for the hardening tests: seeded random byte strings rich in
// escape sequences, and data at and beyond the capacity of the largest
// symbol. The unit test encodes and draws them; the read-back test has an
// independent reader read some of them.

#include <array>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "korvel/encoding_mode.hpp"

namespace korvel::testing {

inline constexpr std::array<EncodingMode, 7> kAllModes{EncodingMode::Automatic, EncodingMode::Ascii,
                                                       EncodingMode::C40,       EncodingMode::Text,
                                                       EncodingMode::Base256,   EncodingMode::Edifact,
                                                       EncodingMode::X12};

// The seeded inputs: the same `kHostileInputs` strings on every run.
inline constexpr std::uint32_t kHostileSeed = 20240607;
inline constexpr int kHostileInputs = 160;

// Pieces of data that start escape sequences and often leave them unfinished.
inline const std::vector<std::string> kEscapePieces{
    "~",   "~~",   "~1",       "~3",     "~5",       "~6",     "~7",  "~70",   "~7000",   "~70000", "~7000003",
    "~799999", "~7999999", "~7A23456", "~N",  "~R",  "~n",   "~X",      "~X4",    "~x4f",     "~XG1",   "~X~",
    "A",   "1",    "\xff",     "\x80",   " ",        "\r",     "*",   "\x00",  "~\x00",   "~\xff",  "z"};

inline std::string randomData(std::mt19937& rng)
{
    std::uniform_int_distribution<int> kind(0, 5);
    std::uniform_int_distribution<int> shortLength(0, 40);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string data;
    switch (kind(rng)) {
    case 0: {  // any bytes
        const int n = shortLength(rng);
        for (int i = 0; i < n; ++i) {
            data.push_back(static_cast<char>(byte(rng)));
        }
        break;
    }
    case 1: {  // control characters
        std::uniform_int_distribution<int> control(0, 32);
        const int n = shortLength(rng);
        for (int i = 0; i < n; ++i) {
            const int c = control(rng);
            data.push_back(static_cast<char>(c == 32 ? 127 : c));
        }
        break;
    }
    case 2: {  // bytes 128..255
        std::uniform_int_distribution<int> high(128, 255);
        const int n = shortLength(rng);
        for (int i = 0; i < n; ++i) {
            data.push_back(static_cast<char>(high(rng)));
        }
        break;
    }
    case 3:
    case 4: {  // escape sequences, complete or not
        std::uniform_int_distribution<std::size_t> piece(0, kEscapePieces.size() - 1);
        const int n = shortLength(rng) / 2;
        for (int i = 0; i < n; ++i) {
            data += kEscapePieces[piece(rng)];
        }
        break;
    }
    default: {  // a longer run of one character class, to a few hundred items
        std::uniform_int_distribution<int> length(100, 700);
        const std::string classes[] = {"0123456789", "ABCXYZ 019", "abcxyz 019", "ABC*>\r 019", "@ABC^_=?;:",
                                       "\x80\xff\xe8\xe9", "~"};
        std::uniform_int_distribution<std::size_t> which(0, std::size(classes) - 1);
        const std::string& set = classes[which(rng)];
        std::uniform_int_distribution<std::size_t> pick(0, set.size() - 1);
        const int n = length(rng);
        for (int i = 0; i < n; ++i) {
            data.push_back(set[pick(rng)]);
        }
        break;
    }
    }
    return data;
}

// Data at and beyond what the largest symbol (1558 data codewords) holds.
inline std::vector<std::string> longData()
{
    std::vector<std::string> data{
        std::string(3116, '7'),  std::string(3117, '7'),  std::string(1555, '\xa5'), std::string(1556, '\xa5'),
        std::string(2336, 'Q'),  std::string(2337, 'Q'),  std::string(2076, '@'),    std::string(2078, '@'),
        std::string(1000, '~'),  std::string(3117, '~'),  std::string(6232, '~'),    std::string(6233, '~'),
        std::string(10000, 'a'), std::string(70000, '1'), std::string(70000, '~'),
    };
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> byte(0, 255);
    for (const std::size_t n : {1556U, 3200U, 20000U}) {
        std::string random;
        for (std::size_t i = 0; i < n; ++i) {
            random.push_back(static_cast<char>(byte(rng)));
        }
        data.push_back(random);
    }
    return data;
}

// Around the capacity of the largest symbol (1558 data codewords): one
// character repeated, lengths first .. first + 9, of which those up to
// `longest` fit (recorded from the encoder, and read back by zxing-cpp in
// tests/hardening/hostile_data_readback_test.cpp).
struct CapacityCase {
    const char* name;
    EncodingMode mode;
    char fill;
    std::size_t first;
    std::size_t longest;
};

inline constexpr CapacityCase kCapacityCases[] = {
    {"AsciiDigits", EncodingMode::Ascii, '4', 3112, 3116},
    {"AsciiHighBytes", EncodingMode::Ascii, '\xe4', 775, 779},
    {"C40Capitals", EncodingMode::C40, 'K', 2331, 2334},
    {"TextSmallLetters", EncodingMode::Text, 'k', 2331, 2334},
    {"X12Capitals", EncodingMode::X12, 'K', 2331, 2335},
    {"EdifactSigns", EncodingMode::Edifact, '@', 2072, 2076},
    {"Base256Bytes", EncodingMode::Base256, '\x01', 1550, 1555},
    {"AutomaticDigits", EncodingMode::Automatic, '0', 3112, 3116},
    {"AutomaticTildes", EncodingMode::Automatic, '~', 3108, 3116},
};

}  // namespace korvel::testing
