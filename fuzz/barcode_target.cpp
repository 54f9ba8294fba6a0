// Fuzz target over the barcode object: the first bytes choose the settings,
// the rest is the data text.
//
// Input layout (missing bytes read as 0):
//   0      encodation mode: value % 9, where 7 and 8 stand for the invalid modes 7 and -1
//   1      preferred format: value % 33 - 1, so -1..31 (-1 and 31 are invalid)
//   2      flags: bit 0 structured append, bit 1 quiet zone shown, bit 2 settings
//          applied with updates suspended, bit 3 colours from bytes 11..13,
//          bits 4-5 orientation 0/90/180/270, bit 6 an invalid orientation instead
//   3      structured append position: value % 20 - 1 (the setter refuses values outside 1..16)
//   4      structured append total: value % 20 - 1 (refused outside 2..16)
//   5, 6   structured append id, 16 bits little-endian (refused outside 1..64516)
//   7      quiet zone size: below 240 the value % 8; from 240 one of a few huge or negative sizes
//   8      alignments: horizontal low nibble % 4, vertical high nibble % 4 (3 is invalid)
//   9      X-dimension: (value % 20) / 4.0 pixels, so 0..4.75
//   10     a second target rectangle: width and height 1..16 times the low/high nibble + 1
//   11..13 background colour (and foreground reversed) when flag bit 3 is set
//   14..   the data text

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string_view>
#include <vector>

#include "fuzz_targets.hpp"
#include "korvel/data_matrix_barcode.hpp"
#include "korvel/png_creator.hpp"
#include "korvel/symbol.hpp"

