#include "deflate/huffman_code.hpp"

#include <algorithm>
#include <array>

namespace korvel {
namespace {

constexpr std::size_t kMaxSymbols = 288;
constexpr unsigned kMaxBits = 15;

struct Leaf {
    std::uint64_t weight;
    std::uint16_t symbol;
};

// Tree depths of sorted leaves (lightest first), with the two-queue method:
// the internal nodes are made in order of weight, so the two lightest nodes
// are always at the front of the leaves or of the internal nodes.
void treeDepths(std::span<const Leaf> leaves, std::span<unsigned> depths)
{
    // Left uninitialised: each entry is written before it is read, and this
    // runs for every block of a small image.
    const std::size_t n = leaves.size();
    std::array<std::uint64_t, kMaxSymbols> weight;
    std::array<std::uint16_t, kMaxSymbols> leafParent;
    std::array<std::uint16_t, kMaxSymbols> nodeParent;
    std::size_t nextLeaf = 0;
    std::size_t nextNode = 0;
    for (std::size_t made = 0; made + 1 < n; ++made) {
        weight[made] = 0;
        for (int child = 0; child < 2; ++child) {
            if (nextLeaf < n && (nextNode >= made || leaves[nextLeaf].weight <= weight[nextNode])) {
                leafParent[nextLeaf] = static_cast<std::uint16_t>(made);
                weight[made] += leaves[nextLeaf++].weight;
            } else {
                nodeParent[nextNode] = static_cast<std::uint16_t>(made);
                weight[made] += weight[nextNode++];
            }
        }
    }
    std::array<unsigned, kMaxSymbols> nodeDepth;
    for (std::size_t k = n - 1; k-- > 0;) {
        nodeDepth[k] = k + 2 == n ? 0 : nodeDepth[nodeParent[k]] + 1;
    }
    for (std::size_t i = 0; i < n; ++i) {
        depths[i] = nodeDepth[leafParent[i]] + 1;
    }
}

// With the codes longer than maxBits counted as maxBits long, restores the
// Kraft sum: each step drops one code of the longest length and splits a
// shorter code into two one bit longer, which keeps the number of codes.
void limitLengths(std::span<unsigned> countOfLength, unsigned maxBits)
{
    std::uint64_t kraft = 0;
    for (unsigned length = 1; length <= maxBits; ++length) {
        kraft += std::uint64_t{countOfLength[length]} << (maxBits - length);
    }
    for (; kraft > (std::uint64_t{1} << maxBits); --kraft) {
        --countOfLength[maxBits];
        for (unsigned length = maxBits - 1; length > 0; --length) {
            if (countOfLength[length] != 0) {
                --countOfLength[length];
                countOfLength[length + 1] += 2;
                break;
            }
        }
    }
}

constexpr std::array<std::uint8_t, 256> kReversedBytes = [] {
    std::array<std::uint8_t, 256> table{};
    for (unsigned b = 0; b < 256; ++b) {
        unsigned r = 0;
        for (unsigned bit = 0; bit < 8; ++bit) {
            r |= ((b >> bit) & 1U) << (7 - bit);
        }
        table[b] = static_cast<std::uint8_t>(r);
    }
    return table;
}();

// The lowest `length` bits of `code` in reverse order.
unsigned reversed(unsigned code, unsigned length)
{
    const unsigned all16 = (unsigned{kReversedBytes[code & 0xFFU]} << 8) | kReversedBytes[(code >> 8) & 0xFFU];
    return all16 >> (16 - length);
}

}  // namespace

void huffmanLengths(std::span<const std::uint64_t> frequencies, unsigned maxBits, std::span<std::uint8_t> lengths)
{
    // Most symbols of a block are unused: the used ones are gathered
    // without a branch on each, which the processor could not predict.
    std::array<Leaf, kMaxSymbols> leafStore;
    std::size_t n = 0;
    for (std::size_t s = 0; s < frequencies.size(); ++s) {
        leafStore[n] = {frequencies[s], static_cast<std::uint16_t>(s)};
        n += static_cast<std::size_t>(frequencies[s] != 0);
    }
    for (std::size_t s = 0; n < 2 && s < frequencies.size(); ++s) {
        if (frequencies[s] == 0) {
            leafStore[n++] = {1, static_cast<std::uint16_t>(s)};
        }
    }
    const std::span<Leaf> leaves(leafStore.data(), n);
    std::sort(leaves.begin(), leaves.end(), [](const Leaf& a, const Leaf& b) {
        return a.weight != b.weight ? a.weight < b.weight : a.symbol < b.symbol;
    });
    std::array<unsigned, kMaxSymbols> depths;
    treeDepths(leaves, depths);

    std::array<unsigned, kMaxBits + 1> countOfLength{};
    for (std::size_t i = 0; i < n; ++i) {
        ++countOfLength[std::min(depths[i], maxBits)];
    }
    limitLengths(countOfLength, maxBits);

    // The longest codes go to the lightest symbols.
    std::fill(lengths.begin(), lengths.end(), std::uint8_t{0});
    std::size_t leaf = 0;
    for (unsigned length = maxBits; length > 0; --length) {
        for (unsigned c = 0; c < countOfLength[length]; ++c) {
            lengths[leaves[leaf++].symbol] = static_cast<std::uint8_t>(length);
        }
    }
}

void canonicalCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes)
{
    // The used symbols first, gathered without a branch as above; counting
    // lengths over all symbols would chain hundreds of increments of the
    // count of length 0, each waiting for the one before.
    std::array<std::uint16_t, kMaxSymbols> used;
    std::size_t n = 0;
    for (std::size_t s = 0; s < lengths.size(); ++s) {
        used[n] = static_cast<std::uint16_t>(s);
        n += static_cast<std::size_t>(lengths[s] != 0);
    }
    std::array<unsigned, kMaxBits + 1> countOfLength{};
    for (std::size_t i = 0; i < n; ++i) {
        ++countOfLength[lengths[used[i]]];
    }
    std::array<unsigned, kMaxBits + 1> next{};
    for (unsigned length = 1, code = 0; length <= kMaxBits; ++length) {
        code = (code + countOfLength[length - 1]) << 1;
        next[length] = code;
    }
    for (std::size_t i = 0; i < n; ++i) {
        const unsigned length = lengths[used[i]];
        codes[used[i]] = static_cast<std::uint16_t>(reversed(next[length]++, length));
    }
}

}  // namespace korvel
