#include "gs1/gs1_data_items.hpp"

#include "encodation/data_preparation.hpp"
#include "gs1/ai_table.hpp"

namespace korvel {
namespace {

constexpr std::uint8_t kGroupSeparator = 29;

void appendCharacters(std::string_view text, DataItemList& items)
{
    for (const char c : text) {
        items.push_back({static_cast<std::uint8_t>(c), false});
    }
}

// An AI the table does not know gets a separator: one too many is harmless,
// one missing joins two values.
bool needsSeparator(const std::string& ai)
{
    const gs1::AiEntry* entry = gs1::findAi(ai);
    return entry == nullptr || entry->separatorAfter;
}

}  // namespace

DataItemList gs1DataItems(const Gs1Data& data, Gs1Separator separator)
{
    DataItemList items;
    if (data.digitalLink) {
        appendCharacters(data.uri, items);
        return items;
    }
    items.push_back({kFnc1, true});
    for (std::size_t i = 0; i < data.elements.size(); ++i) {
        const Gs1Element& e = data.elements[i];
        appendCharacters(e.ai, items);
        appendCharacters(e.value, items);
        if (i + 1 < data.elements.size() && needsSeparator(e.ai)) {
            items.push_back(separator == Gs1Separator::Fnc1 ? DataItem{kFnc1, true} : DataItem{kGroupSeparator, false});
        }
    }
    return items;
}

DataItemList hibcDataItems(const HibcData& data)
{
    DataItemList items;
    appendCharacters(hibcHumanReadable(data), items);
    return items;
}

}  // namespace korvel
