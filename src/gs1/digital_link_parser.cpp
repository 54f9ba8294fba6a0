#include "gs1/digital_link_parser.hpp"

#include <algorithm>
#include <cstddef>
#include <string>
#include <vector>

#include "gs1/character_sets.hpp"
#include "gs1/element_value_check.hpp"

namespace korvel::gs1 {
namespace {

// A piece of the URI and the 0-based index where it starts.
struct Piece {
    std::string_view text;
    std::size_t start = 0;
};

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix)
{
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

// Decodes `piece` as the value of `element`.
Outcome decodeValue(const Piece& piece, ParsedElement& element)
{
    const std::string_view text = piece.text;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const std::size_t position = piece.start + i + 1;
        if (text[i] != '%') {
            element.append(text[i], position);
            continue;
        }
        const int high = i + 2 < text.size() ? hexDigit(text[i + 1]) : -1;
        const int low = i + 2 < text.size() ? hexDigit(text[i + 2]) : -1;
        if (high < 0 || low < 0) {
            return elementFault(element, {position, std::min<std::size_t>(text.size() - i, 3)},
                                "invalid percent-encoding");
        }
        element.append(static_cast<char>(high * 16 + low), position);
        i += 2;
    }
    element.endPosition = piece.start + text.size() + 1;
    return {};
}

Outcome makeElement(const Piece& ai, const Piece& value, ParsedElement& element)
{
    element.ai = std::string(ai.text);
    element.aiPosition = ai.start + 1;
    Outcome outcome = findElementAi(element);
    return outcome.ok() ? decodeValue(value, element) : outcome;
}

std::vector<Piece> split(const Piece& whole, char separator)
{
    std::vector<Piece> pieces;
    std::size_t start = 0;
    while (start <= whole.text.size()) {
        const std::size_t end = std::min(whole.text.find(separator, start), whole.text.size());
        pieces.push_back({whole.text.substr(start, end - start), whole.start + start});
        start = end + 1;
    }
    return pieces;
}

bool isPrimaryKeySegment(const std::vector<Piece>& segments, std::size_t i)
{
    if (i + 1 >= segments.size()) {
        return false;
    }
    const std::string_view ai = segments[i].text;
    const AiEntry* entry = findAi(ai);
    return entry != nullptr && ai == entry->firstAi && isPrimaryKey(*entry) && !segments[i + 1].text.empty();
}

// Whether `qualifiers` (AIs in path order) follow one of the key's
// sequences, each at most once and in order.
bool followsASequence(const AiEntry& key, const std::vector<std::string_view>& qualifiers)
{
    bool follows = false;
    forEachPiece(qualifierSequences(key), '|', [&](std::string_view sequence) {
        std::vector<std::string_view> allowed;
        forEachPiece(sequence, ',', [&](std::string_view ai) { allowed.push_back(ai); });
        std::size_t next = 0;
        for (const std::string_view q : qualifiers) {
            while (next < allowed.size() && allowed[next] != q) {
                ++next;
            }
            if (next == allowed.size()) {
                return;
            }
            ++next;
        }
        follows = true;
    });
    return follows;
}

Outcome parsePath(const Piece& path, ParsedElements& out)
{
    const std::vector<Piece> segments = split(path, '/');
    std::size_t key = 0;
    while (key < segments.size() && !isPrimaryKeySegment(segments, key)) {
        ++key;
    }
    if (key == segments.size()) {
        return textFault({path.start + 1, 0}, "no GS1 primary key with a value in the path");
    }
    std::vector<std::string_view> qualifiers;
    for (std::size_t i = key; i < segments.size(); i += 2) {
        if (segments[i].text.empty()) {
            return textFault({segments[i].start + 1, 0}, "empty path segment");
        }
        if (i + 1 == segments.size()) {
            return textFault({segments[i].start + 1, segments[i].text.size()}, "AI without a value in the path");
        }
        ParsedElement element;
        Outcome outcome = makeElement(segments[i], segments[i + 1], element);
        if (!outcome.ok()) {
            return outcome;
        }
        if (i > key) {
            qualifiers.push_back(segments[i].text);
            if (!followsASequence(*out.front().entry, qualifiers)) {
                return elementFault(element, element.aiAndValue(),
                                    "not a qualifier of (" + out.front().ai + ") at this place in the path");
            }
        }
        out.push_back(std::move(element));
    }
    return {};
}

Outcome parseQuery(const Piece& query, ParsedElements& out)
{
    for (const Piece& parameter : split(query, '&')) {
        const std::size_t equals = std::min(parameter.text.find('='), parameter.text.size());
        const Piece key{parameter.text.substr(0, equals), parameter.start};
        if (!isAllDigits(key.text)) {
            continue;
        }
        const std::size_t valueStart = std::min(equals + 1, parameter.text.size());
        const Piece value{parameter.text.substr(valueStart), parameter.start + valueStart};
        ParsedElement element;
        Outcome outcome = makeElement(key, value, element);
        if (outcome.ok() && !element.entry->digitalLinkAttribute) {
            outcome = elementFault(element, element.aiAndValue(), "not allowed as a Digital Link query parameter");
        }
        if (!outcome.ok()) {
            return outcome;
        }
        out.push_back(std::move(element));
    }
    return {};
}

}  // namespace

Outcome parseDigitalLink(std::string_view uri, ParsedElements& out)
{
    out.clear();
    for (std::size_t i = 0; i < uri.size(); ++i) {
        if (uri[i] <= ' ' || uri[i] > '~') {
            return textFault({i + 1, 1}, "invalid character " + quotedCharacter(uri[i]) + " in the URI");
        }
    }
    std::size_t at = 0;
    if (startsWithIgnoringCase(uri, "https://")) {
        at = 8;
    } else if (startsWithIgnoringCase(uri, "http://")) {
        at = 7;
    } else {
        return textFault({1, std::min(uri.find('/'), uri.size())}, "a Digital Link URI starts with http:// or https://");
    }
    const std::size_t end = std::min(uri.find('#'), uri.size());
    const std::size_t queryStart = std::min(uri.find('?'), end);
    const std::size_t pathStart = std::min(uri.find('/', at), queryStart);
    if (pathStart == at) {
        return textFault({at + 1, 0}, "no host in the URI");
    }
    if (pathStart == queryStart) {
        return textFault({pathStart + 1, 0}, "no path in the URI");
    }
    const Piece path{uri.substr(pathStart + 1, queryStart - pathStart - 1), pathStart + 1};
    Outcome outcome = parsePath(path, out);
    if (outcome.ok() && queryStart < end) {
        outcome = parseQuery({uri.substr(queryStart + 1, end - queryStart - 1), queryStart + 1}, out);
    }
    return outcome;
}

}  // namespace korvel::gs1
