// The human-readable interpretation printed under a GS1 or HIBC symbol.

#include "korvel/gs1.hpp"

namespace korvel {

std::string gs1HumanReadable(const Gs1Data& data)
{
    std::string text;
    for (const Gs1Element& e : data.elements) {
        text += (text.empty() ? "(" : " (") + e.ai + ") " + e.value;
    }
    return text;
}

std::string hibcHumanReadable(const HibcData& data)
{
    std::string text = "+" + data.data;
    if (data.check != 0) {
        text += data.check;
    }
    return text;
}

}  // namespace korvel
