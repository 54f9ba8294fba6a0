#pragma once
// A picture as a one-page PDF document.

#include <string>

#include "vector/vector_picture.hpp"

namespace korvel {

// PDF 1.4: catalog, page tree, one page whose MediaBox is exactly the
// picture's size in points, and its deflated content stream (background,
// then the dark modules as one filled path); a cross-reference table with the byte
// offset of every object. No information dictionary and no dates: the same
// picture always gives the same bytes.
[[nodiscard]] std::string pdfDocument(const VectorPicture& picture);

}  // namespace korvel
