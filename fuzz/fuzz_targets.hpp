#pragma once
// Entry functions of the fuzz targets. Each takes one input of arbitrary
// bytes, drives korvel with it and checks what must hold for every input.
// It returns nullptr when all held, or a short description of the property
// that did not. Crashes, leaks and undefined behaviour are left to the
// sanitizers.
//
// libFuzzer calls them through LLVMFuzzerTestOneInput (built by fuzz/build.sh);
// the regular test suite runs them over every file of fuzz/corpus/.

#include <cstddef>
#include <cstdint>

namespace korvel::fuzz {

// Bytes -> barcode settings and data; encodes, sizes, draws into small
// rasters and writes small images as PNG into memory.
[[nodiscard]] const char* fuzzBarcode(const std::uint8_t* data, std::size_t size);

// Bytes -> argument vector (arguments separated by NUL bytes), then after an
// argument "<<<" the content of the files the run reads; scans the vector,
// converts every option value and, when the images it asks for are small,
// runs the whole program with every file name moved into a scratch directory
// under /tmp and standard input and output on files there, and checks the
// status, the files and standard output. The caller should point stderr
// somewhere quiet.
[[nodiscard]] const char* fuzzCommandLine(const std::uint8_t* data, std::size_t size);

// Bytes -> mode, preferred format, orientation and data; every accepted
// symbol is drawn and read back with zxing-cpp.
[[nodiscard]] const char* fuzzReadback(const std::uint8_t* data, std::size_t size);

// Bytes -> GS1 data text (element strings or Digital Link URIs, with or
// without content checks) or a HIBC label; parses, validates and turns what
// is accepted into encoder input.
[[nodiscard]] const char* fuzzGs1(const std::uint8_t* data, std::size_t size);

// Bytes -> a raster of colour runs and repeated rows; its PNG, the PNG of its
// rows' structure and the run coder's zlib stream must all give back exactly
// its pixels.
[[nodiscard]] const char* fuzzPngRaster(const std::uint8_t* data, std::size_t size);

// Bytes -> a query string or JSON body of korvel-server; reads its
// parameters into symbol and render options and encodes what is accepted.
[[nodiscard]] const char* fuzzRequestOptions(const std::uint8_t* data, std::size_t size);

// Bytes -> data described as bytes, runs, patterns and a repeated phrase;
// the deflate coder's zlib stream must inflate to exactly that data.
[[nodiscard]] const char* fuzzZlibStream(const std::uint8_t* data, std::size_t size);

}  // namespace korvel::fuzz
