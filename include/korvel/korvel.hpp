#pragma once
// Everything a program needs to make Data Matrix symbols with korvel: the
// barcode object with its properties and results, the module matrix, the
// raster image, the PNG writer and the result codes with their messages.

#include "korvel/codeword_string.hpp"
#include "korvel/data_matrix_barcode.hpp"
#include "korvel/encoding_mode.hpp"
#include "korvel/module_matrix.hpp"
#include "korvel/png_creator.hpp"
#include "korvel/raster_image.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol_format.hpp"
