// Gathering what the report says about a symbol.

#include <nettle/sha2.h>

#include <array>
#include <cmath>

#include "common/byte_text.hpp"
#include "layout/symbol_layout.hpp"
#include "korvel/report.hpp"

namespace korvel {

SymbolReport describeInput(const SymbolOptions& options)
{
    SymbolReport report;
    report.input = options.data;
    report.syntax = options.syntax;
    if (options.structuredAppend.enabled) {
        report.structuredAppend = options.structuredAppend;
    }
    return report;
}

void describeSymbol(const SymbolOptions& options, const Symbol& symbol, SymbolReport& report)
{
    if (symbol.empty()) {
        return;
    }
    report.data = expectedReading(options, symbol).reading;
    report.encodation = symbol.encodation();
    report.format = symbol.format();
    report.dataCodewordsUsed = symbol.dataCodewordsUsed();
    report.codewords = symbol.codewords();
    report.gs1Elements = symbol.gs1Data().elements;
    report.humanReadable = symbol.humanReadableText();
}

namespace {

// Millimetres to a ten-thousandth, as the vector files give their sizes.
double millimetres(double value) { return std::round(value * 1e4) / 1e4; }

void describeLayout(const SymbolLayout& layout, ImageUnit unit, SymbolReport& report)
{
    ImageReport image;
    image.size = layout.imageSize();
    image.moduleSize = static_cast<std::int32_t>(layout.moduleSize);
    image.unit = unit;
    if (layout.unitMillimetres) {
        const double unitMm = *layout.unitMillimetres;
        image.widthMm = millimetres(static_cast<double>(layout.width) * unitMm);
        image.heightMm = millimetres(static_cast<double>(layout.height) * unitMm);
        image.moduleMm = millimetres(static_cast<double>(layout.moduleSize) * unitMm);
    }
    report.image = image;
}

}  // namespace

void describeImage(const Symbol& symbol, const RenderOptions& render, SymbolReport& report)
{
    describePngImage(symbol, render, {}, report);
}

void describePngImage(const Symbol& symbol, const RenderOptions& render, const PngOptions& png,
                      SymbolReport& report)
{
    SymbolLayout layout;
    if (layOutPixels(symbol, render, png.dotsPerInch, PixelLimit::None, layout).ok()) {
        describeLayout(layout, ImageUnit::Pixel, report);
    }
}

void describeVectorImage(const Symbol& symbol, const RenderOptions& render, const VectorOptions& vector,
                         SymbolReport& report)
{
    SymbolLayout layout;
    if (layOutVector(symbol, render, vector, layout).ok()) {
        describeLayout(layout, vector.moduleMillimetres ? ImageUnit::Module : ImageUnit::Dot, report);
    }
}

const char* unitName(ImageUnit unit) noexcept
{
    switch (unit) {
    case ImageUnit::Pixel: return "pixel";
    case ImageUnit::Dot: return "dot";
    case ImageUnit::Module: return "module";
    }
    return "?";
}

std::string sha256Hex(std::span<const std::uint8_t> bytes)
{
    sha256_ctx context;
    sha256_init(&context);
    sha256_update(&context, bytes.size(), bytes.data());
    std::array<std::uint8_t, SHA256_DIGEST_SIZE> digest{};
    sha256_digest(&context, digest.size(), digest.data());
    return hexText(digest);
}

const char* schemeName(EncodingMode scheme) noexcept
{
    switch (scheme) {
    case EncodingMode::Automatic: return "Automatic";
    case EncodingMode::Ascii: return "ASCII";
    case EncodingMode::C40: return "C40";
    case EncodingMode::Text: return "Text";
    case EncodingMode::Base256: return "Base256";
    case EncodingMode::Edifact: return "EDIFACT";
    case EncodingMode::X12: return "X12";
    }
    return "?";
}

}  // namespace korvel
