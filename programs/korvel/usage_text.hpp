#pragma once
// The program's banner line and usage text.

#include <cstdio>
#include <string>

namespace korvel {

inline constexpr const char* kBannerLine = "korvel Version 1.3";

// The whole usage text, every line ending in a newline.
[[nodiscard]] std::string usageText();

// Writes the usage text to the stream; false when it could not be written.
[[nodiscard]] bool printUsage(std::FILE* stream);

}  // namespace korvel
