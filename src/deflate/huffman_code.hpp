#pragma once
// Length-limited Huffman codes as deflate uses them: code lengths from symbol
// frequencies, and the canonical codes those lengths define.

#include <cstdint>
#include <span>

namespace korvel {

// Fills `lengths` (one per symbol, as many as `frequencies`) with the code
// lengths of an optimal prefix code whose codes are at most `maxBits` long;
// unused symbols get 0. At least two symbols always get a code (the lowest
// unused ones stand in when fewer are used), so the code is complete, which
// every decoder accepts. Needs 2 <= frequencies.size() <= 2^maxBits and
// maxBits <= 15.
void huffmanLengths(std::span<const std::uint64_t> frequencies, unsigned maxBits, std::span<std::uint8_t> lengths);

// The canonical code of each symbol for those lengths, with its bits in the
// reverse order, ready for a stream that is filled from the lowest bit up.
// Codes of symbols of length 0 are left as they are.
void canonicalCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes);

}  // namespace korvel
