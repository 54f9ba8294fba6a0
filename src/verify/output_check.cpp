// Whether written output shows exactly the symbol, by the kind of output:
// a PNG's pixels, the marks of vector output, or the terminal preview.

#include <cstdio>

#include "korvel/verification.hpp"
#include "verify/output_checks.hpp"

namespace korvel {

std::string colourText(Color c)
{
    char text[8];
    std::snprintf(text, sizeof text, "#%06x", static_cast<unsigned>(c.rgb()));
    return text;
}

Outcome differs(std::string detail) { return {ResultCode::VerificationFailed, std::move(detail)}; }

Outcome verifyOutput(const WrittenOutput& output, const Symbol& symbol, const RenderOptions& render)
{
    if (symbol.empty()) {
        return ResultCode::InvalidData;
    }
    if (render.foreground == render.background && output.type != OutputType::Text) {
        return differs("dark and light modules have the same colour " + colourText(render.foreground) +
                       ", so the output shows no symbol");
    }
    switch (output.type) {
    case OutputType::Png: return checkPng(output.bytes, symbol, render);
    case OutputType::Text: return checkText(output.bytes, symbol, render);
    case OutputType::Svg:
    case OutputType::Eps:
    case OutputType::Pdf: return checkVector(output, symbol, render);
    }
    return ResultCode::InvalidArgument;
}

}  // namespace korvel
