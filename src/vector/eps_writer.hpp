#pragma once
// A picture as an Encapsulated PostScript file (EPSF 3.0, PostScript level 2).

#include <string>

#include "vector/vector_picture.hpp"

namespace korvel {

// Bounding boxes of exactly the picture's size in points (%%BoundingBox
// rounded outward to whole points), the background and the dark modules as
// one filled path. The drawing is wrapped in save/restore and defines its one
// procedure in a dictionary of its own, so that it can be placed into other
// documents. Undated: the same picture always gives the same bytes.
[[nodiscard]] std::string epsDocument(const VectorPicture& picture);

}  // namespace korvel
