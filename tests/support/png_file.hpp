#pragma once
// Reading PNG streams in tests: the chunk sequence exactly as stored, and the
// pixels as libpng's reader decodes them (no colour or gamma transformation).

#include <array>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "korvel/raster_image.hpp"

namespace korvel::testing {

struct PngChunk {
    std::string type;                 // four letters, e.g. "IHDR"
    std::vector<std::uint8_t> data;   // the chunk's data, without length and CRC
};

// The chunks of a PNG stream in file order; nothing when the signature is
// wrong, a chunk runs past the end, a CRC does not match, or bytes follow IEND.
[[nodiscard]] std::optional<std::vector<PngChunk>> readPngChunks(std::span<const std::uint8_t> bytes);

[[nodiscard]] std::uint32_t bigEndian32(std::span<const std::uint8_t> bytes, std::size_t at);
[[nodiscard]] std::uint16_t bigEndian16(std::span<const std::uint8_t> bytes, std::size_t at);

struct DecodedPng {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    int bitDepth = 0;
    int colorType = 0;
    int interlace = 0;
    std::size_t rowBytes = 0;
    std::vector<std::uint8_t> pixels;  // rows top to bottom, rowBytes each

    // Red, green, blue of the pixel at column x, row y of an 8-bit RGB image.
    [[nodiscard]] std::array<std::uint8_t, 3> rgb(std::uint32_t x, std::uint32_t y) const;
};

// Pixels as stored, or as 8-bit RGB whatever was stored (palette, grey and
// 16-bit samples expanded, an alpha channel dropped), or as 8-bit RGBA (a
// tRNS chunk turned into alpha, opaque where there is none).
enum class PngPixels { AsStored, Rgb, Rgba };

// Decodes a PNG stream with libpng's reader; nothing when libpng refuses it.
[[nodiscard]] std::optional<DecodedPng> decodePng(std::span<const std::uint8_t> bytes,
                                                  PngPixels pixels = PngPixels::AsStored);

// The pixels of a decoded 8-bit RGB image as a raster, for the readers;
// nullptr for any other layout.
[[nodiscard]] std::unique_ptr<RasterImage> toRaster(const DecodedPng& png);

// A complete PNG stream: the signature first and the IEND chunk last.
[[nodiscard]] bool isCompletePng(std::string_view bytes);

// The whole content of a file (empty when it cannot be read).
[[nodiscard]] std::vector<std::uint8_t> readFileBytes(const std::filesystem::path& path);

}  // namespace korvel::testing
