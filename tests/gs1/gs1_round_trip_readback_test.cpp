// Every valid label encoded, drawn and read back by zxing-cpp: an element
// string as "]d2" with exactly its AIs, values and separators, a Digital Link
// as "]d1" and its URI, a HIBC label as "+", its data and check character.

#include <gtest/gtest.h>

#include <string>

#include "gs1/label_cases.hpp"
#include "korvel/png_creator.hpp"
#include "korvel/rendering.hpp"
#include "korvel/symbol.hpp"
#include "support/symbol_readers.hpp"

namespace korvel {
namespace {

testing::ZxingReading encodeAndRead(const SymbolOptions& options, Symbol& symbol, Outcome& outcome)
{
    outcome = encode(options, symbol);
    RenderOptions render;
    render.moduleSize = 4;
    render.quietZoneSize = 2;
    ImageSize size;
    if (!outcome.ok() || !imageSize(symbol, render, size).ok()) {
        return {};
    }
    PngCreator image(size.width, size.height, kWhite, PngCreator::kDefaultCompression);
    if (!image.allocate() || !renderSymbol(symbol, render, image).ok()) {
        return {};
    }
    return testing::readWithZxing(image);
}

TEST(Gs1RoundTrip, EveryLabelReadsBackWithItsIdentifierAndSeparatorsInEveryMode)
{
    int readBack = 0;
    for (const auto& label : testing::kValidLabels) {
        const bool digitalLink = label.text.starts_with("http");
        // Separator x structured append x the seven modes and the minimal encodation.
        for (int variant = 0; variant < 2 * 2 * 8; ++variant) {
            SymbolOptions options;
            options.data = label.text;
            options.syntax = DataSyntax::Gs1;
            options.gs1.referenceTime = testing::kReferenceTime;
            options.gs1Separator = variant % 2 == 0 ? Gs1Separator::Fnc1 : Gs1Separator::GroupSeparator;
            options.structuredAppend = {(variant / 2) % 2 == 1, 2, 3, 77};
            options.mode = static_cast<EncodingMode>(variant / 4 % 7);
            options.minimal = variant / 4 == 7;
            SCOPED_TRACE(std::string(label.name) + ", variant " + std::to_string(variant));
            Symbol symbol;
            Outcome outcome;
            const testing::ZxingReading reading = encodeAndRead(options, symbol, outcome);
            const bool limitedMode = options.mode == EncodingMode::Edifact || options.mode == EncodingMode::X12;
            if (limitedMode && outcome.code == ResultCode::InvalidData) {
                continue;  // characters (or FNC1) these modes cannot hold
            }
            ASSERT_TRUE(outcome.ok()) << outcomeMessage(outcome);
            EXPECT_EQ(symbol.humanReadableText(), label.humanReadable);
            ASSERT_TRUE(reading.found);
            EXPECT_EQ(reading.symbologyId, digitalLink ? "]d1" : "]d2");
            EXPECT_EQ(reading.bytes, label.readBack);
            EXPECT_EQ(reading.sequenceSize, options.structuredAppend.enabled ? 3 : -1);
            ++readBack;
        }
    }
    for (const auto& label : testing::kValidHibcLabels) {
        SymbolOptions options;
        options.data = label.data;
        options.syntax = DataSyntax::Hibc;
        Symbol symbol;
        Outcome outcome;
        const testing::ZxingReading reading = encodeAndRead(options, symbol, outcome);
        ASSERT_TRUE(outcome.ok()) << label.name;
        EXPECT_EQ(reading.symbologyId, "]d1");
        EXPECT_EQ(reading.bytes, label.readBack);
        EXPECT_EQ(symbol.humanReadableText(), label.readBack);
        ++readBack;
    }
    std::printf("GS1 and HIBC symbols read back: %d\n", readBack);
    EXPECT_GE(readBack, 250);
}

TEST(Gs1RoundTrip, InvalidDataIsRefusedBeforeEncoding)
{
    SymbolOptions options;
    options.data = "[01]09501101530000";
    options.syntax = DataSyntax::Gs1;
    Symbol symbol;
    const Outcome outcome = encode(options, symbol);
    EXPECT_EQ(outcomeMessage(outcome), "Error: Invalid GS1 data: AI (01) at character 5: check digit 0, expected 3.");
    EXPECT_TRUE(symbol.empty());
    EXPECT_TRUE(symbol.gs1Data().elements.empty());
    options.data = "[01]09501101530003";
    options.utf8 = true;  // GS1 data is plain ASCII
    EXPECT_EQ(encode(options, symbol).code, ResultCode::InvalidArgument);
}

}  // namespace
}  // namespace korvel
