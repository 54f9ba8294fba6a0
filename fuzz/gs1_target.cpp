// Fuzz target over GS1 and HIBC parsing: the first byte chooses how the rest
// is read, the rest is the data text.
//
// Input layout (missing bytes read as 0):
//   0   bit 0: content checks off; bits 1-2: text prefix (none, "https://id.example/",
//       "[", "("); bit 3: HIBC instead of GS1; bits 4-5: reference time
//   1.. the data text
//
// Whatever the text, parsing ends with 0 or 15 and a positioned, one-line
// fault whose detail agrees with its data (AI, position, span in the text); what it accepts must pass the syntax checks alone too, must give the
// same elements when written again in bracket syntax, and must turn into
// encoder input with FNC1 first and a separator exactly where the AI table
// asks for one.

#include <array>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <string_view>

#include "fuzz_targets.hpp"
#include "gs1/ai_table.hpp"
#include "gs1/gs1_data_items.hpp"
#include "korvel/gs1.hpp"

namespace korvel::fuzz {
namespace {

constexpr std::array<std::string_view, 4> kPrefixes{"", "https://id.example/", "[", "("};
constexpr std::array<std::time_t, 4> kReferenceTimes{1780000000, 0, 4102444800, 253402300799};

// A fault must name a place inside the text (or just after it) on one line,
// and be made from its data: the detail names the fault's AI and position,
// and the fault's span lies within the text.
const char* checkFault(const Outcome& outcome, std::size_t textSize)
{
    if (outcome.code != ResultCode::InvalidGs1Data) {
        return "parsing failed with a code other than 15";
    }
    const std::string& d = outcome.detail;
    if (d.empty() || d.size() > 300 || d.back() == '.') {
        return "a fault detail is empty, very long or ends with a period";
    }
    for (const char c : d) {
        if (c < ' ' || c > '~') {
            return "a fault detail holds a character that is not printable ASCII";
        }
    }
    if (!outcome.gs1Fault) {
        return "a fault has no Gs1Fault";
    }
    const Gs1Fault& fault = *outcome.gs1Fault;
    if (fault.position < 1 || fault.position + fault.length > textSize + 1) {
        return "a fault's span leaves the text";
    }
    if (textSize == 0) {
        return d == "no data" || d == "no HIBC data" ? nullptr : "empty data gives another detail";
    }
    const std::string made = (fault.ai.empty() ? std::string() : "AI (" + fault.ai + ") at ") + "character " +
                             std::to_string(fault.position) + ": ";
    return d.starts_with(made) ? nullptr : "a fault detail is not made from the fault's AI and position";
}

bool sameElements(const Gs1Data& a, const Gs1Data& b)
{
    if (a.elements.size() != b.elements.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.elements.size(); ++i) {
        if (a.elements[i].ai != b.elements[i].ai || a.elements[i].value != b.elements[i].value) {
            return false;
        }
    }
    return true;
}

const char* checkDataItems(const Gs1Data& data)
{
    const DataItemList items = gs1DataItems(data, Gs1Separator::Fnc1);
    if (data.digitalLink) {
        return items.size() == data.uri.size() ? nullptr : "a Digital Link is not encoded as its URI";
    }
    std::string expected;
    for (std::size_t i = 0; i < data.elements.size(); ++i) {
        expected += data.elements[i].ai + data.elements[i].value;
        if (i + 1 < data.elements.size() && gs1::findAi(data.elements[i].ai)->separatorAfter) {
            expected += '\x1D';
        }
    }
    if (items.empty() || items.front() != DataItem{232, true}) {
        return "an element string does not start with FNC1";
    }
    std::string got;
    for (std::size_t i = 1; i < items.size(); ++i) {
        got += items[i].isCodeword ? (items[i].value == 232 ? '\x1D' : '?') : static_cast<char>(items[i].value);
    }
    const DataItemList withGs = gs1DataItems(data, Gs1Separator::GroupSeparator);
    std::string gotGs;
    for (std::size_t i = 1; i < withGs.size(); ++i) {
        gotGs += withGs[i].isCodeword ? '?' : static_cast<char>(withGs[i].value);
    }
    return got == expected && gotGs == expected ? nullptr : "separators are not where the AI table asks";
}

const char* checkAccepted(std::string_view text, const Gs1Options& options, const Gs1Data& data)
{
    if (data.elements.empty() || gs1HumanReadable(data).front() != '(') {
        return "accepted data has no elements";
    }
    for (const Gs1Element& e : data.elements) {
        if (gs1::findAi(e.ai) == nullptr || e.position < 1 || text.substr(e.position - 1, e.ai.size()) != e.ai) {
            return "an accepted element's AI is unknown or not at its position";
        }
    }
    Gs1Data syntaxOnly;
    if (options.contentChecks && !parseGs1(text, {false, options.referenceTime}, syntaxOnly).ok()) {
        return "data accepted with content checks fails the syntax checks alone";
    }
    std::string brackets;
    for (const Gs1Element& e : data.elements) {
        brackets += "[" + e.ai + "]" + e.value;
    }
    Gs1Data again;
    if (!parseGs1(brackets, options, again).ok() || !sameElements(data, again)) {
        return "the accepted elements written in bracket syntax do not parse to the same elements";
    }
    return checkDataItems(data);
}

const char* fuzzHibcText(std::string_view text)
{
    HibcData hibc;
    const Outcome outcome = parseHibc(text, hibc);
    if (!outcome.ok()) {
        return checkFault(outcome, text.size());
    }
    const std::string hri = hibcHumanReadable(hibc);
    if (hri != "+" + std::string(text) + hibc.check || hibcDataItems(hibc).size() != hri.size()) {
        return "a HIBC label is not '+', its data and its check character";
    }
    return nullptr;
}

}  // namespace

const char* fuzzGs1(const std::uint8_t* data, std::size_t size)
{
    const std::uint8_t flags = size > 0 ? data[0] : 0;
    const std::string_view rest =
        size > 1 ? std::string_view(reinterpret_cast<const char*>(data + 1), size - 1) : std::string_view{};
    if ((flags & 0x08) != 0) {
        return fuzzHibcText(rest);
    }
    const std::string text = std::string(kPrefixes[(flags >> 1) & 0x03]) + std::string(rest);
    const Gs1Options options{(flags & 0x01) == 0, kReferenceTimes[(flags >> 4) & 0x03]};
    Gs1Data parsed;
    const Outcome outcome = parseGs1(text, options, parsed);
    if (!outcome.ok()) {
        if (!parsed.elements.empty()) {
            return "failed parsing left elements";
        }
        return checkFault(outcome, text.size());
    }
    return checkAccepted(text, options, parsed);
}

}  // namespace korvel::fuzz
