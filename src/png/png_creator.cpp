// PNG files written with libpng, one write path per kind of input: a
// raster's rows, rows described by their structure and painted one at a
// time, and rows whose image data is made here from their structure
// (PngImageData) and only framed by libpng. The typed writer (png_writer.cpp)
// and PngCreator come here; the proof reads PNGs elsewhere.

#include "korvel/png_creator.hpp"

#include "png/png_image_data.hpp"
#include "png/png_stream.hpp"
#include "png/row_structure.hpp"
#include "png/two_colour_rows.hpp"
#include "calendar/utc_calendar.hpp"
#include "korvel/png_writer.hpp"

#include <png.h>
#include <zlib.h>

#include <array>
#include <csetjmp>
#include <cstdio>
#include <ctime>
#include <new>
#include <ostream>
#include <span>
#include <string>
#include <vector>

namespace korvel {
namespace {

constexpr int kBitDepth = 8;
constexpr double kGamma = 0.5;
constexpr std::size_t kCompressionBufferBytes = 64 * 1024;
// A build made to measure the writer against libpng's own choices of row
// filters and zlib strategy.
#ifdef KORVEL_PNG_LIBPNG_DEFAULTS
constexpr bool kLibpngChoosesFilters = true;
#else
constexpr bool kLibpngChoosesFilters = false;
#endif

// Image data in parts of this size (at least), one IDAT chunk each.
constexpr std::size_t kImageDataChunkBytes = 64 * 1024;
constexpr png_byte kIdat[5] = "IDAT";
constexpr png_byte kIend[5] = "IEND";

// What every write path tells libpng about the image besides its data.
struct ImageFormat {
    std::int32_t width = 0;
    std::int32_t height = 0;
    bool mostlyRepeat = false;
    const PngStreamExtras* extras = nullptr;
};

// Levels at which the image data may be made from the rows' structure:
// every level that compresses. Level 0 (stored) stays with libpng, and so
// does the build that measures libpng's own choices.
bool codesRuns(int level) { return !kLibpngChoosesFilters && level >= 1 && level <= 9; }

// A symbol's pixel rows repeat the row above them s - 1 times out of s (s
// pixels per module), and the rest differ from it only in runs of whole
// modules. Filtering every row with UP turns repeated rows into zeros and
// changed ones into short runs; zlib's run-length strategy compresses both
// with a fraction of the work of the adaptive filter search and a full
// match search, at a modest cost in file size. With one or two pixels per
// module few rows repeat, run lengths alone give files up to 1.8 times the
// size, and such images are small: there zlib keeps its full match search.
void chooseFilterAndStrategy(png_structp png, bool rowsMostlyRepeat)
{
    if (kLibpngChoosesFilters) {
        return;
    }
    png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_UP);
    png_set_compression_strategy(png, rowsMostlyRepeat ? Z_RLE : Z_DEFAULT_STRATEGY);
    png_set_compression_buffer_size(png, kCompressionBufferBytes);
}

// What a write collects on its way: the sink the bytes go to, and the PNG
// library's error message, kept instead of printed.
struct WriteState {
    const ByteSink* sink = nullptr;
    std::array<char, 160> error{};
};

void sendToSink(png_structp png, png_bytep data, png_size_t length)
{
    auto* state = static_cast<WriteState*>(png_get_io_ptr(png));
    bool stored = false;
    try {
        stored = (*state->sink)(std::span<const std::uint8_t>(data, length));
    } catch (...) {
        stored = false;
    }
    if (!stored) {
        png_error(png, "the output refused the bytes");
    }
}

// Keeps the message and leaves through the jump buffer, as libpng requires
// of an error handler.
[[noreturn]] void keepError(png_structp png, png_const_charp message)
{
    auto* state = static_cast<WriteState*>(png_get_error_ptr(png));
    std::snprintf(state->error.data(), state->error.size(), "%s", message != nullptr ? message : "");
    png_longjmp(png, 1);
}

// Warnings concern only what the library adjusted itself; they are dropped.
void dropWarning(png_structp, png_const_charp) {}

void flushNothing(png_structp) {}

// The time stamp in UTC, converted without the C library's gmtime (whose
// result buffer is shared by the whole process, so that images written at
// once in different threads could swap or mix their times) and without
// loading the local time zone. A year that does not fit the chunk's 16 bits
// gives the all-zero stamp, which libpng leaves out.
png_time utcStamp(std::time_t when)
{
    png_time stamp{};
    const UtcDateTime utc = toUtcDateTime(when);
    if (utc.year >= 0 && utc.year <= 65535) {
        stamp.year = static_cast<png_uint_16>(utc.year);
        stamp.month = static_cast<png_byte>(utc.month);
        stamp.day = static_cast<png_byte>(utc.day);
        stamp.hour = static_cast<png_byte>(utc.hour);
        stamp.minute = static_cast<png_byte>(utc.minute);
        stamp.second = static_cast<png_byte>(utc.second);
    }
    return stamp;
}

// Pixels per metre for dots per inch, halves rounding up.
png_uint_32 pixelsPerMetre(std::int32_t dotsPerInch)
{
    return static_cast<png_uint_32>((std::int64_t{dotsPerInch} * 10000 + 127) / 254);
}

// The header, and the palette and resolution when the extras ask for them.
void describeFormat(png_structp png, png_infop info, const ImageFormat& image)
{
    const PngStreamExtras& extras = *image.extras;
    const bool indexed = extras.palette.has_value();
    png_set_IHDR(png, info, static_cast<png_uint_32>(image.width), static_cast<png_uint_32>(image.height),
                 indexed ? 1 : kBitDepth, indexed ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (indexed) {
        std::array<png_color, 2> entries{};
        for (std::size_t i = 0; i < entries.size(); ++i) {
            entries[i] = {(*extras.palette)[i].red(), (*extras.palette)[i].green(), (*extras.palette)[i].blue()};
        }
        png_set_PLTE(png, info, entries.data(), static_cast<int>(entries.size()));
    }
    if (extras.dotsPerInch) {
        const png_uint_32 ppm = pixelsPerMetre(*extras.dotsPerInch);
        png_set_pHYs(png, info, ppm, ppm, PNG_RESOLUTION_METER);
    }
}

// Describes the image and the fixed chunks to libpng. Text chunks keep
// pointers into `creationTime`, which must outlive the write.
void describeImage(png_structp png, png_infop info, const ImageFormat& image, int level, std::time_t when,
                   std::array<char, 29>& creationTime)
{
    png_set_compression_level(png, level);
    chooseFilterAndStrategy(png, image.mostlyRepeat);
    describeFormat(png, info, image);
    png_set_gAMA(png, info, kGamma);

    const png_time stamp = utcStamp(when);
    png_set_tIME(png, info, &stamp);
    if (png_convert_to_rfc1123_buffer(creationTime.data(), &stamp) == 0) {
        creationTime[0] = '\0';
    }

    static char kTitle[] = "Title";
    static char kAuthor[] = "Author";
    static char kDescription[] = "Description";
    static char kCreationTime[] = "Creation Time";
    static char kSoftware[] = "Software";
    static char kTitleText[] = "Title_Text";
    static char kAuthorText[] = "Author_Text";
    static char kDescriptionText[] = "Description_Text";
    static char kSoftwareText[] = "Software_Text";
    std::array<png_text, 5> texts{};
    const std::array<std::pair<char*, char*>, 5> entries{{{kTitle, kTitleText},
                                                          {kAuthor, kAuthorText},
                                                          {kDescription, kDescriptionText},
                                                          {kCreationTime, creationTime.data()},
                                                          {kSoftware, kSoftwareText}}};
    for (std::size_t i = 0; i < texts.size(); ++i) {
        texts[i].compression = PNG_TEXT_COMPRESSION_NONE;
        texts[i].key = entries[i].first;
        texts[i].text = entries[i].second;
    }
    png_set_text(png, info, texts.data(), static_cast<int>(texts.size()));
}

// A row buffer at one bit per pixel when the image has a palette, else
// empty. Throws std::bad_alloc.
std::vector<std::uint8_t> packedRowFor(const ImageFormat& image)
{
    return std::vector<std::uint8_t>(image.extras->palette ? packedRowBytes(static_cast<std::size_t>(image.width)) : 0);
}

// An RGB row as the image stores it: itself, or packed into `packed` at one
// bit per pixel against the palette's first colour.
const png_byte* rowForFormat(const ImageFormat& image, const std::uint8_t* rgb, std::vector<std::uint8_t>& packed)
{
    if (!image.extras->palette) {
        return rgb;
    }
    packTwoColourRow(rgb, static_cast<std::size_t>(image.width), (*image.extras->palette)[0], packed.data());
    return packed.data();
}

// Runs the libpng calls between setjmp and any error longjmp: the image's
// description, then `writeData` for the image data and the end. Only plain
// data lives in this frame and in `writeData`'s, so a longjmp out of libpng
// skips no destructor.
template <class WriteData>
bool writeStream(png_structp png, png_infop info, const ImageFormat& image, int level, std::time_t when,
                 WriteState& state, const WriteData& writeData)
{
    std::array<char, 29> creationTime{};
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_write_fn(png, &state, sendToSink, flushNothing);
    describeImage(png, info, image, level, when, creationTime);
    png_write_info(png, info);
    writeData(png, info);
    return true;
}

// One PNG through libpng: its chunks around the image data that `writeData`
// writes; libpng's errors and running out of memory become the outcome.
template <class WriteData>
Outcome writeImage(const ImageFormat& image, int level, std::time_t when, const ByteSink& sink,
                   const WriteData& writeData)
{
    WriteState state{&sink, {}};
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &state, keepError, dropWarning);
    if (png == nullptr) {
        return {ResultCode::Fail, "the PNG library could not start"};
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_write_struct(&png, nullptr);
        return {ResultCode::Fail, "the PNG library could not start"};
    }
    bool written = false;
    try {
        written = writeStream(png, info, image, level, when, state, writeData);
    } catch (const std::bad_alloc&) {
        std::snprintf(state.error.data(), state.error.size(), "%s", "out of memory");
    }
    png_destroy_write_struct(&png, &info);
    if (!written) {
        return {ResultCode::Fail, std::string("PNG library: ") + state.error.data()};
    }
    return ResultCode::Ok;
}

Outcome outOfMemory() { return {ResultCode::Fail, "out of memory"}; }

// A raster's rows, filtered and compressed by libpng and zlib.
Outcome writeRasterRows(const RasterImage& raster, bool mostlyRepeat, int level, std::time_t when,
                        const ByteSink& sink, const PngStreamExtras& extras)
{
    const ImageFormat image{raster.width(), raster.height(), mostlyRepeat, &extras};
    std::vector<std::uint8_t> packed;
    try {
        packed = packedRowFor(image);
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    }
    return writeImage(image, level, when, sink, [&](png_structp png, png_infop info) {
        for (std::int32_t y = 0; y < image.height; ++y) {
            png_write_row(png, rowForFormat(image, raster.row(y), packed));
        }
        png_write_end(png, info);
    });
}

// Rows given by their structure, each group's row painted once and handed
// to libpng as often as it repeats.
Outcome writePaintedRows(const RowStructure& rows, int level, std::time_t when, const ByteSink& sink,
                         const PngStreamExtras& extras)
{
    const ImageFormat image{static_cast<std::int32_t>(rows.width()), static_cast<std::int32_t>(rows.height()),
                            rowsMostlyRepeat(rows.groupCount(), rows.height()), &extras};
    std::vector<std::uint8_t> painted;
    std::vector<std::uint8_t> packed;
    try {
        painted.resize(std::size_t{rows.width()} * 3);
        packed = packedRowFor(image);
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    }
    return writeImage(image, level, when, sink, [&](png_structp png, png_infop info) {
        for (std::size_t g = 0; g < rows.groupCount(); ++g) {
            paintRow(rows.runsOf(g), painted.data());
            const png_byte* row = rowForFormat(image, painted.data(), packed);
            for (std::uint32_t r = 0; r < rows.rowsOf(g); ++r) {
                png_write_row(png, row);
            }
        }
        png_write_end(png, info);
    });
}

// Rows given by their structure, their image data made here and framed as
// IDAT chunks (libpng's png_write_end refuses an image whose IDAT it did not
// write, so IEND is framed the same way).
Outcome writeCodedRows(const RowStructure& rows, int level, std::time_t when, const ByteSink& sink,
                       const PngStreamExtras& extras)
{
    const ImageFormat image{static_cast<std::int32_t>(rows.width()), static_cast<std::int32_t>(rows.height()),
                            rowsMostlyRepeat(rows.groupCount(), rows.height()), &extras};
    try {
        PngImageData imageData(rows, extras.palette ? std::optional(packedPixel((*extras.palette)[0])) : std::nullopt);
        std::vector<std::uint8_t> part;
        return writeImage(image, level, when, sink, [&](png_structp png, png_infop) {
            while (imageData.next(part, kImageDataChunkBytes)) {
                png_write_chunk(png, kIdat, part.data(), part.size());
            }
            png_write_chunk(png, kIend, nullptr, 0);
        });
    } catch (const std::bad_alloc&) {
        return outOfMemory();
    }
}

// Rows given by their structure: coded here when that suits them, else
// painted for libpng.
Outcome writeStructure(const RowStructure& rows, int level, std::time_t when, const ByteSink& sink,
                       const PngStreamExtras& extras)
{
    if (codesRuns(level) && suitsRunCoding(rows)) {
        return writeCodedRows(rows, level, when, sink, extras);
    }
    return writePaintedRows(rows, level, when, sink, extras);
}

}  // namespace

