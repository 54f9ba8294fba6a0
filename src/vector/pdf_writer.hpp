#pragma once
// A picture as a one-page PDF document.

#include <string>

#include "korvel/result_code.hpp"

#include "vector/vector_picture.hpp"

namespace korvel {

// PDF 1.4: catalog, page tree, one page whose MediaBox is exactly the
// picture's size in points, and its deflated content stream (background,
// then the dark modules as one filled path); a cross-reference table with the byte
// offset of every object. No information dictionary and no dates: the same
// picture always gives the same bytes. A page has 3 to 14,400 units a side:
// a larger picture gets a larger unit (UserUnit, PDF 1.6), and one with a
// side that stays below 3 units is refused with 1.
[[nodiscard]] Outcome pdfDocument(const VectorPicture& picture, std::string& document);

}  // namespace korvel
