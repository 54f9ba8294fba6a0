#pragma once
// A picture as an SVG 1.1 document sized in millimetres.

#include <string>

#include "vector/vector_picture.hpp"

namespace korvel {

// width and height in millimetres, a viewBox of the picture's units, the
// background rectangle and the dark modules as one path. No date, no
// generator-specific metadata: the same picture always gives the same bytes.
[[nodiscard]] std::string svgDocument(const VectorPicture& picture);

}  // namespace korvel
