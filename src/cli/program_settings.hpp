#pragma once
// The command's settings: one per option, each at its default until an
// accepted value arrives.

#include <cstdint>

#include "cli/data_source.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_options.hpp"

namespace korvel {

// The command sizes images by the barcode object's rule, wrapping sides
// beyond 65535 pixels.
[[nodiscard]] constexpr RenderOptions commandRenderDefaults()
{
    RenderOptions render;
    render.wrapSixteenBitSize = true;
    return render;
}

struct Settings {
    SymbolOptions symbol;
    RenderOptions render = commandRenderDefaults();
    ImageSize imageSize{100, 100};  // used when -x or -y was given
    bool imageSizeGiven = false;
    DataSource source;
};

// Stores an option's converted value when it is accepted; values out of
// range are dropped silently and the setting keeps its previous value.
void applyOption(int code, const char* value, Settings& settings);

// The ranges the command refuses with 1 before anything is encoded: the
// structured append position (1..16), total (2..16) and identification
// (1..64516), whether or not structured append is on, and the quiet zone
// size (0 or more).
[[nodiscard]] ResultCode checkSettings(const Settings& settings);

// The render options of the run: a fixed image size when -x or -y was given.
[[nodiscard]] RenderOptions renderOptionsOf(const Settings& settings);

}  // namespace korvel
