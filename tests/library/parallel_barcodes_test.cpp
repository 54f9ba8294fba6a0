// Several barcode objects used at the same time from different threads give
// exactly what the same work gives done one after the other: codewords,
// format, module matrix, pixels and PNG bytes. Besides joining the ordinary
// test program, this file is built with ThreadSanitizer by the
// library.thread_sanitizer test, which reports any unsynchronised access to
// shared state.
//
// Only the public headers are used, as a library caller would.

#include <gtest/gtest.h>

#include <cstdio>
#include <ctime>
#include <latch>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "korvel/korvel.hpp"

namespace korvel {
namespace {

using enum EncodingMode;


struct Job {
    const char* data;
    EncodingMode mode;
    std::int32_t format;
    std::int32_t orientation;
    bool structuredAppend;
    Color foreground;
    Color background;
    std::time_t when;
};

// 600 digits need a 64 x 64 symbol with two interleaved Reed-Solomon blocks.
const std::string kManyDigits = [] {
    std::string digits;
    for (int i = 0; i < 60; ++i) {
        digits += "0123456789";
    }
    return digits;
}();

// Every scheme, square and rectangular formats, escapes, structured append,
// all orientations, colours, one encoding failure, and a different time
// stamp per job.
const Job kJobs[] = {
    {"1234567", Automatic, 0, 0, false, kBlack, kWhite, 0},
    {"Hello, Data Matrix! 0123456789", Automatic, 0, 90, false, Color::fromRgb(0x000080), Color::fromRgb(0xFFFF00), 86399},
    {"ABCDEFGHIJKLMNOPQRSTUVWXYZ 0123456789", C40, 0, 180, false, kBlack, kWhite, 951782400},
    {"the quick brown fox jumps over the lazy dog", Text, 0, 270, false, Color::fromRgb(0xFF0000), kWhite, 1709251199},
    {"ABC*DEF>GHI 123\r456", X12, 0, 0, true, kBlack, Color::fromRgb(0xEEEEEE), 1772874303},
    {"EDIFACT DATA: <+>=?@[]^", Edifact, 0, 90, false, kBlack, kWhite, 2147483647},
    {"~X00~XFF binary ~7000026\xC3\xA4", Base256, 0, 0, false, kBlack, kWhite, 2147483648},
    {"~10103453120000011~X1D10ABC123", Ascii, 30, 180, false, kBlack, kWhite, 4102444800},
    {"~5Macro 05 text", Automatic, 28, 270, true, Color::fromRgb(0x563412), Color::fromRgb(0xBADCFE), 4133980799},
    {"lower case is not X12", X12, 0, 0, false, kBlack, kWhite, 1234567890},
    {kManyDigits.c_str(), Automatic, 0, 0, false, kBlack, kWhite, 1000000000},
    {"~1GS1 FNC1 first 0123456789", Automatic, 0, 90, true, kBlack, kWhite, 1500000000},
};
constexpr std::size_t kJobCount = std::size(kJobs);

// How a thread hands the PNG out; the bytes are the same for all three.
enum class Sink { Buffer, Stream, File };

struct Outcome {
    ResultCode encoded = ResultCode::Ok;
    CodewordString codewords;
    std::int32_t format = -1;
    std::vector<std::uint8_t> modules;
    ResultCode drawn = ResultCode::Ok;
    std::vector<std::uint8_t> png;
    ResultCode written = ResultCode::Ok;

