#pragma once
// A description of one symbol as made: the input, what readers will return,
// how it was encoded, its format, codewords, image, output file, a hash of
// the bytes written and the verification. Library callers read the struct;
// reportJson gives the JSON object the command's --report writes (one line
// per symbol).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "korvel/expected_reading.hpp"
#include "korvel/png_writer.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"
#include "korvel/symbol_options.hpp"
#include "korvel/vector_writer.hpp"
#include "korvel/verification.hpp"

namespace korvel {

// What the image's width, height and module size count: pixels of a PNG;
// for vector output the dots of its grid (1/dpi inch each), or modules when
// the module size is given in millimetres.
enum class ImageUnit { Pixel, Dot, Module };

struct ImageReport {
    ImageSize size;               // in units
    std::int32_t moduleSize = 0;  // units per module
    ImageUnit unit = ImageUnit::Pixel;
    // Physical sizes, for output that has one: vector output, and a PNG
    // with a resolution.
    std::optional<double> widthMm;
    std::optional<double> heightMm;
    std::optional<double> moduleMm;
};

struct SymbolReport {
    std::optional<std::uint64_t> line;  // the line of a batch file the symbol was made from
    Outcome outcome;                 // how making this symbol ended
    std::string input;               // the data text as given
    DataSyntax syntax = DataSyntax::TildeEscapes;
    std::optional<StructuredAppend> structuredAppend;  // when the symbol is part of a sequence

    // From the encoded symbol; empty when encoding failed.
    std::optional<SymbolReading> data;  // what readers return for it
    std::vector<EncodationSegment> encodation;
    std::optional<SymbolFormat> format;
    std::size_t dataCodewordsUsed = 0;
    CodewordString codewords;  // data and error codewords
    // GS1 data: the elements as parsed; GS1 and HIBC data: the human-readable text.
    std::vector<Gs1Element> gs1Elements;
    std::string humanReadable;

    std::optional<ImageReport> image;
    std::optional<std::string> outputFile;
    std::optional<std::string> sha256;  // of the bytes written, 64 hexadecimal digits
    std::optional<Verification> verification;
};

// The parts that come from the options alone: input and structured append.
[[nodiscard]] SymbolReport describeInput(const SymbolOptions& options);
// Adds what the encoded symbol tells: readings, encodation, format, codewords.
void describeSymbol(const SymbolOptions& options, const Symbol& symbol, SymbolReport& report);
// Adds the image size and module size of the symbol drawn with `render` as
// a PNG without a resolution; leaves the image out when the options do not
// give one.
void describeImage(const Symbol& symbol, const RenderOptions& render, SymbolReport& report);
// The same for the PNG that writePng makes, with its physical size when the
// PNG options give a resolution.
void describePngImage(const Symbol& symbol, const RenderOptions& render, const PngOptions& png,
                      SymbolReport& report);
// The same for the vector output that writeSvg, writeEps and writePdf make,
// in the units of its grid and in millimetres.
void describeVectorImage(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                         SymbolReport& report);

// SHA-256 as 64 lower-case hexadecimal digits.
[[nodiscard]] std::string sha256Hex(std::span<const std::uint8_t> bytes);

// The report as one line of JSON (no line break at the end). Field names
// and meanings are listed in the README and the manual page.
[[nodiscard]] std::string reportJson(const SymbolReport& report);

// The name of an image unit in reports: "pixel", "dot", "module".
[[nodiscard]] const char* unitName(ImageUnit unit) noexcept;

// The name of an encodation scheme in reports: "ASCII", "C40", "Text",
// "X12", "EDIFACT", "Base256" ("Automatic" for the mode that chooses).
[[nodiscard]] const char* schemeName(EncodingMode scheme) noexcept;

}  // namespace korvel