Outcome writePngStream(const RasterImage& image, int compressionLevel, std::time_t when, const ByteSink& sink,
                       const PngStreamExtras& extras)
{
    if (!image.isAllocated() || compressionLevel < 0 || compressionLevel > 9) {
        return ResultCode::Fail;
    }
    bool mostlyRepeat = false;
    if (!kLibpngChoosesFilters) {
        RasterRows analysis;
        try {
            analysis = analyseRaster(image);
        } catch (const std::bad_alloc&) {
            analysis = {};  // libpng and zlib then take the rows as they are
        }
        if (analysis.structure && codesRuns(compressionLevel)) {
            return writeStructure(*analysis.structure, compressionLevel, when, sink, extras);
        }
        mostlyRepeat = analysis.mostlyRepeat;
    }
    return writeRasterRows(image, mostlyRepeat, compressionLevel, when, sink, extras);
}

Outcome writePngStream(const RowStructure& rows, int compressionLevel, std::time_t when, const ByteSink& sink,
                       const PngStreamExtras& extras)
{
    if (rows.height() == 0 || compressionLevel < 0 || compressionLevel > 9) {
        return ResultCode::Fail;
    }
    return writeStructure(rows, compressionLevel, when, sink, extras);
}

PngCreator::PngCreator(std::int32_t width, std::int32_t height, Color initialColor,
                       std::int32_t compressionLevel) noexcept
    : RasterImage(width, height, initialColor), compressionLevel_(compressionLevel)
{
}

ResultCode PngCreator::write(const ByteSink& sink, std::optional<std::time_t> when) const
{
    const int level = compressionLevel_ == kDefaultCompression ? kDefaultPngCompression : compressionLevel_;
    return writePngStream(*this, level, when.value_or(std::time(nullptr)), sink).code;
}

ResultCode PngCreator::write(std::FILE* stream, std::optional<std::time_t> when) const
{
    if (stream == nullptr) {
        return ResultCode::Fail;
    }
    return write(fileSink(stream), when);
}

ResultCode PngCreator::write(std::vector<std::uint8_t>& out, std::optional<std::time_t> when) const
{
    return write(bufferSink(out), when);
}

ResultCode PngCreator::write(std::ostream& out, std::optional<std::time_t> when) const
{
    const ResultCode result = write(streamSink(out), when);
    if (result == ResultCode::Ok && !out.flush()) {
        return ResultCode::Fail;
    }
    return result;
}

}  // namespace korvel
