#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>

#include "usage_text.hpp"
#include "korvel/result_code.hpp"

namespace korvel {
namespace {

const std::string kGolden = R"(korvel Version 1.3
Usage:  korvel [OPTIONS] filename
Example:  korvel -x 120 -y 120 -d 1234567890 c:\datamatrix.png
Options:
   -h --help        Display this usage information.
   -x --xsize       Barcode image width.
                    Example: -x 120
   -y --ysize       Barcode image height.
                    Example: -y 120
   -n --xdim        X-Dimension.
                    Example: -n 5
   -d --data        Set the data that is to be encoded in the barcode.
                    Example: -d 1234567890Data
   -f --fmt         Set the the preferred format. Possible Values: 0..30
                    Example: -f 11
   -m --mode        Set the encoding mode. Possible Values: 0..6
                    Example: -m 4
   -o --orient      Set the orientation. Possible Values: 0, 90, 180, 270
                    Example: -o 90
   -b --bcolor      Set the background color. Possible Values: 0x000000..0xffffff
                    Example: -b ffff00, means yellow color in RGB
   -r --fcolor      Set the foreground color. Possible Values: 0x000000..0xffffff
                    Example: -r 000000, means black color
   -q --qzone       Show or not the quiet zones. Possible Values: 0 or 1
                    Example: -q 1
   -z --alignh      Set a horizontal barcode alignment. Possible Values: 0..2
                    Example: -z 1
   -v --alignv      Set a vertical  barcode alignment. Possible Values: 0..2
                    Example: -v 1
   -s --sapp        Enable the structured append. Possible Values: 0 or 1
                    Example: -s 0
   -p --spos        Position in the structured append. Possible Values: 1..16
                    Example: -p 1
   -t --stot        Set total number of the symbols. Possible Values: 2..16
                    Example: -t 3
   -i --sid         Set the Structured Append identification.
                    Example: -i 1234
   -e --qsize       Set quiet zone size.
                    Example: -e 2

Extended options:
   --gs1            The data is GS1: [01]09501101530003[10]AB, (01)...(10)...
                    or a Digital Link URI; it is checked and FNC1 is added.
   --gs1-nocheck    As --gs1, checking only AIs, value lengths and characters.
   --gs1-separator  After variable-length GS1 values: fnc1 (default) or gs.
   --hibc           The data is a HIBC label: + and a check character are added.
   --hri            Print the human-readable text of GS1 or HIBC data on standard
                    output (--hri-text draws it in the image).
   --type           Output format: png, svg, eps, pdf or text. Without it, a file name
                    ending in .svg, .eps or .pdf (any case) selects that format.
                    text: a preview in Unicode half blocks for a terminal (--stdout may
                    write it there); module size, image size, colours, dots and ink
                    spread do not apply.
   --module-mm      Module size in millimetres, above 0 and at most 100.
                    For a PNG it needs --dpi; not together with -x or -y.
   --dpi            Resolution in dots per inch, 1..100000: a pHYs chunk in a PNG,
                    the size of vector output without --module-mm (default 96).
   --palette        Write the PNG as a two-colour indexed image, 1 bit per pixel.
   --time           PNG time stamp in seconds since 1970-01-01 UTC, 0..253402300799;
                    without it SOURCE_DATE_EPOCH, else the current time.
   --stdout         Write the image to standard output instead of a file.
   --batch          One symbol per line of the file (- for standard input).
                    Example: --batch=labels.txt label-#####.png
                    The last run of # in the file name becomes the line number;
                    without #, -N goes before the extension.
   --input          Take the data from the file (- for standard input),
                    byte for byte, without escapes. Example: --input=data.bin
   --jobs           Symbols of a batch made at once. Possible Values: 1..256
                    (default: the number of processors)
   --verify         Read the symbol back with an independent decoder and check the
                    written image; write nothing when they differ (status 16).
   --report         Describe the symbol as one line of JSON in this file (- for
                    standard output). Example: --report=out.json
   --shape          Set the shape chosen with -f 0. Possible Values: square, rectangle
   --dmre           Allow the rectangular extension formats 31..48 (DMRE).
   --utf8           Read the data as UTF-8 text; beyond ISO 8859-1 it gets ECI 26.
   --minimal        Encode with the fewest codewords. Needs -m 0.
   --version        Print the version line and exit.
   --hri-text       Draw the human-readable text under the symbol: GS1 and HIBC
                    data as --hri prints it, other data as it is (printable ASCII only).
   --cmyk           EPS and PDF colours in DeviceCMYK, so that black is black ink
                    only. PNG and SVG are the same either way.
   --no-background  No background in SVG, EPS and PDF; a PNG shows the
                    background colour transparent.
   --dots           Each dark module a dot of this diameter, a fraction of the
                    module: 0.1..1.0. Example: --dots=0.8
   --ink-spread     Shrink dark areas against print gain by this fraction of a
                    module: 0..0.5 (a PNG by whole pixels). Example: --ink-spread=0.15
)";

// Index of the first byte where the two texts differ, or npos.
std::size_t firstDifference(const std::string& a, const std::string& b)
{
    const auto [ia, ib] = std::mismatch(a.begin(), a.end(), b.begin(), b.end());
    return ia == a.end() && ib == b.end() ? std::string::npos : static_cast<std::size_t>(ia - a.begin());
}

void expectGolden(const std::string& text)
{
    const std::size_t at = firstDifference(text, kGolden);
    EXPECT_EQ(at, std::string::npos) << "first difference at byte " << at << ": got \""
                                     << text.substr(at == std::string::npos ? 0 : at, 40) << "\", want \""
                                     << kGolden.substr(at == std::string::npos ? 0 : at, 40) << '"';
}

TEST(UsageText, MatchesTheGoldenTextByteForByte)
{
    expectGolden(usageText());
    // The eighteen original options take 35 lines; the extended ones follow
    // after an empty line.
    const std::size_t options = kGolden.find("Options:\n") + 9;
    const std::size_t extended = kGolden.find("\nExtended options:\n");
    EXPECT_EQ(std::count(kGolden.begin() + static_cast<std::ptrdiff_t>(options),
                         kGolden.begin() + static_cast<std::ptrdiff_t>(extended), '\n'),
              35);
}

TEST(UsageText, PrintUsageWritesExactlyTheText)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(std::tmpfile(), std::fclose);
    ASSERT_TRUE(stream);
    ASSERT_TRUE(printUsage(stream.get()));
    std::rewind(stream.get());
    std::string written;
    for (int c = std::fgetc(stream.get()); c != EOF; c = std::fgetc(stream.get())) {
        written += static_cast<char>(c);
    }
    expectGolden(written);
}

