// Reading a symbol back in its plain form and comparing the reading with
// what the data text must give.

#include "korvel/verification.hpp"

#include <algorithm>
#include <array>

#include "layout/module_view.hpp"

namespace korvel {
namespace {

constexpr std::uint8_t kDarkLevel = 0;
constexpr std::uint8_t kWhiteLevel = 255;

// A reader finds every symbol at 3 pixels per module; a larger size is
// tried before a miss counts as a failure.
constexpr std::array<std::int32_t, 2> kPlainModuleSizes{3, 6};

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

Outcome verifyReading(const SymbolOptions& intended, const Symbol& symbol, Orientation orientation,
                      SymbolDecoder& decoder, Verification& result)
{
    if (symbol.empty()) {
        return ResultCode::InvalidData;
    }
    const ExpectedReading expected = expectedReading(intended, symbol.codewords());
    result.meant = expected.reading;
    result.read.reset();
    for (const std::int32_t moduleSize : kPlainModuleSizes) {
        if (Outcome decoded = decoder.decode(plainRaster(symbol, orientation, moduleSize), result.read); !decoded.ok()) {
            return decoded;
        }
        if (result.read) {
            break;
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

Outcome verify(const SymbolOptions& intended, const Symbol& symbol, const RenderOptions& render,
               const WrittenOutput& output, SymbolDecoder& decoder, Verification& result)
{
    result = Verification{};
    if (Outcome read = verifyReading(intended, symbol, render.orientation, decoder, result); !read.ok()) {
        return read;
    }
    Outcome shown = verifyOutput(output, symbol, render);
    result.outputChecked = shown.ok() || shown.code == ResultCode::VerificationFailed;
    if (!shown.ok()) {
        result.passed = false;
        result.detail = shown.detail;
    }
    return shown;
}

}  // namespace korvel
