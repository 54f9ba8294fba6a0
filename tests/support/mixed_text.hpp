#pragma once
// Random text in runs of one character class at a time, as real data comes:
// digits, capitals, small letters, X12 punctuation, EDIFACT punctuation and
// bytes above 127. Used by the tests and the benchmarks; no tildes.

#include <random>
#include <string>
#include <vector>

namespace korvel::testing {

inline std::string mixedText(std::mt19937& random, std::size_t length)
{
    static const std::vector<std::string> kClasses{
        "0123456789", "ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz", "*>\r 0A",
        "!\"#$%&'()=?@[]^_,.-/", "\x80\xC4\xE8\xFF\xE9"};
    std::uniform_int_distribution<std::size_t> pickClass(0, kClasses.size() - 1);
    std::uniform_int_distribution<std::size_t> runLength(1, 12);
    std::string text;
    while (text.size() < length) {
        const std::string& chars = kClasses[pickClass(random)];
        std::uniform_int_distribution<std::size_t> pick(0, chars.size() - 1);
        for (std::size_t k = runLength(random); k > 0 && text.size() < length; --k) {
            text += chars[pick(random)];
        }
    }
    return text;
}

}  // namespace korvel::testing
