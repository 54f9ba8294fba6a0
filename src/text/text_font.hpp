#pragma once
// The font that human-readable text is set in: found once through
// fontconfig, read into memory, and shared by every line drawn afterwards.

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "korvel/result_code.hpp"

namespace korvel {

// A font family to look for, and the Debian package that installs it (for
// the message when none is there).
struct FontChoice {
    std::string family;
    std::string package;
};

// OCR-B (the face the GS1 General Specifications recommend for
// human-readable text), then DejaVu Sans Mono.
[[nodiscard]] std::span<const FontChoice> textFontChoices() noexcept;

struct TextFont {
    std::string family;
    std::string path;
    std::vector<std::uint8_t> bytes;  // the whole font file
};

// The first choice whose family fontconfig knows, read from its file. 1 when
// none is installed, with a detail that names the families and packages;
// 2 when the file cannot be read.
[[nodiscard]] Outcome findTextFont(std::span<const FontChoice> choices, TextFont& font);

// findTextFont over textFontChoices(), done once per process; every caller
// gets the same result. Safe to call from several threads.
[[nodiscard]] Outcome sharedTextFont(std::shared_ptr<const TextFont>& font);

}  // namespace korvel