    friend bool operator==(const Outcome&, const Outcome&) = default;
};

ResultCode writePng(const PngCreator& image, std::time_t when, Sink sink, std::vector<std::uint8_t>& png)
{
    switch (sink) {
    case Sink::Buffer: return image.write(png, when);
    case Sink::Stream: {
        std::ostringstream stream;
        const ResultCode result = image.write(stream, when);
        const std::string bytes = stream.str();
        png.assign(bytes.begin(), bytes.end());
        return result;
    }
    case Sink::File: {
        std::FILE* file = std::tmpfile();
        if (file == nullptr) {
            return ResultCode::CantOpenOutputFile;
        }
        const ResultCode result = image.write(file, when);
        const long size = std::ftell(file);
        std::rewind(file);
        png.resize(size > 0 ? static_cast<std::size_t>(size) : 0);
        const std::size_t read = std::fread(png.data(), 1, png.size(), file);
        std::fclose(file);
        return read == png.size() ? result : ResultCode::Fail;
    }
    }
    return ResultCode::Fail;
}

// One job on a barcode object that may already hold an earlier job's
// settings: everything is set again in one batch.
Outcome produce(DataMatrixBarcode& barcode, const Job& job, Sink sink)
{
    Outcome out;
    static_cast<void>(barcode.suspendUpdates(true));
    static_cast<void>(barcode.setData(job.data));
    static_cast<void>(barcode.setPreferredFormat(job.format));
    static_cast<void>(barcode.setEncodingMode(job.mode));
    static_cast<void>(barcode.setOrientation(job.orientation));
    barcode.setForegroundColor(job.foreground);
    barcode.setBackgroundColor(job.background);
    static_cast<void>(barcode.setStructuredAppend(job.structuredAppend));
    static_cast<void>(barcode.setStructuredAppendPosition(2));
    static_cast<void>(barcode.setStructuredAppendTotal(3));
    static_cast<void>(barcode.setStructuredAppendId(4711));
    out.encoded = barcode.suspendUpdates(false);
    if (out.encoded != ResultCode::Ok) {
        return out;
    }
    out.codewords = barcode.codewords();
    out.format = barcode.format().id;
    out.modules = barcode.matrix().modules();
    ImageSize size;
    if (barcode.getImageSize(3.0, size) != ResultCode::Ok) {
        out.drawn = ResultCode::InvalidArgument;
        return out;
    }
    PngCreator image(size.width, size.height, kWhite, -2);
    if (!image.allocate()) {
        out.drawn = ResultCode::CantInitializePngCreator;
        return out;
    }
    out.drawn = barcode.draw(image, {0, size.width, 0, size.height});
    out.written = writePng(image, job.when, sink, out.png);
    return out;
}

TEST(ParallelBarcodes, ThreadsWithTheirOwnObjectsMatchASerialRun)
{
    std::vector<Outcome> serial;
    {
        DataMatrixBarcode barcode;
        for (const Job& job : kJobs) {
            serial.push_back(produce(barcode, job, Sink::Buffer));
        }
    }
    // The table holds both successes and a refused encoding.
    ASSERT_EQ(serial[9].encoded, ResultCode::InvalidData);
    for (std::size_t i = 0; i < kJobCount; ++i) {
        if (i != 9) {
            ASSERT_EQ(serial[i].encoded, ResultCode::Ok) << kJobs[i].data;
            ASSERT_EQ(serial[i].drawn, ResultCode::Ok) << kJobs[i].data;
            ASSERT_EQ(serial[i].written, ResultCode::Ok) << kJobs[i].data;
            ASSERT_GT(serial[i].png.size(), 8U);
        }
    }

    // Each thread owns one barcode object and walks the whole table several
    // times, starting at a different job, so that different jobs (and the
    // same job) run at the same moment in different threads.
    constexpr std::size_t kThreads = 4;
    constexpr std::size_t kRounds = 3;
    const Sink sinks[kThreads] = {Sink::Buffer, Sink::Stream, Sink::File, Sink::Buffer};
    std::vector<std::vector<Outcome>> results(kThreads, std::vector<Outcome>(kJobCount * kRounds));
    std::latch start(kThreads);
    std::vector<std::thread> threads;
    for (std::size_t t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            DataMatrixBarcode barcode;
            start.arrive_and_wait();
            for (std::size_t n = 0; n < kJobCount * kRounds; ++n) {
                const std::size_t job = (n + t * 3) % kJobCount;
                results[t][n] = produce(barcode, kJobs[job], sinks[t]);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }

    for (std::size_t t = 0; t < kThreads; ++t) {
        for (std::size_t n = 0; n < kJobCount * kRounds; ++n) {
            const std::size_t job = (n + t * 3) % kJobCount;
            EXPECT_TRUE(results[t][n] == serial[job]) << "thread " << t << ", job " << job << ": " << kJobs[job].data;
        }
    }
}

// The line under the symbol: the font found once for all threads, a
// FreeType face per thread, the same PNG bytes as one after the other.
TEST(ParallelBarcodes, LinesUnderSymbolsMatchASerialRun)
{
    const auto png = [](int n) {
        SymbolOptions options;
        options.data = "LABEL " + std::to_string(n);
        RenderOptions render;
        render.hriText = true;
        PngOptions stamped;
        stamped.time = 0;
        Symbol symbol;
        std::vector<std::uint8_t> bytes;
        const bool written = encode(options, symbol).ok() && writePng(symbol, render, stamped, bufferSink(bytes)).ok();
        return written ? bytes : std::vector<std::uint8_t>{};
    };
    constexpr int kThreads = 4;
    constexpr int kLabels = 12;
    std::vector<std::vector<std::uint8_t>> results(kThreads * kLabels);
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&, t] {
            for (int n = 0; n < kLabels; ++n) {
                results[static_cast<std::size_t>(t * kLabels + n)] = png(n);
            }
        });
    }
    for (std::thread& thread : threads) {
        thread.join();
    }
    for (int n = 0; n < kThreads * kLabels; ++n) {
        EXPECT_FALSE(results[static_cast<std::size_t>(n)].empty());
        EXPECT_EQ(results[static_cast<std::size_t>(n)], png(n % kLabels)) << n;
    }
}

}  // namespace
}  // namespace korvel
