// Library benchmarks: encoding a symbol (update), drawing it, and writing
// the PNG stream to memory.

#include <benchmark/benchmark.h>

#include <random>
#include <string>
#include <vector>

#include "korvel/data_matrix_barcode.hpp"
#include "korvel/png_creator.hpp"
#include "korvel/symbol.hpp"
#include "korvel/verification.hpp"
#if __has_include("korvel/zxing_decoder.hpp")
#include "korvel/zxing_decoder.hpp"
#endif
#include "support/mixed_text.hpp"
// The typed writer draws no raster; older libraries (measured side by side
// with this file) do not have it.
#if __has_include("korvel/png_writer.hpp")
#include "korvel/png_writer.hpp"
#define KORVEL_BENCH_TYPED_WRITER 1
#endif

namespace {

using korvel::DataMatrixBarcode;
using korvel::ResultCode;

std::string randomText(std::size_t length, const std::string& alphabet, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        text += alphabet[pick(rng)];
    }
    return text;
}

std::string randomBytes(std::size_t length, unsigned seed)
{
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> byte(0, 255);
    std::string text;
    for (std::size_t i = 0; i < length; ++i) {
        const int b = byte(rng);
        text += b == '~' ? std::string("~~") : std::string(1, static_cast<char>(b));
    }
    return text;
}

// After "A*" the X12 estimate stays just below C40's while C40 leads the
// others: the first look-ahead finds no decision and scans to the end of the
// data. (Later look-aheads start in the chosen scheme and decide at once, so
// the whole selection stays linear; no input found so far makes every
// look-ahead long.)
std::string lookAheadWorstCase(std::size_t length)
{
    std::string text = "A*";
    while (text.size() < length) {
        text += 'B';
    }
    return text;
}

const std::string kCapitalsAndDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";

void runUpdate(benchmark::State& state, const std::string& data, int mode, int format)
{
    DataMatrixBarcode barcode;
    static_cast<void>(barcode.setEncodingMode(mode));
    static_cast<void>(barcode.setPreferredFormat(format));
    for (auto _ : state) {
        static_cast<void>(barcode.suspendUpdates(true));
        static_cast<void>(barcode.setData(data));
        const ResultCode result = barcode.suspendUpdates(false);
        if (result != ResultCode::Ok) {
            state.SkipWithError("encoding failed");
            break;
        }
        benchmark::DoNotOptimize(barcode.matrix().modules().data());
    }
    state.counters["items"] = static_cast<double>(data.size());
}

void BM_UpdateDefault(benchmark::State& state) { runUpdate(state, "1234567", 0, 0); }
void BM_Update44Alphanumerics(benchmark::State& state)
{
    runUpdate(state, "THE0QUICK1BROWN2FOX3JUMPS4OVER5THE6LAZY7DOG8", 0, 0);
}
void BM_Update1500CapitalsDigits(benchmark::State& state)
{
    runUpdate(state, randomText(1500, kCapitalsAndDigits, 1500), 0, 0);
}
void BM_Update1555BytesBase256(benchmark::State& state) { runUpdate(state, randomBytes(1555, 1555), 4, 24); }
void BM_UpdateLookAheadWorstCase(benchmark::State& state)
{
    runUpdate(state, lookAheadWorstCase(static_cast<std::size_t>(state.range(0))), 0, 0);
}
// Growth with data length in automatic mode on ordinary text.
void BM_UpdateAutomaticByLength(benchmark::State& state)
{
    runUpdate(state, randomText(static_cast<std::size_t>(state.range(0)), kCapitalsAndDigits, 7), 0, 0);
}

// A whole symbol of mixed characters, by look-ahead and by the minimal
// encodation; 144 x 144 holds 1,500 of them either way.
void runEncode(benchmark::State& state, bool minimal)
{
    std::mt19937 rng(1500);
    korvel::SymbolOptions options;
    options.data = korvel::testing::mixedText(rng, static_cast<std::size_t>(state.range(0)));
    options.minimal = minimal;
    korvel::Symbol symbol;
    for (auto _ : state) {
        if (!korvel::encode(options, symbol).ok()) {
            state.SkipWithError("encoding failed");
            break;
        }
        benchmark::DoNotOptimize(symbol.codewords().data());
    }
    state.counters["data_codewords"] = static_cast<double>(symbol.format().dataCodewords);
}
void BM_EncodeMixedAutomatic(benchmark::State& state) { runEncode(state, false); }
void BM_EncodeMixedMinimal(benchmark::State& state) { runEncode(state, true); }

