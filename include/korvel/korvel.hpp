#pragma once
// Everything a program needs to make and prove Data Matrix symbols with korvel.
//
// The typed path, which new code uses:
//   encode(SymbolOptions) -> a finished, immutable Symbol          (symbol.hpp)
//   writePng / writeSvg / writeEps / writePdf (and ...File) with
//     RenderOptions, to a ByteSink or a file                       (png_writer.hpp,
//                                                                   vector_writer.hpp)
//   parseGs1 / parseHibc to check GS1 or HIBC data alone           (gs1.hpp)
//   describe... / reportJson for the JSON report                   (report.hpp)
//   verify / expectedReading to prove a written symbol             (verification.hpp)
// The in-process zxing-cpp decoder (zxing_decoder.hpp) is not included here:
// it comes with the korvel::verify library, which links zxing-cpp.
//
// Kept for programs written against the earlier object interface, and
// marked so in their headers: DataMatrixBarcode (one setter per property),
// PngCreator, and drawing into your own RasterImage (rendering.hpp).

#include "korvel/codeword_string.hpp"
#include "korvel/color.hpp"
#include "korvel/encoding_mode.hpp"
#include "korvel/expected_reading.hpp"
#include "korvel/gs1.hpp"
#include "korvel/module_matrix.hpp"
#include "korvel/output.hpp"
#include "korvel/png_writer.hpp"
#include "korvel/render_options.hpp"
#include "korvel/report.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"
#include "korvel/symbol_format.hpp"
#include "korvel/symbol_options.hpp"
#include "korvel/text_writer.hpp"
#include "korvel/vector_writer.hpp"
#include "korvel/verification.hpp"
#include "korvel/verifier_process.hpp"

// Compatibility interface.
#include "korvel/data_matrix_barcode.hpp"
#include "korvel/png_creator.hpp"
#include "korvel/raster_image.hpp"
#include "korvel/rendering.hpp"
