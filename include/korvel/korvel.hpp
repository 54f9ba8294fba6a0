#pragma once
// Everything a program needs to make Data Matrix symbols with korvel.
//
// The common case is two calls: encode(SymbolOptions) gives a finished
// Symbol, and writePng / writePngFile draw it with RenderOptions (or
// writeSvg, writeEps, writePdf and their ...File forms for print). The
// barcode object (DataMatrixBarcode) keeps the same pipeline behind one
// setter per property; the raster image and PngCreator serve callers that
// draw into their own pixels.

#include "korvel/codeword_string.hpp"
#include "korvel/color.hpp"
#include "korvel/data_matrix_barcode.hpp"
#include "korvel/encoding_mode.hpp"
#include "korvel/gs1.hpp"
#include "korvel/module_matrix.hpp"
#include "korvel/output.hpp"
#include "korvel/png_creator.hpp"
#include "korvel/png_writer.hpp"
#include "korvel/raster_image.hpp"
#include "korvel/render_options.hpp"
#include "korvel/rendering.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"
#include "korvel/symbol_format.hpp"
#include "korvel/symbol_options.hpp"
#include "korvel/text_writer.hpp"
#include "korvel/vector_writer.hpp"
