#include <gtest/gtest.h>

#include <array>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "encodation/codeword_randomizing.hpp"
#include "encodation/data_preparation.hpp"
#include "encodation/scheme_encoders.hpp"

namespace korvel {
namespace {

// Items written in the data syntax: "~1" is an FNC1 item, "~Xhh" a byte.
DataItemList items(std::string_view text) { return prepareData(text); }

std::vector<int> ints(const CodewordString& codewords) { return {codewords.begin(), codewords.end()}; }

DataItemList repeated(std::size_t count, std::uint8_t value) { return DataItemList(count, DataItem{value, false}); }

// ---------------------------------------------------------------------------
// ASCII: digit pairs, single characters, upper shift, ready codewords in place.

struct AsciiCase {
    const char* data;
    std::vector<int> codewords;
};

const AsciiCase kAsciiCases[] = {
    {"12345", {142, 164, 54}},
    {"123", {142, 52}},
    {"00", {130}},
    {"99", {229}},
    {"1~12", {50, 232, 51}},  // a ready codeword between two digits prevents the pair
    {"A1", {66, 50}},
    {"~X00", {1}},
    {"~X7F", {128}},
    {"~X80", {235, 1}},
    {"~XFF", {235, 128}},
    {"~1~1", {232, 232}},
    {"~7000003", {241, 4}},
    {"", {}},
};

TEST(EncodeAscii, Codewords)
{
    for (const AsciiCase& c : kAsciiCases) {
        CodewordString out;
        encodeAscii(items(c.data), out);
        EXPECT_EQ(ints(out), c.codewords) << c.data;
    }
}

// ---------------------------------------------------------------------------
// C40 and Text: character tables, triple packing and the end of the run.

struct SlotCase {
    bool c40;
    int character;
    int value;
    int set;
};

const SlotCase kSlotCases[] = {
    {true, ' ', 3, 0},   {true, '0', 4, 0},    {true, '9', 13, 0},   {true, 'A', 14, 0},  {true, 'Z', 39, 0},
    {true, 0, 0, 1},     {true, 31, 31, 1},    {true, '!', 0, 2},    {true, '/', 14, 2},  {true, ':', 15, 2},
    {true, '@', 21, 2},  {true, '[', 22, 2},   {true, '_', 26, 2},   {true, '`', 0, 3},   {true, 'a', 1, 3},
    {true, 'z', 26, 3},  {true, '{', 27, 3},   {true, 127, 31, 3},   {false, ' ', 3, 0},  {false, '5', 9, 0},
    {false, 'a', 14, 0}, {false, 'z', 39, 0},  {false, 'A', 1, 3},   {false, 'Z', 26, 3}, {false, '`', 0, 3},
    {false, '~', 30, 3}, {false, 13, 13, 1},   {false, '?', 20, 2},
};

TEST(LookupC40Text, ValueAndSet)
{
    for (const SlotCase& c : kSlotCases) {
        const auto slot = lookupC40Text(c.c40, static_cast<std::uint8_t>(c.character));
        ASSERT_TRUE(slot.has_value()) << c.character;
        EXPECT_EQ(slot->value, c.value) << (c.c40 ? "C40 " : "Text ") << c.character;
        EXPECT_EQ(slot->set, c.set) << (c.c40 ? "C40 " : "Text ") << c.character;
    }
}

// Each table holds every character 0..127 in its own slot, and nothing above.
TEST(LookupC40Text, EveryCharacterHasItsOwnSlot)
{
    for (const bool c40 : {true, false}) {
        std::set<std::pair<int, int>> slots;
        for (int c = 0; c < 128; ++c) {
            const auto slot = lookupC40Text(c40, static_cast<std::uint8_t>(c));
            ASSERT_TRUE(slot.has_value()) << c;
            EXPECT_LT(slot->value, 40);
            EXPECT_LT(slot->set, 4);
            EXPECT_TRUE(slots.insert({slot->value, slot->set}).second) << "slot shared by " << c;
        }
        EXPECT_FALSE(lookupC40Text(c40, 128).has_value());
        EXPECT_FALSE(lookupC40Text(c40, 255).has_value());
    }
}

TEST(PackTriple, TwoCodewords)
{
    const std::array<std::array<int, 5>, 5> cases{{
        {0, 0, 0, 0, 1},
        {14, 22, 26, 91, 11},   // A I M
        {2, 1, 0, 12, 169},
        {1, 2, 3, 6, 148},
        {39, 39, 39, 250, 0},  // the largest triple: 1600*39 + 40*39 + 39 + 1 = 64000
    }};
    for (const auto& c : cases) {
        CodewordString out;
        packTriple(static_cast<std::uint8_t>(c[0]), static_cast<std::uint8_t>(c[1]), static_cast<std::uint8_t>(c[2]),
                   out);
        EXPECT_EQ(ints(out), (std::vector<int>{c[3], c[4]})) << c[0] << " " << c[1] << " " << c[2];
    }
}

struct C40TextCase {
    bool c40;
    const char* data;
    std::vector<int> codewords;
};

const C40TextCase kC40TextCases[] = {
    {true, "AIM", {230, 91, 11, 254}},
    {true, "AB", {230, 89, 217, 254}},                     // two values left: Shift 1 filler
    {true, "ABCD", {230, 89, 233, 254, 69}},               // one value left: D in ASCII
    {false, "a", {239, 254, 98}},
    {true, "a", {230, 12, 169, 254}},                      // Shift 3, value 1
    {true, "~XC8", {230, 11, 6, 254}},                     // upper shift of H
    {true, "AB~1CD", {230, 232, 89, 233, 254, 69}},        // ready codeword straight after the latch
    {true, "~1~1", {230, 232, 232, 254}},
    {false, "~1~1", {239, 232, 232, 254}},
    {true, "", {}},
    {false, "", {}},
    {true, "AB!", {230, 89, 218, 254, 34}},                // the shift of ! stays in the last triple
    {true, "A~XC8", {230, 87, 199, 254, 235, 73}},         // upper shift in the triple, byte 200 again in ASCII
    {true, "12", {230, 32, 49, 254}},
    {false, "AB", {239, 12, 171, 254, 67}},                // capitals need Shift 3 in Text
    {false, "ab c", {239, 89, 220, 254, 100}},
    {false, "Hello World", {239, 13, 211, 160, 69, 19, 40, 179, 242, 254, 101}},
};

TEST(EncodeC40Text, Codewords)
{
    for (const C40TextCase& c : kC40TextCases) {
        CodewordString out{9};
        encodeC40Text(items(c.data), c.c40, out);
        std::vector<int> expected{9};
        expected.insert(expected.end(), c.codewords.begin(), c.codewords.end());
        EXPECT_EQ(ints(out), expected) << (c.c40 ? "C40 " : "Text ") << c.data;
    }
}

// ---------------------------------------------------------------------------
// X12 and EDIFACT: packing as they read; the end of the run depends on
// whether it ends the data.

struct FinalCase {
    const char* data;
    bool finalSegment;
    bool accepted;
    std::vector<int> codewords;
};

const FinalCase kX12Cases[] = {
    {"ABC", true, true, {238, 89, 233}},
    {"ABC", false, true, {238, 89, 233, 254}},
    {"ABCD", true, true, {238, 89, 233, 69}},              // k = 1: no unlatch before the D
    {"ABCD", false, true, {238, 89, 233, 254, 69}},
    {"ABCDE", true, true, {238, 89, 233, 254, 69, 70}},    // k = 2
    {"ABCDE", false, true, {238, 89, 233, 254, 69, 70}},
    {"ABC12", true, true, {238, 89, 233, 254, 142}},       // the two leftovers form a digit pair
    {"*> ", true, true, {238, 6, 148}},
    {"~R~R~R", true, true, {238, 0, 1}},
    {"09Z", true, true, {238, 27, 48}},
    {"A", true, true, {238, 66}},
    {"A", false, true, {238, 254, 66}},
    {"A~1BC", true, true, {238, 232, 89, 233}},            // ready codeword before the triple holding the A
    {"~1", true, true, {238, 232}},
    {"ABa", true, false, {}},                               // small letter: refused, nothing written
    {"AB!", false, false, {}},
    {"", true, true, {}},
};

TEST(EncodeX12, Codewords)
{
    for (const FinalCase& c : kX12Cases) {
        CodewordString out;
        EXPECT_EQ(encodeX12(items(c.data), c.finalSegment, out), c.accepted) << c.data;
        EXPECT_EQ(ints(out), c.codewords) << c.data << (c.finalSegment ? " final" : " not final");
    }
}

const FinalCase kEdifactCases[] = {
    {"ABCD", true, true, {240, 4, 32, 196}},
    {"ABCD", false, true, {240, 4, 32, 196, 124}},
    {"ABCDE", true, true, {240, 4, 32, 196, 70}},          // k = 1 in ASCII, no unlatch
    {"ABCDE", false, true, {240, 4, 32, 196, 21, 240}},
    {"ABCDEF", true, true, {240, 4, 32, 196, 70, 71}},     // k = 2 in ASCII
    {"ABCDEF", false, true, {240, 4, 32, 196, 20, 103, 192}},
    {"ABCDEFG", true, true, {240, 4, 32, 196, 20, 97, 223}},  // k = 3: packed with the unlatch
    {"ABCDEFG", false, true, {240, 4, 32, 196, 20, 97, 223}},
    {"AB", true, true, {240, 66, 67}},
    {"AB", false, true, {240, 4, 39, 192}},
    {"A", false, true, {240, 5, 240}},
    {"12", true, true, {240, 142}},                         // one digit pair in ASCII
    {"1234", true, true, {240, 199, 44, 244}},
    {"A~1BCD", true, true, {240, 232, 4, 32, 196}},
    {" ^^^", true, true, {240, 129, 231, 158}},             // space keeps 32, ^ becomes 30
    {"ABc", true, false, {}},
    {"AB_", true, false, {}},                               // 95 is outside 32..94
    {"AB~X1F", false, false, {}},                           // 31 is outside as well
    {"", false, true, {}},
};

TEST(EncodeEdifact, Codewords)
{
    for (const FinalCase& c : kEdifactCases) {
        CodewordString out;
        EXPECT_EQ(encodeEdifact(items(c.data), c.finalSegment, out), c.accepted) << c.data;
        EXPECT_EQ(ints(out), c.codewords) << c.data << (c.finalSegment ? " final" : " not final");
    }
}

TEST(PackEdifact, SixBitValuesCutIntoBytes)
{
    struct Case {
        std::vector<std::uint8_t> values;
        std::vector<int> codewords;
    };
    const Case cases[] = {
        {{'A', 'B', 'C', 'D'}, {4, 32, 196}},
        {{'A', 'B', 'C'}, {4, 32, 192}},
        {{'A', 'B'}, {4, 32}},
        {{31}, {124}},
        {{0xFF, 0xFF, 0xFF, 0xFF}, {255, 255, 255}},  // only the low six bits count
        {{0xC0, 0x40, 0x80, 0x00}, {0, 0, 0}},
    };
    for (const Case& c : cases) {
        CodewordString out;
        packEdifact(c.values.data(), c.values.size(), out);
        EXPECT_EQ(ints(out), c.codewords) << c.values.size() << " values";
    }
}

// ---------------------------------------------------------------------------
// Base 256: latch, randomised length field, randomised bytes.

TEST(Randomize, Base256RuleAtItsEdges)
{
    EXPECT_EQ(randomize255(106, 1), 0);    // 106 + 150 = 256
    EXPECT_EQ(randomize255(105, 1), 255);  // 255 stays
    EXPECT_EQ(randomize255(1, 2), 45);
    EXPECT_EQ(randomize255(250, 2), 38);
    EXPECT_EQ(randomize255(0, 3), 193);
    EXPECT_EQ(randomize255(0, 255), 1);    // 149 * 255 is a multiple of 255
    EXPECT_EQ(randomize255(0, 0), 1);      // position 65536 seen as 0
}

TEST(Randomize, PadRuleAtItsEdges)
{
    EXPECT_EQ(randomize253(129, 5), 115);
    EXPECT_EQ(randomize253(104, 1), 254);  // 104 + 150 = 254 stays
    EXPECT_EQ(randomize253(105, 1), 1);    // 255 wraps to 1
    EXPECT_EQ(randomize253(129, 2), 175);
    EXPECT_EQ(randomize253(129, 3), 70);
}

struct Base256Case {
    const char* name;
    std::size_t before;  // codewords already in the string (header, earlier runs)
    DataItemList run;
    bool accepted;
    std::vector<int> start;  // the first codewords appended
    std::size_t appended;
};

DataItemList sample(std::size_t count)
{
    DataItemList list;
    for (std::size_t i = 0; i < count; ++i) {
        list.push_back({static_cast<std::uint8_t>(i * 7), false});
    }
    return list;
}

const Base256Case kBase256Cases[] = {
    {"single A", 0, items("A"), true, {231, 45, 2}, 3},
    {"after a four-codeword header", 4, items("A"), true, {231, 131, 89}, 3},
    {"fnc1 item is a plain byte", 0, items("A~1"), true, {231, 46, 2, 63}, 4},
    {"249 bytes: one length codeword", 0, sample(249), true, {231, 37, 193}, 251},
    {"250 bytes: two length codewords", 0, repeated(250, 0), true, {231, 38, 193}, 253},
    {"1555 bytes", 0, repeated(1555, 0), true, {231, 43, 248}, 1558},
    {"1556 bytes: refused, nothing appended", 0, repeated(1556, 0), false, {}, 0},
    {"empty: not even the latch", 0, {}, true, {}, 0},
};

TEST(EncodeBase256, Codewords)
{
    for (const Base256Case& c : kBase256Cases) {
        CodewordString out(c.before, 0);
        EXPECT_EQ(encodeBase256(c.run, out), c.accepted) << c.name;
        ASSERT_EQ(out.size(), c.before + c.appended) << c.name;
        const std::vector<int> start(out.begin() + static_cast<std::ptrdiff_t>(c.before),
                                     out.begin() + static_cast<std::ptrdiff_t>(c.before + c.start.size()));
        EXPECT_EQ(start, c.start) << c.name;
    }
}

// Every byte after the latch is its value randomised at its own position.
TEST(EncodeBase256, EveryByteRandomisedAtItsPosition)
{
    const DataItemList run = sample(300);
    CodewordString out(2, 0);
    ASSERT_TRUE(encodeBase256(run, out));
    ASSERT_EQ(out.size(), 2 + 1 + 2 + run.size());
    for (std::size_t i = 0; i < run.size(); ++i) {
        const std::size_t index = 5 + i;
        EXPECT_EQ(out[index], randomize255(run[i].value, static_cast<std::uint16_t>(index + 1))) << i;
    }
}

}  // namespace
}  // namespace korvel
