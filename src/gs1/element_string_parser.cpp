#include "gs1/element_string_parser.hpp"

#include <algorithm>
#include <string>

#include "gs1/element_value_check.hpp"

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
            fault = textFault({i + 1, 1}, "unescaped ')' in a value (write \\))");
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
    if (text.empty() || text.front() != d.open) {
        return textFault({1, std::min<std::size_t>(text.size(), 1)}, std::string("expected '") + d.open + "' and an AI");
    }
    std::size_t i = 0;
    while (i < text.size()) {
        // After a value, an opening parenthesis that starts no AI is likely
        // one meant as part of the value.
        const std::string hint = d.escapes && i > 0 ? " (a '(' in a value is written \\()" : "";
        const std::size_t close = text.find(d.close, i + 1);
        const std::size_t next = std::min(text.find(d.open, i + 1), text.size());
        if (close == std::string_view::npos || close > next) {
            return textFault({i + 1, next - i}, std::string("no '") + d.close + "' after the AI" + hint);
        }
        ParsedElement element;
        element.ai = std::string(text.substr(i + 1, close - i - 1));
        element.aiPosition = i + 2;
        if (!hint.empty() && !isAiSyntax(element.ai)) {
            return textFault({element.aiPosition, element.ai.size()}, std::string(kAiSyntaxFault) + hint);
        }
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