namespace korvel::fuzz {
namespace {

constexpr std::size_t kHeaderSize = 14;
// Images with more pixels than this are not allocated: the target then draws
// into a small raster with the large target rectangle, which has to clip.
constexpr std::int64_t kMaxPixels = std::int64_t{1} << 20;
// Images up to this many pixels are also written as PNG into memory.
constexpr std::int64_t kMaxPngPixels = std::int64_t{1} << 16;

constexpr std::array<std::int32_t, 16> kHugeQuietZones{
    32695, 32696, 32700, 32759, 32762, 32763, 32767, 32768, 65535, 65536, 100000,
    std::numeric_limits<std::int32_t>::max(), -1, std::numeric_limits<std::int32_t>::min(), 16384, 30000};

struct Settings {
    std::int32_t mode = 0;
    std::int32_t preferredFormat = 0;
    bool structuredAppend = false;
    bool quietZone = true;
    bool suspended = false;
    bool colours = false;
    std::int32_t orientation = 0;
    std::int32_t position = 1;
    std::int32_t total = 2;
    std::int32_t id = 1;
    std::int32_t quietZoneSize = 1;
    std::int32_t horizontal = 1;
    std::int32_t vertical = 1;
    double xDimension = 1.0;
    std::int32_t extraWidth = 1;
    std::int32_t extraHeight = 1;
    Color background = kWhite;
    Color foreground = kBlack;
    std::string_view text;
};

Settings decode(const std::uint8_t* data, std::size_t size)
{
    std::array<std::uint8_t, kHeaderSize> h{};
    for (std::size_t i = 0; i < kHeaderSize && i < size; ++i) {
        h[i] = data[i];
    }
    Settings s;
    const int modeChoice = h[0] % 9;
    s.mode = modeChoice == 8 ? -1 : modeChoice;
    s.preferredFormat = h[1] % 33 - 1;
    s.structuredAppend = (h[2] & 0x01) != 0;
    s.quietZone = (h[2] & 0x02) != 0;
    s.suspended = (h[2] & 0x04) != 0;
    s.colours = (h[2] & 0x08) != 0;
    s.orientation = (h[2] & 0x40) != 0 ? 45 : 90 * ((h[2] >> 4) & 0x03);
    s.position = h[3] % 20 - 1;
    s.total = h[4] % 20 - 1;
    s.id = h[5] | (h[6] << 8);
    s.quietZoneSize = h[7] < 240 ? h[7] % 8 : kHugeQuietZones[static_cast<std::size_t>(h[7] - 240)];
    s.horizontal = (h[8] & 0x0F) % 4;
    s.vertical = (h[8] >> 4) % 4;
    s.xDimension = (h[9] % 20) / 4.0;
    s.extraWidth = 16 * ((h[10] & 0x0F) + 1) - (h[10] >> 6);
    s.extraHeight = 16 * ((h[10] >> 4) + 1) - (h[10] & 0x03);
    if (s.colours) {
        s.background = Color{h[11], h[12], h[13]};
        s.foreground = Color{h[13], h[12], h[11]};
    }
    if (size > kHeaderSize) {
        s.text = std::string_view(reinterpret_cast<const char*>(data + kHeaderSize), size - kHeaderSize);
    }
    return s;
}

bool isEncodationResult(ResultCode r)
{
    switch (r) {
    case ResultCode::Ok:
    case ResultCode::InvalidData:
    case ResultCode::InvalidEncodingMode:
    case ResultCode::InvalidPreferredFormat:
    case ResultCode::NoMatrixFormat:
    case ResultCode::DataDoesNotFitFormat: return true;
    default: return false;
    }
}

// Applies the settings; a refused range setting must answer 1 and keep the old value.
const char* apply(const Settings& s, DataMatrixBarcode& b, ResultCode& last)
{
    last = ResultCode::Ok;
    auto track = [&last](ResultCode r) {
        if (r != ResultCode::Ok) {
            last = r;
        }
        return r;
    };
    track(b.setData(s.text));
    track(b.setPreferredFormat(s.preferredFormat));
    track(b.setEncodingMode(s.mode));
    const bool orientationValid = orientationFromDegrees(s.orientation).has_value();
    if ((b.setOrientation(s.orientation) == ResultCode::Ok) != orientationValid ||
        (orientationValid && b.orientation() != s.orientation)) {
        return "an orientation was refused or stored against its set";
    }
    b.setBackgroundColor(s.background);
    b.setForegroundColor(s.foreground);
    b.setQuietZone(s.quietZone);
    const bool alignmentsValid = alignmentFromNumber(s.horizontal) && alignmentFromNumber(s.vertical);
    const bool alignmentsTaken = b.setHorizontalAlignment(s.horizontal) == ResultCode::Ok &&
                                 b.setVerticalAlignment(s.vertical) == ResultCode::Ok;
    if (alignmentsTaken != alignmentsValid) {
        return "an alignment was refused or stored against its set";
    }
    track(b.setStructuredAppend(s.structuredAppend));

    const std::int32_t oldPosition = b.structuredAppendPosition();
    const ResultCode position = b.setStructuredAppendPosition(s.position);
    if ((s.position < 1 || s.position > 16) && s.position != oldPosition) {
        if (position != ResultCode::InvalidArgument || b.structuredAppendPosition() != oldPosition) {
            return "an out-of-range structured append position was not refused";
        }
    } else {
        track(position);
    }
    const std::int32_t oldTotal = b.structuredAppendTotal();
    const ResultCode total = b.setStructuredAppendTotal(s.total);
    if ((s.total < 2 || s.total > 16) && s.total != oldTotal) {
        if (total != ResultCode::InvalidArgument || b.structuredAppendTotal() != oldTotal) {
            return "an out-of-range structured append total was not refused";
        }
    } else {
        track(total);
    }
    const std::int32_t oldId = b.structuredAppendId();
    const ResultCode id = b.setStructuredAppendId(s.id);
    if ((s.id < 1 || s.id > DataMatrixBarcode::kMaxStructuredAppendId) && s.id != oldId) {
        if (id != ResultCode::InvalidArgument || b.structuredAppendId() != oldId) {
            return "an out-of-range structured append id was not refused";
        }
    } else {
        track(id);
    }
    const std::int32_t oldQuietZone = b.quietZoneSize();
    const ResultCode quietZone = b.setQuietZoneSize(s.quietZoneSize);
    if (s.quietZoneSize < 0 && s.quietZoneSize != oldQuietZone) {
        if (quietZone != ResultCode::InvalidArgument || b.quietZoneSize() != oldQuietZone) {
            return "a negative quiet zone size was not refused";
        }
    } else if (quietZone != ResultCode::Ok) {
        return "a quiet zone size of 0 or more was refused";
    }
    return nullptr;
}

// The symbol's extent in modules with its quiet zones, as drawn; 64-bit so
// that it cannot wrap here.
void extentOf(const DataMatrixBarcode& b, std::int64_t& columns, std::int64_t& rows)
{
    const bool upright = b.orientation() == 0 || b.orientation() == 180;
    columns = upright ? b.format().symbolColumns : b.format().symbolRows;
    rows = upright ? b.format().symbolRows : b.format().symbolColumns;
    if (b.quietZone()) {
        columns += 2 * std::int64_t{b.quietZoneSize()};
        rows += 2 * std::int64_t{b.quietZoneSize()};
    }
}

bool isDrawResult(ResultCode r)
{
    return r == ResultCode::Ok || r == ResultCode::InvalidBarcodeSize || r == ResultCode::InvalidData;
}

// Draws into `target` of an image of the given size; when that image would be
// large, into a small raster instead (the drawing then has to clip).
const char* drawInto(DataMatrixBarcode& b, std::int32_t width, std::int32_t height, bool expectFit)
{
    const bool small = std::int64_t{width} * height <= kMaxPixels;
    PngCreator image(small ? width : 64, small ? height : 64, kWhite, -2);
    if (!image.allocate()) {
        return "a small raster could not be allocated";
    }
    const ResultCode drawn = b.draw(image, TargetRect{0, width, 0, height});
    if (!isDrawResult(drawn)) {
        return "draw returned a code other than 0, 4 or 5";
    }
    if (drawn == ResultCode::InvalidData && b.isEncoded()) {
        return "draw refused an encoded symbol as invalid data";
    }
    if (drawn == ResultCode::Ok && !b.isEncoded()) {
        return "draw painted a symbol that is not encoded";
    }
    if (expectFit && b.isEncoded() && drawn != ResultCode::Ok) {
        return "the symbol does not fit the image getImageSize gave";
    }
    if (drawn == ResultCode::Ok && std::int64_t{image.width()} * image.height() <= kMaxPngPixels) {
        std::vector<std::uint8_t> png;
        if (image.write(png, std::time_t{0}) != ResultCode::Ok) {
            return "writing a small image as PNG failed";
        }
        constexpr std::array<std::uint8_t, 8> kSignature{0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
        if (png.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), png.begin())) {
            return "the PNG stream does not start with the signature";
        }
    }
    return nullptr;
}

}  // namespace

