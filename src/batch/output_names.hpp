#pragma once
// The file names of a batch, made from the one name given on the command line.

#include <cstdint>
#include <string>
#include <string_view>

namespace korvel {

// The name for the symbol of line `number`. The last run of '#' in the file
// name part (not in the directories) becomes the number, padded with zeros to
// the run's length and written in full when longer ("label-#####.png":
// "label-00001.png"). Without '#', "-N" goes before the extension
// ("label.png": "label-1.png"); a name without extension, or with only a
// leading dot, gets it at the end.
[[nodiscard]] std::string batchOutputName(std::string_view pattern, std::uint64_t number);

}  // namespace korvel