// Help that cannot be written is reported, not passed off as success.
TEST(UsageText, PrintUsageReportsAFullDevice)
{
    const std::unique_ptr<std::FILE, int (*)(std::FILE*)> full(std::fopen("/dev/full", "w"), std::fclose);
    ASSERT_TRUE(full);
    EXPECT_FALSE(printUsage(full.get()));
}

TEST(ResultMessages, EveryCodeHasItsMessage)
{
    const char* const expected[] = {
        "Ok.",
        "Error: Invalid argument.",
        "Error: Fail.",
        "Error: Cant initialize PNG creator.",
        "Error: Invalid barcode size.",
        "Error: Invalid data to encode.",
        "Error: Invalid encoding mode.",
        "Error: Invalid PreferredFormat property.",
        "Error: Cant find the needed matrix format.",
        "Error: Cant append the Reed-Solomon codes.",
        "Error: The data to encode cant be placed in the current matrix format.",
        "Error: Output file name cant be empty.",
        "Error: Cant open output file.",
        "Error: Cant close output file.",
        "Error: Unknown exception.",
        "Error: Invalid GS1 data.",
        "Error: Verification failed.",
        "Error: Verifier not available.",
        "Error: Cant read input file.",
    };
    for (unsigned code = 0; code < std::size(expected); ++code) {
        EXPECT_STREQ(resultMessage(code), expected[code]) << code;
    }
    for (const unsigned code : {19U, 255U, 4294967295U}) {
        EXPECT_STREQ(resultMessage(code), "Error: Unknown error.") << code;
    }
}

TEST(ResultMessages, DetailStandsAfterTheMessageWithoutItsPeriod)
{
    EXPECT_EQ(outcomeMessage({ResultCode::InvalidGs1Data, "AI (01) at character 5: check digit 0, expected 3"}),
              "Error: Invalid GS1 data: AI (01) at character 5: check digit 0, expected 3.");
    EXPECT_EQ(outcomeMessage({ResultCode::InvalidData}), "Error: Invalid data to encode.");
}

}  // namespace
}  // namespace korvel
