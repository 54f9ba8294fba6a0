#include <array>

#include "encodation/scheme_encoders.hpp"

namespace korvel {
namespace {

constexpr std::uint8_t kNoCharacter = 255;
constexpr std::uint8_t kShift2 = 1;
constexpr std::uint8_t kUpperShiftValue = 30;

using CharacterTable = std::array<std::array<std::uint8_t, 40>, 4>;  // [set][value]

// The character at (set, value) of the C40 (c40 true) or Text table, or 255.
constexpr CharacterTable makeCharacterTable(bool c40)
{
    CharacterTable table{};
    for (auto& set : table) {
        set.fill(kNoCharacter);
    }
    table[0][3] = ' ';
    for (int v = 0; v < 10; ++v) {
        table[0][static_cast<std::size_t>(4 + v)] = static_cast<std::uint8_t>('0' + v);
    }
    const char basicLetter = c40 ? 'A' : 'a';
    const char shiftedLetter = c40 ? 'a' : 'A';
    for (int v = 0; v < 26; ++v) {
        table[0][static_cast<std::size_t>(14 + v)] = static_cast<std::uint8_t>(basicLetter + v);
        table[3][static_cast<std::size_t>(1 + v)] = static_cast<std::uint8_t>(shiftedLetter + v);
    }
    for (int v = 0; v < 32; ++v) {
        table[1][static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(v);
    }
    for (int v = 0; v < 15; ++v) {
        table[2][static_cast<std::size_t>(v)] = static_cast<std::uint8_t>(33 + v);
    }
    for (int v = 0; v < 7; ++v) {
        table[2][static_cast<std::size_t>(15 + v)] = static_cast<std::uint8_t>(58 + v);
    }
    for (int v = 0; v < 5; ++v) {
        table[2][static_cast<std::size_t>(22 + v)] = static_cast<std::uint8_t>(91 + v);
        table[3][static_cast<std::size_t>(27 + v)] = static_cast<std::uint8_t>(123 + v);
    }
    table[3][0] = 96;
    return table;
}

// For each character 0..127, its slot found by searching values 0..39 in
// ascending order and, for each value, sets 0..3; the first match wins.
using SlotIndex = std::array<C40TextSlot, 128>;
constexpr SlotIndex makeSlotIndex(bool c40)
{
    const CharacterTable table = makeCharacterTable(c40);
    SlotIndex index{};
    std::array<bool, 128> found{};
    for (std::uint8_t value = 0; value < 40; ++value) {
        for (std::uint8_t set = 0; set < 4; ++set) {
            const std::uint8_t c = table[set][value];
            if (c < 128 && !found[c]) {
                found[c] = true;
                index[c] = {value, set};
            }
        }
    }
    return index;
}

constexpr SlotIndex kC40Slots = makeSlotIndex(true);
constexpr SlotIndex kTextSlots = makeSlotIndex(false);

static_assert(kC40Slots['A'].value == 14 && kC40Slots['A'].set == 0);
static_assert(kC40Slots['a'].value == 1 && kC40Slots['a'].set == 3);
static_assert(kTextSlots['a'].value == 14 && kTextSlots['a'].set == 0);
static_assert(kTextSlots['!'].value == 0 && kTextSlots['!'].set == 2);

// Adds the values of one data character (shifts included) to the value list.
void appendValues(bool c40, std::uint8_t c, std::vector<std::uint8_t>& values)
{
    if (c > 127) {
        values.push_back(kShift2);
        values.push_back(kUpperShiftValue);
        c = static_cast<std::uint8_t>(c - 128);
    }
    const C40TextSlot slot = (c40 ? kC40Slots : kTextSlots)[c];
    if (slot.set != 0) {
        values.push_back(static_cast<std::uint8_t>(slot.set - 1));
    }
    values.push_back(slot.value);
}

}  // namespace

std::optional<C40TextSlot> lookupC40Text(bool c40, std::uint8_t c)
{
    if (c > 127) {
        return std::nullopt;
    }
    return (c40 ? kC40Slots : kTextSlots)[c];
}

int c40TextValueCount(bool c40, std::uint8_t c)
{
    const int upperShift = c > 127 ? 2 : 0;
    const C40TextSlot slot = (c40 ? kC40Slots : kTextSlots)[c & 0x7F];
    return upperShift + (slot.set != 0 ? 2 : 1);
}

void packTriple(std::uint8_t x, std::uint8_t y, std::uint8_t z, CodewordString& out)
{
    const int n = 1600 * x + 40 * y + z + 1;
    out.push_back(static_cast<Codeword>(n / 256));
    out.push_back(static_cast<Codeword>(n % 256));
}

void encodeC40Text(const DataItemList& items, bool c40, CodewordString& out)
{
    if (items.empty()) {
        return;
    }
    out.push_back(c40 ? kLatchC40 : kLatchText);

    std::vector<std::uint8_t> values;
    values.reserve(2 * items.size());
    std::uint8_t lastCharacter = 0;
    for (const DataItem& item : items) {
        if (item.isCodeword) {
            out.push_back(item.value);
            continue;
        }
        lastCharacter = item.value;
        appendValues(c40, item.value, values);
    }

    std::size_t next = 0;
    for (; values.size() - next >= 3; next += 3) {
        packTriple(values[next], values[next + 1], values[next + 2], out);
    }
    switch (values.size() - next) {
    case 0:
        out.push_back(kUnlatch);
        break;
    case 2:
        packTriple(values[next], values[next + 1], 0, out);
        out.push_back(kUnlatch);
        break;
    default:  // one value left: the last character goes in ASCII after the unlatch
        out.push_back(kUnlatch);
        encodeAscii({DataItem{lastCharacter, false}}, out);
        break;
    }
}

}  // namespace korvel
