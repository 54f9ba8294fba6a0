#include "layout/text_band.hpp"

namespace korvel {

LineBox textLineBox(const SymbolLayout& layout) noexcept
{
    const auto width = static_cast<double>(layout.width);
    const auto s = static_cast<double>(layout.moduleSize);
    const double margin = width > 4.0 * s ? s : 0.0;
    return {margin, width - 2.0 * margin, kTextCapModules * s, kTextCapCentreModules * s};
}

Outcome textBandLine(const Symbol& symbol, std::string& text)
{
    if (!symbol.hriText()) {
        return {ResultCode::InvalidArgument,
                "the data cannot be shown as human-readable text: it is not GS1 or HIBC data, and not all of it "
                "is printable ASCII"};
    }
    text = *symbol.hriText();
    return ResultCode::Ok;
}

Outcome rasteriseTextBand(const Symbol& symbol, const SymbolLayout& layout, Coverage& band)
{
    std::string text;
    if (Outcome line = textBandLine(symbol, text); !line.ok()) {
        return line;
    }
    std::shared_ptr<const TextFont> font;
    if (Outcome found = sharedTextFont(font); !found.ok()) {
        return found;
    }
    return rasteriseLine(font, text, textLineBox(layout), static_cast<std::int32_t>(layout.bandHeight), band);
}

}  // namespace korvel
