// Reading a symbol back in its plain form and comparing the reading with
// what the data text must give.

#include "korvel/verification.hpp"

#include <algorithm>
#include <utility>

#include "layout/module_view.hpp"

namespace korvel {
namespace {

constexpr std::uint8_t kDarkLevel = 0;
constexpr std::uint8_t kWhiteLevel = 255;

// Every format is found at 2 pixels per module by the decoder's fastest
// settings; a larger size is tried before a miss counts as a failure.
constexpr std::int32_t kPlainModuleSize = 2;
constexpr std::int32_t kPlainQuietZone = 1;
constexpr std::int32_t kSecondModuleSize = 6;
constexpr std::int32_t kSecondQuietZone = 2;

Outcome verificationFailed(Verification& result, std::string detail)
{
    result.passed = false;
    result.detail = std::move(detail);
    return {ResultCode::VerificationFailed, result.detail};
}

}  // namespace

GrayRaster plainRaster(const Symbol& symbol, Orientation orientation, std::int32_t moduleSize, std::int32_t quietZone)
{
    const ModuleView view(symbol.matrix(), orientation);
    const std::int32_t s = std::max(moduleSize, 1);
    const std::int32_t q = std::max(quietZone, 0);
    GrayRaster raster;
    raster.width = (view.columns() + 2 * q) * s;
    raster.height = (view.rows() + 2 * q) * s;
    raster.pixels.assign(static_cast<std::size_t>(raster.width) * static_cast<std::size_t>(raster.height), kWhiteLevel);
    for (int i = 0; i < view.rows(); ++i) {
        std::uint8_t* row = raster.pixels.data() + static_cast<std::size_t>((i + q) * s) * static_cast<std::size_t>(raster.width);
        for (int j = 0; j < view.columns(); ++j) {
            if (view.dark(i, j)) {
                std::fill_n(row + (j + q) * s, s, kDarkLevel);
            }
        }
        // The module row is one pixel row repeated.
        for (std::int32_t k = 1; k < s; ++k) {
            std::copy_n(row, raster.width, row + static_cast<std::size_t>(k) * static_cast<std::size_t>(raster.width));
        }
    }
    return raster;
}

Outcome SymbolDecoder::begin(const GrayRaster& raster, Ticket& ticket)
{
    ticket.outcome = decode(raster, ticket.reading);
    return ResultCode::Ok;
}

Outcome SymbolDecoder::end(Ticket& ticket, std::optional<SymbolReading>& reading)
{
    reading = std::move(ticket.reading);
    ticket.reading.reset();
    return ticket.outcome;
}

namespace {

// The second half of step 1, once the decoder has read the plain raster:
// a miss is tried once more larger, then the reading is compared.
Outcome compareReading(const SymbolOptions& intended, const Symbol& symbol, Orientation orientation,
                       SymbolDecoder& decoder, Verification& result)
{
    const ExpectedReading expected = expectedReading(intended, symbol);
    result.meant = expected.reading;
    if (!result.read) {
        const GrayRaster larger = plainRaster(symbol, orientation, kSecondModuleSize, kSecondQuietZone);
        if (Outcome decoded = decoder.decode(larger, result.read); !decoded.ok()) {
            return decoded;
        }
    }
    result.decoder = decoder.name();
    result.readingChecked = true;
    if (!result.read) {
        return verificationFailed(result, "no symbol was found in the symbol drawn plainly");
    }
    if (std::string difference = compareReadings(*result.read, expected.reading); !difference.empty()) {
        return verificationFailed(result, std::move(difference));
    }
    if (!expected.problem.empty()) {
        return verificationFailed(result, expected.problem);
    }
    result.passed = true;
    result.detail.clear();
    return ResultCode::Ok;
}

}  // namespace

Outcome verifyReading(const SymbolOptions& intended, const Symbol& symbol, Orientation orientation,
                      SymbolDecoder& decoder, Verification& result)
{
    if (symbol.empty()) {
        return ResultCode::InvalidData;
    }
    result.read.reset();
    const GrayRaster raster = plainRaster(symbol, orientation, kPlainModuleSize, kPlainQuietZone);
    if (Outcome decoded = decoder.decode(raster, result.read); !decoded.ok()) {
        return decoded;
    }
    return compareReading(intended, symbol, orientation, decoder, result);
}

Outcome verify(const SymbolOptions& intended, const Symbol& symbol, const RenderOptions& render,
               const WrittenOutput& output, SymbolDecoder& decoder, Verification& result)
{
    result = Verification{};
    if (symbol.empty()) {
        return ResultCode::InvalidData;
    }
    // The decoder reads while the output is checked.
    const GrayRaster raster = plainRaster(symbol, Orientation::Degrees0, kPlainModuleSize, kPlainQuietZone);
    SymbolDecoder::Ticket ticket;
    if (Outcome begun = decoder.begin(raster, ticket); !begun.ok()) {
        return begun;
    }
    const Outcome shown = verifyOutput(output, symbol, render);
    if (Outcome decoded = decoder.end(ticket, result.read); !decoded.ok()) {
        return decoded;
    }
    if (Outcome read = compareReading(intended, symbol, Orientation::Degrees0, decoder, result); !read.ok()) {
        return read;
    }
    result.outputChecked = shown.ok() || shown.code == ResultCode::VerificationFailed;
    if (!shown.ok()) {
        result.passed = false;
        result.detail = shown.detail;
    }
    return shown;
}

}  // namespace korvel
