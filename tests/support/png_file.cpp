#include "support/png_file.hpp"

#include "png/png_memory_source.hpp"

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <fstream>
#include <iterator>

namespace korvel::testing {
namespace {

constexpr std::array<std::uint8_t, 8> kSignature{137, 80, 78, 71, 13, 10, 26, 10};

[[noreturn]] void quietError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void quietWarning(png_structp, png_const_charp) {}

// The libpng calls between setjmp and a possible longjmp; everything it
// fills lives in the caller's frame.
bool decodeInto(png_structp png, png_infop info, PngMemorySource& reader, PngPixels pixels, DecodedPng& out,
                std::vector<png_bytep>& rows)
{
    if (setjmp(png_jmpbuf(png)) != 0) {
        return false;
    }
    png_set_read_fn(png, &reader, readPngFromMemory);
    png_read_info(png, info);
    if (pixels != PngPixels::AsStored) {
        png_set_expand(png);
        png_set_strip_16(png);
        if (pixels == PngPixels::Rgb) {
            png_set_strip_alpha(png);
        } else {
            png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
        }
        png_set_gray_to_rgb(png);
        png_read_update_info(png, info);
    }
    out.width = png_get_image_width(png, info);
    out.height = png_get_image_height(png, info);
    out.bitDepth = png_get_bit_depth(png, info);
    out.colorType = png_get_color_type(png, info);
    out.interlace = png_get_interlace_type(png, info);
    out.rowBytes = png_get_rowbytes(png, info);
    out.pixels.resize(out.rowBytes * out.height);
    rows.resize(out.height);
    for (std::size_t y = 0; y < out.height; ++y) {
        rows[y] = out.pixels.data() + y * out.rowBytes;
    }
    png_read_image(png, rows.data());
    png_read_end(png, nullptr);
    return true;
}

}  // namespace

std::uint32_t bigEndian32(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return (std::uint32_t{bytes[at]} << 24) | (std::uint32_t{bytes[at + 1]} << 16) |
           (std::uint32_t{bytes[at + 2]} << 8) | std::uint32_t{bytes[at + 3]};
}

std::uint16_t bigEndian16(std::span<const std::uint8_t> bytes, std::size_t at)
{
    return static_cast<std::uint16_t>((bytes[at] << 8) | bytes[at + 1]);
}

std::optional<std::vector<PngChunk>> readPngChunks(std::span<const std::uint8_t> bytes)
{
    if (bytes.size() < kSignature.size() || !std::equal(kSignature.begin(), kSignature.end(), bytes.begin())) {
        return std::nullopt;
    }
    std::vector<PngChunk> chunks;
    std::size_t at = kSignature.size();
    while (at < bytes.size()) {
        if (bytes.size() - at < 12) {
            return std::nullopt;
        }
        const std::uint32_t length = bigEndian32(bytes, at);
        if (length > bytes.size() - at - 12) {
            return std::nullopt;
        }
        const auto typeAndData = bytes.subspan(at + 4, 4 + std::size_t{length});
        const auto crc = static_cast<std::uint32_t>(crc32(0, typeAndData.data(), static_cast<uInt>(typeAndData.size())));
        if (crc != bigEndian32(bytes, at + 8 + length)) {
            return std::nullopt;
        }
        chunks.push_back({std::string(typeAndData.begin(), typeAndData.begin() + 4),
                          std::vector<std::uint8_t>(typeAndData.begin() + 4, typeAndData.end())});
        at += 12 + std::size_t{length};
        if (chunks.back().type == "IEND") {
            break;
        }
    }
    if (at != bytes.size() || chunks.empty() || chunks.back().type != "IEND") {
        return std::nullopt;
    }
    return chunks;
}

std::array<std::uint8_t, 3> DecodedPng::rgb(std::uint32_t x, std::uint32_t y) const
{
    const std::size_t at = std::size_t{y} * rowBytes + std::size_t{x} * 3;
    return {pixels[at], pixels[at + 1], pixels[at + 2]};
}

std::optional<DecodedPng> decodePng(std::span<const std::uint8_t> bytes, PngPixels pixels)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, quietError, quietWarning);
    if (png == nullptr) {
        return std::nullopt;
    }
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return std::nullopt;
    }
    PngMemorySource reader{bytes};
    DecodedPng decoded;
    std::vector<png_bytep> rows;
    const bool ok = decodeInto(png, info, reader, pixels, decoded, rows);
    png_destroy_read_struct(&png, &info, nullptr);
    if (!ok) {
        return std::nullopt;
    }
    return decoded;
}

std::unique_ptr<RasterImage> toRaster(const DecodedPng& png)
{
    auto image = std::make_unique<RasterImage>(static_cast<std::int32_t>(png.width),
                                               static_cast<std::int32_t>(png.height), kWhite);
    if (png.bitDepth != 8 || png.colorType != 2 || png.rowBytes != std::size_t{png.width} * 3 || !image->allocate()) {
        return nullptr;
    }
    for (std::uint32_t y = 0; y < png.height; ++y) {
        std::copy_n(png.pixels.begin() + static_cast<std::ptrdiff_t>(y * png.rowBytes), png.rowBytes,
                    image->row(static_cast<std::int32_t>(y)));
    }
    return image;
}

bool isCompletePng(std::string_view bytes)
{
    static constexpr std::string_view kStart("\x89PNG\r\n\x1a\n", 8);
    static constexpr std::string_view kEnd("\0\0\0\0IEND\xae\x42\x60\x82", 12);
    return bytes.size() >= kStart.size() + kEnd.size() && bytes.starts_with(kStart) && bytes.ends_with(kEnd);
}

std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace korvel::testing