const char* fuzzBarcode(const std::uint8_t* data, std::size_t size)
{
    const Settings s = decode(data, size);
    DataMatrixBarcode b;
    if (s.suspended && b.suspendUpdates(true) != ResultCode::Ok) {
        return "suspending updates failed";
    }
    ResultCode last = ResultCode::Ok;
    if (const char* failure = apply(s, b, last)) {
        return failure;
    }
    // A structured append position above the total is refused by the update.
    const bool positionAboveTotal = b.structuredAppend() && b.structuredAppendPosition() > b.structuredAppendTotal();
    const auto possible = [&](ResultCode r) {
        return isEncodationResult(r) || (r == ResultCode::InvalidArgument && (positionAboveTotal || s.structuredAppend));
    };
    if (!possible(last)) {
        return "a setter returned a code that encodation cannot give";
    }
    // Resuming (or re-running) gives the one result that counts.
    const ResultCode result = b.suspendUpdates(false);
    if (!isEncodationResult(result) && !(result == ResultCode::InvalidArgument && positionAboveTotal)) {
        return "update returned a code other than 0, 1 (position above total), 5, 6, 7, 8 or 10";
    }
    if ((result == ResultCode::Ok) != b.isEncoded()) {
        return "isEncoded() disagrees with the result of update";
    }
    const bool modeValid = s.mode >= 0 && s.mode <= 6;
    if (!modeValid && result != ResultCode::InvalidEncodingMode) {
        return "an invalid encodation mode was not reported as 6";
    }
    if (modeValid && result == ResultCode::InvalidEncodingMode) {
        return "a valid encodation mode was reported as 6";
    }
    const bool formatValid = s.preferredFormat >= 0 && s.preferredFormat <= 30;
    if (modeValid && !formatValid && result != ResultCode::InvalidPreferredFormat &&
        result != ResultCode::InvalidData && !positionAboveTotal) {
        return "an invalid preferred format was not reported";
    }
    // ASCII, C40 and Text encode every byte; the one thing refused is reader
    // programming behind a structured append header, where readers reject it.
    const bool readerProgrammingAfterHeader = s.structuredAppend && s.text.substr(0, 2) == "~3";
    const bool everyByte = s.mode == static_cast<std::int32_t>(EncodingMode::Ascii) ||
                           s.mode == static_cast<std::int32_t>(EncodingMode::C40) ||
                           s.mode == static_cast<std::int32_t>(EncodingMode::Text);
    if (everyByte && result == ResultCode::InvalidData &&
        !readerProgrammingAfterHeader) {
        return "ASCII, C40 or Text refused data (they encode every byte)";
    }
    if (result == ResultCode::Ok) {
        const SymbolFormat& f = b.format();
        if (s.preferredFormat != 0 && f.id != s.preferredFormat) {
            return "the preferred format was not used";
        }
        if (b.codewords().size() != std::size_t{f.dataCodewords} + f.errorCodewords) {
            return "the codeword count is not the format's data plus error codewords";
        }
        if (b.matrix().rows() != f.symbolRows || b.matrix().columns() != f.symbolColumns) {
            return "the module matrix does not have the format's size";
        }
        // The one-call path makes the same symbol from the object's description.
        Symbol symbol;
        if (!encode(b.symbolOptions(), symbol).ok() || symbol.codewords() != b.codewords() ||
            symbol.matrix().modules() != b.matrix().modules()) {
            return "encode() and the barcode object disagree";
        }
    }

    // Sizing: 1 or a size of 1..65535 in each direction.
    ImageSize image{};
    const ResultCode sized = b.getImageSize(s.xDimension, image);
    if (sized != ResultCode::Ok && sized != ResultCode::InvalidArgument) {
        return "getImageSize returned a code other than 0 or 1";
    }
    if (result == ResultCode::Ok) {
        std::int64_t columns = 0;
        std::int64_t rows = 0;
        extentOf(b, columns, rows);
        const auto pixels = static_cast<std::int64_t>(s.xDimension + 0.5);
        const bool extentFits = columns <= 65535 && rows <= 65535;
        const std::int64_t width = pixels * columns;
        const std::int64_t height = pixels * rows;
        if (sized == ResultCode::Ok) {
            if (image.width < 1 || image.width > 65535 || image.height < 1 || image.height > 65535) {
                return "getImageSize gave a size outside 1..65535";
            }
            if (!extentFits) {
                return "getImageSize accepted an extent above 65535 modules";
            }
            if (image.width != width % 65536 || image.height != height % 65536) {
                return "getImageSize did not give the X-dimension times the extent (16-bit)";
            }
        } else if (extentFits && pixels > 0 && width % 65536 != 0 && height % 65536 != 0) {
            return "getImageSize refused a size it should give";
        }
        if (sized == ResultCode::Ok) {
            const bool wrapped = width > 65535 || height > 65535;
            if (const char* failure = drawInto(b, image.width, image.height, !wrapped)) {
                return failure;
            }
        }
    }
    // Any target, also for a symbol that is not encoded.
    return drawInto(b, s.extraWidth, s.extraHeight, false);
}

}  // namespace korvel::fuzz
