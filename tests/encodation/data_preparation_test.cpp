#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "encodation/data_preparation.hpp"

namespace korvel {
namespace {

// A prepared item written compactly: a data character, or a ready codeword.
DataItem ch(int value) { return {static_cast<std::uint8_t>(value), false}; }
DataItem cw(int value) { return {static_cast<std::uint8_t>(value), true}; }

// Every character of the text as a plain data character.
DataItemList plain(std::string_view text)
{
    DataItemList items;
    for (const char c : text) {
        items.push_back(ch(static_cast<unsigned char>(c)));
    }
    return items;
}

DataItemList concat(std::initializer_list<DataItemList> parts)
{
    DataItemList all;
    for (const auto& part : parts) {
        all.insert(all.end(), part.begin(), part.end());
    }
    return all;
}

std::string describe(const DataItemList& items)
{
    std::string text;
    for (const DataItem& item : items) {
        text += (item.isCodeword ? "cw" : "ch") + std::to_string(item.value) + " ";
    }
    return text;
}

struct PrepareCase {
    const char* name;
    std::string text;
    DataItemList expected;
};

// Escape sequences that resolve, and every way a tilde stays a plain character.
const PrepareCase kPrepareCases[] = {
    {"plain text", "Ab 9", plain("Ab 9")},
    {"empty text", "", {}},
    {"bytes above 127 kept", "\xC4\xFF", {ch(196), ch(255)}},
    {"fnc1 at start", "~1AB", concat({{cw(232)}, plain("AB")})},
    {"fnc1 inside", "A~1B", {ch('A'), cw(232), ch('B')}},
    {"fnc1 at end", "A~1", {ch('A'), cw(232)}},
    {"reader programming at start", "~3A", {cw(234), ch('A')}},
    {"macro 05 at start", "~5A", {cw(236), ch('A')}},
    {"macro 06 at start", "~6A", {cw(237), ch('A')}},
    {"reader programming not at start", "A~3", plain("A~3")},
    {"macro 05 not at start", "A~5", plain("A~5")},
    {"macro 06 not at start", "A~6", plain("A~6")},
    {"macro after an fnc1 is not at start", "~1~5", {cw(232), ch('~'), ch('5')}},
    {"eci 3", "~7000003", {cw(241), cw(4)}},
    {"eci 127", "~7000127X", {cw(241), cw(128), cw(1), ch('X')}},
    {"eci 16383", "~7016383", {cw(241), cw(192), cw(1), cw(1)}},
    {"eci 999999", "~7999999", {cw(241), cw(207), cw(63), cw(129)}},
    {"eci inside the data", "A~7000000B", {ch('A'), cw(241), cw(1), ch('B')}},
    {"eci with four digits then end", "~70000", plain("~70000")},
    {"eci with five digits then end", "~700000", plain("~700000")},
    {"eci with a letter among the digits", "~70000A01", plain("~70000A01")},
    {"eci with nothing after", "~7", plain("~7")},
    {"line feed", "~N", {ch(10)}},
    {"carriage return", "A~RB", {ch('A'), ch(13), ch('B')}},
    {"small n is no escape", "~n", plain("~n")},
    {"small r is no escape", "~r", plain("~r")},
    {"hex capital X", "~X41", plain("A")},
    {"hex small x", "~x41", plain("A")},
    {"hex digits in either case", "~xfF~X0a", {ch(255), ch(10)}},
    {"hex 00", "~X00", {ch(0)}},
    {"hex with a bad digit", "~XG1", plain("~XG1")},
    {"hex with a bad second digit", "~X4G", plain("~X4G")},
    {"hex with one digit then end", "~X4", plain("~X4")},
    {"hex with nothing after", "~x", plain("~x")},
    {"double tilde", "~~", plain("~")},
    {"double tilde then an escape digit", "~~1", plain("~1")},
    {"three tildes", "~~~", plain("~~")},
    {"double tilde then fnc1", "~~~1", {ch('~'), cw(232)}},
    {"tilde last", "AB~", plain("AB~")},
    {"tilde alone", "~", plain("~")},
    {"unknown letter", "~Q~1", {ch('~'), ch('Q'), cw(232)}},
    {"unknown digits", "~0~2~4~8~9", plain("~0~2~4~8~9")},
    {"failed escape leaves the next character plain", "~7~1", {ch('~'), ch('7'), cw(232)}},
};

class PrepareDataTest : public ::testing::TestWithParam<PrepareCase> {};

TEST_P(PrepareDataTest, ResolvesEscapes)
{
    const PrepareCase& c = GetParam();
    const DataItemList items = prepareData(c.text);
    EXPECT_EQ(items, c.expected) << c.name << ": got " << describe(items) << ", want " << describe(c.expected);
}

INSTANTIATE_TEST_SUITE_P(Escapes, PrepareDataTest, ::testing::ValuesIn(kPrepareCases));

struct EciCase {
    std::uint32_t number;
    std::vector<int> codewords;
};

// ECI numbers at the edges of the one-, two- and three-codeword forms.
const EciCase kEciCases[] = {
    {0, {241, 1}},
    {3, {241, 4}},
    {126, {241, 127}},
    {127, {241, 128, 1}},
    {380, {241, 128, 254}},
    {381, {241, 129, 1}},
    {16382, {241, 191, 254}},
    {16383, {241, 192, 1, 1}},
    {16383 + 254, {241, 192, 2, 1}},
    {16383 + 64516, {241, 193, 1, 1}},
    {999999, {241, 207, 63, 129}},
    {1000000, {241}},
    {4294967295U, {241}},
};

TEST(EncodeEci, CodewordsByNumberSize)
{
    for (const EciCase& c : kEciCases) {
        CodewordString out{7};  // codewords already present stay in front
        encodeEci(c.number, out);
        std::vector<int> expected{7};
        expected.insert(expected.end(), c.codewords.begin(), c.codewords.end());
        EXPECT_EQ(std::vector<int>(out.begin(), out.end()), expected) << "ECI " << c.number;
    }
}

}  // namespace
}  // namespace korvel
