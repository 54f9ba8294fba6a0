#include "text/text_font.hpp"

#include <fontconfig/fontconfig.h>

#include <array>
#include <fstream>
#include <iterator>
#include <mutex>
#include <new>

namespace korvel {
namespace {

// The file of the font fontconfig matches for a regular face of `family`,
// when the match is that family and not a substitute for it.
bool findFamily(FcConfig* config, const std::string& family, std::string& path)
{
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return false;
    }
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(family.c_str()));
    FcPatternAddInteger(pattern, FC_SLANT, FC_SLANT_ROMAN);
    FcPatternAddInteger(pattern, FC_WEIGHT, FC_WEIGHT_REGULAR);
    FcPatternAddBool(pattern, FC_OUTLINE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    bool found = false;
    FcChar8* matchedFamily = nullptr;
    FcChar8* file = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FAMILY, 0, &matchedFamily) == FcResultMatch &&
        FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch &&
        FcStrCmpIgnoreCase(matchedFamily, reinterpret_cast<const FcChar8*>(family.c_str())) == 0) {
        path = reinterpret_cast<const char*>(file);
        found = true;
    }
    if (match != nullptr) {
        FcPatternDestroy(match);
    }
    return found;
}

std::string missingFontsDetail(std::span<const FontChoice> choices)
{
    std::string detail = "no font for the human-readable text: install ";
    for (std::size_t i = 0; i < choices.size(); ++i) {
        detail += i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ";
        detail += choices[i].family + " (" + choices[i].package + ")";
    }
    return detail;
}

bool readWholeFile(const std::string& path, std::vector<std::uint8_t>& bytes)
{
    std::ifstream in(path, std::ios::binary);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.good() || in.eof();
}

}  // namespace

std::span<const FontChoice> textFontChoices() noexcept
{
    static const std::array<FontChoice, 2> kChoices{{{"OCR B", "fonts-ocr-b"}, {"DejaVu Sans Mono", "fonts-dejavu-core"}}};
    return kChoices;
}

Outcome findTextFont(std::span<const FontChoice> choices, TextFont& font)
{
    try {
        FcConfig* config = FcInitLoadConfigAndFonts();
        if (config == nullptr) {
            return {ResultCode::InvalidArgument, missingFontsDetail(choices)};
        }
        std::string path;
        const FontChoice* chosen = nullptr;
        for (const FontChoice& choice : choices) {
            if (findFamily(config, choice.family, path)) {
                chosen = &choice;
                break;
            }
        }
        FcConfigDestroy(config);
        if (chosen == nullptr) {
            return {ResultCode::InvalidArgument, missingFontsDetail(choices)};
        }
        TextFont found{chosen->family, path, {}};
        if (!readWholeFile(path, found.bytes) || found.bytes.empty()) {
            return {ResultCode::Fail, "the font file " + path + " cannot be read"};
        }
        font = std::move(found);
        return ResultCode::Ok;
    } catch (const std::bad_alloc&) {
        return ResultCode::UnknownException;
    }
}

Outcome sharedTextFont(std::shared_ptr<const TextFont>& font)
{
    static std::once_flag once;
    static Outcome outcome;
    static std::shared_ptr<const TextFont> shared;
    std::call_once(once, [] {
        try {
            auto found = std::make_shared<TextFont>();
            outcome = findTextFont(textFontChoices(), *found);
            if (outcome.ok()) {
                shared = std::move(found);
            }
        } catch (const std::bad_alloc&) {
            outcome = ResultCode::UnknownException;
        }
    });
    font = shared;
    return outcome;
}

}  // namespace korvel