BENCHMARK(BM_EncodeMixedAutomatic)->Arg(375)->Arg(750)->Arg(1500);
BENCHMARK(BM_EncodeMixedMinimal)->Arg(375)->Arg(750)->Arg(1500);
BENCHMARK(BM_UpdateDefault);
BENCHMARK(BM_Update44Alphanumerics);
BENCHMARK(BM_Update1500CapitalsDigits);
BENCHMARK(BM_Update1555BytesBase256);
BENCHMARK(BM_UpdateLookAheadWorstCase)->RangeMultiplier(2)->Range(256, 2048);
BENCHMARK(BM_UpdateAutomaticByLength)->RangeMultiplier(2)->Range(128, 2048);

// A 144 x 144 symbol (with quiet zone 146 modules) drawn at `modulePixels`
// per module: 5 gives 730 x 730, 20 gives 2920 x 2920.
DataMatrixBarcode& largeSymbol()
{
    static DataMatrixBarcode barcode;
    static const bool ready = [] {
        static_cast<void>(barcode.suspendUpdates(true));
        static_cast<void>(barcode.setEncodingMode(0));
        static_cast<void>(barcode.setPreferredFormat(24));
        static_cast<void>(barcode.setData(randomText(1500, kCapitalsAndDigits, 1500)));
        return barcode.suspendUpdates(false) == ResultCode::Ok;
    }();
    static_cast<void>(ready);
    return barcode;
}

// GS1 data with FNC1 in a 22 x 22 symbol: 120 x 120 pixels at 5 per module.
constexpr const char* kGs1Data = "~1010950110153000~117260101~1010ABC";
constexpr std::int32_t kGs1Format = 7;

DataMatrixBarcode& gs1Symbol()
{
    static DataMatrixBarcode barcode;
    static const bool ready = [] {
        static_cast<void>(barcode.suspendUpdates(true));
        static_cast<void>(barcode.setEncodingMode(0));
        static_cast<void>(barcode.setPreferredFormat(kGs1Format));
        static_cast<void>(barcode.setData(kGs1Data));
        return barcode.suspendUpdates(false) == ResultCode::Ok;
    }();
    static_cast<void>(ready);
    return barcode;
}

DataMatrixBarcode& symbolForSize(int pixels)
{
    static DataMatrixBarcode small;  // default data: 12 x 12 modules with quiet zone
    return pixels <= 70 ? small : pixels <= 120 ? gs1Symbol() : largeSymbol();
}

void BM_Draw(benchmark::State& state)
{
    const auto pixels = static_cast<std::int32_t>(state.range(0));
    DataMatrixBarcode& barcode = symbolForSize(pixels);
    for (auto _ : state) {
        korvel::PngCreator image(pixels, pixels, korvel::kWhite, -2);
        if (!image.allocate() || barcode.draw(image, {0, pixels, 0, pixels}) != ResultCode::Ok) {
            state.SkipWithError("draw failed");
            break;
        }
        benchmark::DoNotOptimize(image.row(0));
    }
    state.SetItemsProcessed(state.iterations() * pixels * pixels);
}

// Times `write`, which appends one PNG to the buffer it is given.
template <class Write>
void timePngWrites(benchmark::State& state, std::int32_t pixels, const Write& write)
{
    std::vector<std::uint8_t> png;
    for (auto _ : state) {
        png.clear();
        if (!write(png)) {
            state.SkipWithError("write failed");
            break;
        }
        benchmark::DoNotOptimize(png.data());
    }
    state.counters["png_bytes"] = static_cast<double>(png.size());
    state.SetItemsProcessed(state.iterations() * pixels * pixels);
}

void BM_WritePngToMemory(benchmark::State& state)
{
    const auto pixels = static_cast<std::int32_t>(state.range(0));
    DataMatrixBarcode& barcode = symbolForSize(pixels);
    korvel::PngCreator image(pixels, pixels, korvel::kWhite, -2);
    if (!image.allocate() || barcode.draw(image, {0, pixels, 0, pixels}) != ResultCode::Ok) {
        state.SkipWithError("draw failed");
        return;
    }
    timePngWrites(state, pixels,
                  [&image](std::vector<std::uint8_t>& png) { return image.write(png, std::time_t{0}) == ResultCode::Ok; });
}

BENCHMARK(BM_Draw)->Arg(70)->Arg(120)->Arg(730)->Arg(2920)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_WritePngToMemory)->Arg(70)->Arg(120)->Arg(730)->Arg(2920)->Unit(benchmark::kMicrosecond);

