#include "gs1/element_string_parser.hpp"

#include <string>

namespace korvel::gs1 {
namespace {

struct Delimiters {
    char open;
    char close;
    bool escapes;  // "\(" and "\)" stand for parentheses inside values
};

// Reads the value that starts at `i` into `element`; returns where it ends.
std::size_t readValue(std::string_view text, std::size_t i, const Delimiters& d, ParsedElement& element,
                      Outcome& fault)
{
    while (i < text.size() && text[i] != d.open) {
        const char c = text[i];
        if (d.escapes && c == '\\' && i + 1 < text.size() && (text[i + 1] == '(' || text[i + 1] == ')')) {
            element.append(text[i + 1], i + 1);
            i += 2;
            continue;
        }
        if (d.escapes && c == d.close) {
            fault = textFault(i + 1, "unescaped ')' in a value (write \\))");
            return i;
        }
        element.append(c, i + 1);
        ++i;
    }
    element.endPosition = i + 1;
    return i;
}

Outcome parseDelimited(std::string_view text, const Delimiters& d, ParsedElements& out)
{
    out.clear();
    const std::string expected = std::string("expected '") + d.open + "' and an AI";
    if (text.empty()) {
        return textFault(1, expected);
    }
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != d.open) {
            return textFault(i + 1, expected);
        }
        const std::size_t close = text.find(d.close, i + 1);
        const std::size_t next = text.find(d.open, i + 1);
        if (close == std::string_view::npos || close > next) {
            return textFault(i + 1, std::string("no '") + d.close + "' after the AI");
        }
        ParsedElement element;
        element.ai = std::string(text.substr(i + 1, close - i - 1));
        element.aiPosition = i + 2;
        Outcome fault;
        i = readValue(text, close + 1, d, element, fault);
        if (!fault.ok()) {
            return fault;
        }
        out.push_back(std::move(element));
    }
    return {};
}

}  // namespace

Outcome parseBracketSyntax(std::string_view text, ParsedElements& out)
{
    return parseDelimited(text, {'[', ']', false}, out);
}

Outcome parseParenthesisSyntax(std::string_view text, ParsedElements& out)
{
    return parseDelimited(text, {'(', ')', true}, out);
}

}  // namespace korvel::gs1
