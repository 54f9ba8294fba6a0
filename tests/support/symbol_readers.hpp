#pragma once
// Independent Data Matrix readers used as test oracles: zxing-cpp and libdmtx
// read a symbol rendered in memory, and what they return is compared with
// what went in.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "korvel/data_matrix_barcode.hpp"
#include "korvel/raster_image.hpp"

namespace korvel::testing {

struct ZxingReading {
    bool found = false;
    std::string bytes;             // content without ECI designators
    std::string bytesEci;          // content with ECI designators ("\]d4..." form)
    std::string symbologyId;       // "]d1" plain, "]d2" FNC1 first, ...
    bool readerInit = false;
    int sequenceIndex = -1;
    int sequenceSize = -1;
    std::string sequenceId;
};

struct DmtxReading {
    bool found = false;
    std::string output;                 // decoded bytes, FNC1 as GS (0x1D)
    std::vector<std::uint8_t> codewords;  // data and error codewords as read
};

[[nodiscard]] ZxingReading readWithZxing(const RasterImage& image);
// `symbolSize` tells libdmtx which size to look for: the format number - 1
// (its size index), or -1 for any. Left to guess, it now and then takes a
// corner of a large symbol for a small one, or misses a turned symbol at one
// particular module size.
[[nodiscard]] DmtxReading readWithDmtx(const RasterImage& image, int symbolSize = -1);

// The barcode's symbol drawn with `moduleSize` pixels per module into an image
// of exactly its size (quiet zone as set on the barcode).
struct RenderedSymbol {
    explicit RenderedSymbol(DataMatrixBarcode& barcode, int moduleSize = 4);
    bool ok = false;
    std::unique_ptr<RasterImage> image;
};

// A copy of `image` inside a white frame `margin` pixels wide.
[[nodiscard]] std::unique_ptr<RasterImage> withMargin(const RasterImage& image, int margin);

}  // namespace korvel::testing