#ifdef KORVEL_BENCH_TYPED_WRITER
// The same images through the typed writer, from the symbol without a raster.
void BM_WritePngTyped(benchmark::State& state)
{
    const auto pixels = static_cast<std::int32_t>(state.range(0));
    korvel::SymbolOptions data;
    korvel::RenderOptions render;
    if (pixels == 120) {
        data.data = kGs1Data;
        data.preferredFormat = kGs1Format;
    } else if (pixels > 120) {
        data.data = randomText(1500, kCapitalsAndDigits, 1500);
        data.preferredFormat = 24;
        render.moduleSize = pixels / 146.0;
    }  // else the command line's default symbol, 70 x 70 pixels
    korvel::Symbol symbol;
    if (!korvel::encode(data, symbol).ok()) {
        state.SkipWithError("encoding failed");
        return;
    }
    korvel::PngOptions options;
    options.time = 0;
    timePngWrites(state, pixels, [&](std::vector<std::uint8_t>& png) {
        return korvel::writePng(symbol, render, options, korvel::bufferSink(png)).ok();
    });
}
BENCHMARK(BM_WritePngTyped)->Arg(70)->Arg(120)->Arg(730)->Arg(2920)->Unit(benchmark::kMicrosecond);

// What korvel.encode('SERIAL00000042').png() does in Python, in C++: a str
// is UTF-8 text taken literally, and the PNG has the clock's time stamp.
// bench/python_bench.py runs this next to the Python call.
void BM_EncodeWritePngSerial(benchmark::State& state)
{
    korvel::SymbolOptions options;
    options.data = "SERIAL00000042";
    options.syntax = korvel::DataSyntax::Literal;
    options.utf8 = true;
    std::vector<std::uint8_t> png;
    for (auto _ : state) {
        korvel::Symbol symbol;
        png.clear();
        if (!korvel::encode(options, symbol).ok() ||
            !korvel::writePng(symbol, korvel::RenderOptions{}, korvel::PngOptions{}, korvel::bufferSink(png)).ok()) {
            state.SkipWithError("encoding or writing failed");
            return;
        }
        benchmark::DoNotOptimize(png.data());
    }
}
BENCHMARK(BM_EncodeWritePngSerial)->Unit(benchmark::kMicrosecond);
#endif

// The pieces --verify adds to one GS1 label of a batch: the exact check of
// the written PNG, the plain raster handed to the decoder, and the decoder's
// reading of it (in the helper, in a batch).
korvel::Symbol symbolOf(const std::string& data)
{
    korvel::SymbolOptions options;
    options.data = data;
    korvel::Symbol symbol;
    static_cast<void>(korvel::encode(options, symbol));
    return symbol;
}

// The first label of bench/gs1_labels.py (W6 of bench/batch.sh and bench/verify.sh).
korvel::Symbol gs1Label() { return symbolOf("~101095011000000021727010110L00000X0~121000000000000"); }

void checkPng(benchmark::State& state, const korvel::Symbol& symbol)
{
    std::vector<std::uint8_t> png;
    korvel::PngOptions pngOptions;
    pngOptions.time = 0;
    if (!korvel::writePng(symbol, korvel::RenderOptions{}, pngOptions, korvel::bufferSink(png)).ok()) {
        state.SkipWithError("writing failed");
        return;
    }
    for (auto _ : state) {
        const korvel::Outcome checked =
            korvel::verifyOutput({korvel::OutputType::Png, png}, symbol, korvel::RenderOptions{});
        if (!checked.ok()) {
            state.SkipWithError(checked.detail.c_str());
            return;
        }
    }
}
void BM_CheckLabelPng(benchmark::State& state) { checkPng(state, gs1Label()); }
void BM_Check144Png(benchmark::State& state) { checkPng(state, symbolOf(randomText(1500, kCapitalsAndDigits, 5))); }
BENCHMARK(BM_CheckLabelPng)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_Check144Png)->Unit(benchmark::kMicrosecond);

void BM_LabelPlainRaster(benchmark::State& state)
{
    const korvel::Symbol symbol = gs1Label();
    for (auto _ : state) {
        benchmark::DoNotOptimize(korvel::plainRaster(symbol, korvel::Orientation::Degrees0, 2, 1).pixels.data());
    }
}
BENCHMARK(BM_LabelPlainRaster)->Unit(benchmark::kMicrosecond);

#if __has_include("korvel/zxing_decoder.hpp")
void BM_DecodeLabelRaster(benchmark::State& state)
{
    const korvel::GrayRaster raster = korvel::plainRaster(gs1Label(), korvel::Orientation::Degrees0, 2, 1);
    korvel::ZxingDecoder decoder;
    for (auto _ : state) {
        std::optional<korvel::SymbolReading> reading;
        if (!decoder.decode(raster, reading).ok() || !reading) {
            state.SkipWithError("no reading");
            return;
        }
    }
}
BENCHMARK(BM_DecodeLabelRaster)->Unit(benchmark::kMicrosecond);
#endif

}  // namespace

BENCHMARK_MAIN();
