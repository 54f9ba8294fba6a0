#pragma once
// An ordered, growable sequence of 8-bit codewords. Positions used by the
// randomising rules are 1-based: the position of a codeword being appended
// is the current length + 1.

#include <cstdint>
#include <vector>

namespace korvel {

using Codeword = std::uint8_t;
using CodewordString = std::vector<Codeword>;

}  // namespace korvel
