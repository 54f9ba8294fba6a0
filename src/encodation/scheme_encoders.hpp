#pragma once
// The six encodation schemes. Each encoder appends the codewords of one run of
// data items to a codeword string; every scheme but ASCII opens with its latch
// codeword, and a run that does not end the data leaves ASCII in force again.

#include <cstdint>
#include <optional>

#include "encodation/data_item.hpp"
#include "korvel/codeword_string.hpp"

namespace korvel {

inline constexpr Codeword kLatchC40 = 230;
inline constexpr Codeword kLatchBase256 = 231;
inline constexpr Codeword kUpperShift = 235;
inline constexpr Codeword kLatchX12 = 238;
inline constexpr Codeword kLatchText = 239;
inline constexpr Codeword kLatchEdifact = 240;
inline constexpr Codeword kUnlatch = 254;
inline constexpr std::uint8_t kEdifactUnlatchValue = 31;
inline constexpr std::size_t kMaxBase256Run = 1555;

// ASCII: digit pairs, single characters, upper shift above 127; ready
// codewords are copied in place.
void encodeAscii(const DataItemList& items, CodewordString& out);

// C40 (c40 true) or Text (c40 false): values 0..39 packed three to two
// codewords, always closed with the unlatch 254.
void encodeC40Text(const DataItemList& items, bool c40, CodewordString& out);

// X12: refuses (appending nothing) a run holding a data character outside the
// X12 set. With finalSegment the run may end without an unlatch.
[[nodiscard]] bool encodeX12(const DataItemList& items, bool finalSegment, CodewordString& out);

// EDIFACT: refuses (appending nothing) a run holding a data character outside
// 32..94. With finalSegment the run may end without an unlatch.
[[nodiscard]] bool encodeEdifact(const DataItemList& items, bool finalSegment, CodewordString& out);

// Base 256: latch, randomised length field, randomised bytes. Refuses
// (appending nothing) a run of more than 1555 items. With toSymbolEnd the run
// fills the symbol to its last data codeword and the length field is the
// single 0 that says so (ISO/IEC 16022).
[[nodiscard]] bool encodeBase256(const DataItemList& items, CodewordString& out, bool toSymbolEnd = false);

// Value (0..39) and set (0..3) of a character 0..127 in the C40 or Text table.
struct C40TextSlot {
    std::uint8_t value = 0;
    std::uint8_t set = 0;
};
[[nodiscard]] std::optional<C40TextSlot> lookupC40Text(bool c40, std::uint8_t c);

// How many values 0..39 a data character 0..255 takes in C40 or Text: upper
// shift (two values), set shift, value.
[[nodiscard]] int c40TextValueCount(bool c40, std::uint8_t c);

// Two codewords holding three values 0..39.
void packTriple(std::uint8_t x, std::uint8_t y, std::uint8_t z, CodewordString& out);

// Packs the low six bits of the first `count` (1..4) values, most significant
// bit first; one value gives one codeword, two give two, three or four give three.
void packEdifact(const std::uint8_t* values, std::size_t count, CodewordString& out);

[[nodiscard]] constexpr bool isX12Char(std::uint8_t c) noexcept
{
    return c == 13 || c == '*' || c == '>' || c == ' ' || isDigit(c) || (c >= 'A' && c <= 'Z');
}
[[nodiscard]] constexpr std::uint8_t x12Value(std::uint8_t c) noexcept
{
    switch (c) {
    case 13: return 0;
    case '*': return 1;
    case '>': return 2;
    case ' ': return 3;
    default: break;
    }
    if (isDigit(c)) {
        return static_cast<std::uint8_t>(c - 44);
    }
    if (c >= 'A' && c <= 'Z') {
        return static_cast<std::uint8_t>(c - 51);
    }
    return 0;
}
[[nodiscard]] constexpr bool isEdifactChar(std::uint8_t c) noexcept { return c >= 32 && c <= 94; }

[[nodiscard]] bool allX12(const DataItemList& items);
[[nodiscard]] bool allEdifact(const DataItemList& items);

}  // namespace korvel
