#pragma once
// Proof that a symbol carries the data that was meant and that the written
// output shows that symbol: the symbol is drawn in a plain form every reader
// can read, read back with an independent decoder, and the reading compared
// with what the data text must give; the written bytes are decoded and
// compared with the module matrix.
//
// The decoder is reached through SymbolDecoder: VerifierProcess (in this
// library) talks to the korvel-verify helper program, and the separate
// korvel_verify library reads in-process (korvel/zxing_decoder.hpp).

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "korvel/expected_reading.hpp"
#include "korvel/output.hpp"
#include "korvel/render_options.hpp"
#include "korvel/result_code.hpp"
#include "korvel/symbol.hpp"
#include "korvel/symbol_options.hpp"

namespace korvel {

// An 8-bit grey image, row by row without padding: 0 black, 255 white.
struct GrayRaster {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<std::uint8_t> pixels;
};

// The symbol as every reader reads it: black modules on white,
// `moduleSize` pixels per module (at least 1), a quiet zone of `quietZone`
// modules, turned by `orientation`.
[[nodiscard]] GrayRaster plainRaster(const Symbol& symbol, Orientation orientation, std::int32_t moduleSize = 2,
                                     std::int32_t quietZone = 1);

// A decoder of Data Matrix symbols.
class SymbolDecoder {
public:
    SymbolDecoder() = default;
    SymbolDecoder(const SymbolDecoder&) = delete;
    SymbolDecoder& operator=(const SymbolDecoder&) = delete;
    virtual ~SymbolDecoder() = default;

    // Reads the one symbol in the raster: `reading` is set when a symbol was
    // read and left empty when none was found. A decoder that cannot work
    // (not started, gone, answering nonsense) fails with 17.
    [[nodiscard]] virtual Outcome decode(const GrayRaster& raster, std::optional<SymbolReading>& reading) = 0;
    // The decoder's name and version ("zxing-cpp 1.4.0").
    [[nodiscard]] virtual std::string name() const = 0;

    // decode() in two halves, so that a decoder working beside the caller
    // (another process) reads while the caller does other work: begin()
    // hands over the raster, end() takes the reading of the request that
    // `ticket` stands for. Each begin() is followed by one end() with its
    // ticket. The default reads in begin() and keeps the reading in the
    // ticket.
    struct Ticket {
        std::uint64_t number = 0;
        Outcome outcome;
        std::optional<SymbolReading> reading;
    };
    [[nodiscard]] virtual Outcome begin(const GrayRaster& raster, Ticket& ticket);
    [[nodiscard]] virtual Outcome end(Ticket& ticket, std::optional<SymbolReading>& reading);
};

// The bytes of a written output.
struct WrittenOutput {
    OutputType type = OutputType::Png;
    std::span<const std::uint8_t> bytes;
};

// What a verification found.
struct Verification {
    bool passed = false;
    std::string detail;                 // what differed, one line; empty when passed
    std::string decoder;                // the decoder's name and version
    SymbolReading meant;                // what the data must read as
    std::optional<SymbolReading> read;  // what the decoder read; empty when it found no symbol
    bool readingChecked = false;        // the reading was compared with the meant one
    bool outputChecked = false;         // the written bytes were compared with the module matrix
};

// Step 1: the symbol, drawn plainly in `orientation`, reads as `intended`
// must. It is drawn at 2 pixels per module with a quiet zone of one module,
// the smallest form every symbol is read in at the decoder's fastest
// settings; a symbol that is not found so is tried once more at 6.
// Results: 0 (passed), 16 with the difference as detail, 17 when the
// decoder fails.
[[nodiscard]] Outcome verifyReading(const SymbolOptions& intended, const Symbol& symbol, Orientation orientation,
                                    SymbolDecoder& decoder, Verification& result);

// Step 2: the output bytes show exactly the symbol at the render options'
// geometry and colours. For PNG every pixel is compared. Results: 0, or 16
// with what differs (also when the two colours are the same, so that the
// image shows nothing).
[[nodiscard]] Outcome verifyOutput(const WrittenOutput& output, const Symbol& symbol, const RenderOptions& render);

// Both steps; `result` tells what was checked and found. The symbol is
// read drawn upright whatever the render options' orientation (the output
// check covers the orientation), and the output is checked while the
// decoder reads.
[[nodiscard]] Outcome verify(const SymbolOptions& intended, const Symbol& symbol, const RenderOptions& render,
                             const WrittenOutput& output, SymbolDecoder& decoder, Verification& result);

}  // namespace korvel
