#include "gs1/hibc.hpp"

#include <exception>

#include "gs1/character_sets.hpp"
#include "gs1/parsed_element.hpp"
#include "korvel/gs1.hpp"

namespace korvel {
namespace gs1 {

char hibcCheckCharacter(std::string_view data) noexcept
{
    std::size_t sum = kHibcCharacters.find('+');
    for (const char c : data) {
        sum += kHibcCharacters.find(c);
    }
    return kHibcCharacters[sum % kHibcCharacters.size()];
}

}  // namespace gs1

Outcome parseHibc(std::string_view text, HibcData& out) noexcept
{
    out = {};
    try {
        if (text.empty()) {
            return gs1::noDataFault("no HIBC data");
        }
        if (text.front() == '+') {
            return gs1::textFault({1, 1}, "the leading '+' of a HIBC label is added, leave it out");
        }
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (gs1::kHibcCharacters.find(text[i]) == std::string_view::npos) {
                return gs1::textFault({i + 1, 1}, "invalid character " + gs1::quotedCharacter(text[i]) + " for HIBC");
            }
        }
        out.data = std::string(text);
        out.check = gs1::hibcCheckCharacter(text);
        return {};
    } catch (const std::exception&) {
        return ResultCode::UnknownException;
    }
}

}  // namespace korvel
