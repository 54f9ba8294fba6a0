#include "encodation/data_preparation.hpp"

#include "common/byte_text.hpp"

#include <cstddef>
#include <optional>

namespace korvel {
namespace {

// The six-digit ECI number that follows "~7" at index i, if all six are digits.
std::optional<std::uint32_t> eciNumberAt(std::string_view text, std::size_t i)
{
    const std::size_t first = i + 2;
    if (text.size() < first + 6) {
        return std::nullopt;
    }
    std::uint32_t number = 0;
    for (std::size_t k = first; k < first + 6; ++k) {
        const auto c = static_cast<std::uint8_t>(text[k]);
        if (!isDigit(c)) {
            return std::nullopt;
        }
        number = number * 10 + (c - '0');
    }
    return number;
}

std::optional<std::uint8_t> hexByteAt(std::string_view text, std::size_t i)
{
    if (text.size() < i + 4) {
        return std::nullopt;
    }
    const int high = hexDigit(text[i + 2]);
    const int low = hexDigit(text[i + 3]);
    if (high < 0 || low < 0) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(high * 16 + low);
}

void appendCodeword(DataItemList& items, std::uint8_t value) { items.push_back({value, true}); }
void appendCharacter(DataItemList& items, std::uint8_t value) { items.push_back({value, false}); }

// Handles the escape sequence starting with the tilde at index i; returns the
// number of characters it consumed, or 0 when the tilde starts no sequence.
std::size_t resolveEscape(std::string_view text, std::size_t i, DataItemList& items)
{
    if (i + 1 >= text.size()) {
        return 0;
    }
    switch (text[i + 1]) {
    case '1':
        appendCodeword(items, kFnc1);
        return 2;
    case '3':
        if (i != 0) {
            return 0;
        }
        appendCodeword(items, kReaderProgramming);
        return 2;
    case '5':
        if (i != 0) {
            return 0;
        }
        appendCodeword(items, kMacro05);
        return 2;
    case '6':
        if (i != 0) {
            return 0;
        }
        appendCodeword(items, kMacro06);
        return 2;
    case '7': {
        const auto number = eciNumberAt(text, i);
        if (!number) {
            return 0;
        }
        CodewordString eci;
        encodeEci(*number, eci);
        for (const Codeword cw : eci) {
            appendCodeword(items, cw);
        }
        return 8;
    }
    case 'N':
        appendCharacter(items, 10);
        return 2;
    case 'R':
        appendCharacter(items, 13);
        return 2;
    case 'X':
    case 'x': {
        const auto byte = hexByteAt(text, i);
        if (!byte) {
            return 0;
        }
        appendCharacter(items, *byte);
        return 4;
    }
    case '~':
        appendCharacter(items, '~');
        return 2;
    default:
        return 0;
    }
}

}  // namespace

DataItemList prepareData(std::string_view text)
{
    DataItemList items;
    items.reserve(text.size() + 100);
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '~') {
            const std::size_t consumed = resolveEscape(text, i, items);
            if (consumed > 0) {
                i += consumed;
                continue;
            }
        }
        appendCharacter(items, static_cast<std::uint8_t>(text[i]));
        ++i;
    }
    return items;
}

void encodeEci(std::uint32_t number, CodewordString& out)
{
    out.push_back(kEciDesignator);
    if (number <= 126) {
        out.push_back(static_cast<Codeword>(number + 1));
    } else if (number <= 16382) {
        const std::uint32_t m = number - 127;
        out.push_back(static_cast<Codeword>(m / 254 + 128));
        out.push_back(static_cast<Codeword>(m % 254 + 1));
    } else if (number <= 999999) {
        const std::uint32_t m = number - 16383;
        out.push_back(static_cast<Codeword>(m / 64516 + 192));
        out.push_back(static_cast<Codeword>((m / 254) % 254 + 1));
        out.push_back(static_cast<Codeword>(m % 254 + 1));
    }
}

}  // namespace korvel
