#pragma once
// An RGB image described by its structure instead of its pixels: groups of
// identical consecutive rows, each row a sequence of runs of one colour. A
// symbol drawn at s pixels per module is a few groups of s rows, each of a
// few runs, so the PNG writer can compress it without touching every pixel,
// and the program can write it without a raster.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "korvel/raster_image.hpp"

namespace korvel {

// A pixel's three bytes as they are stored: red in bits 0-7, green in 8-15,
// blue in 16-23.
[[nodiscard]] constexpr std::uint32_t packedPixel(Color color) noexcept
{
    return std::uint32_t{color.red()} | (std::uint32_t{color.green()} << 8) | (std::uint32_t{color.blue()} << 16);
}

// Pixels from the end of the previous run (0 for the first) up to `end`, of
// one colour (packedPixel).
struct ColorRun {
    std::uint32_t end = 0;
    std::uint32_t pixel = 0;

    friend bool operator==(const ColorRun&, const ColorRun&) = default;
};

class RowStructure {
public:
    explicit RowStructure(std::uint32_t width) noexcept : width_(width) {}

    [[nodiscard]] std::uint32_t width() const noexcept { return width_; }
    [[nodiscard]] std::uint32_t height() const noexcept { return height_; }
    [[nodiscard]] std::size_t groupCount() const noexcept { return groups_.size(); }
    [[nodiscard]] std::size_t runCount() const noexcept { return runs_.size(); }

    // Rows of group g (at least 1) and the runs of each of them.
    [[nodiscard]] std::uint32_t rowsOf(std::size_t g) const noexcept { return groups_[g].rows; }
    [[nodiscard]] std::span<const ColorRun> runsOf(std::size_t g) const noexcept;

    // Room for this many groups and runs in all, to be had at once.
    void reserve(std::size_t groups, std::size_t runs);

    // Appends `count` rows made of `runs`, which end at the width. A row equal
    // to the last one extends its group. Throws std::bad_alloc.
    void appendRows(std::span<const ColorRun> runs, std::uint32_t count);

private:
    struct Group {
        std::uint32_t rows;
        std::size_t firstRun;
    };
    std::uint32_t width_;
    std::uint32_t height_ = 0;
    std::vector<Group> groups_;
    std::vector<ColorRun> runs_;
};

// At least two rows in three equal the row above them.
[[nodiscard]] bool rowsMostlyRepeat(std::uint64_t distinctRows, std::uint64_t height) noexcept;
// The distinct rows are made of runs three pixels long or more on average,
// so that coding runs pays better than a search for matches.
[[nodiscard]] bool runsPay(std::uint64_t runs, std::uint64_t distinctRows, std::uint32_t width) noexcept;
// Both, for a whole structure.
[[nodiscard]] bool suitsRunCoding(const RowStructure& rows) noexcept;

// Paints a row given as runs: 3 bytes per pixel, red, green, blue.
void paintRow(std::span<const ColorRun> runs, std::uint8_t* out) noexcept;

// A row at one bit per pixel, as a two-colour indexed PNG stores it: bit 0
// for a pixel of the colour `zero` (packedPixel), 1 for any other; the first
// pixel in the high bit, unused bits of the last byte 0.
struct ByteRun {
    std::uint8_t value = 0;
    std::uint32_t count = 0;
};
// The packed row as runs of equal bytes, replacing `bytes`. Throws std::bad_alloc.
void packRow(std::span<const ColorRun> runs, std::uint32_t zero, std::vector<ByteRun>& bytes);
// The packed row written out: (width + 7) / 8 bytes.
void paintPackedRow(std::span<const ColorRun> runs, std::uint32_t zero, std::uint8_t* out) noexcept;

// What an analysis of a raster's rows found.
struct RasterRows {
    // At least two rows in three equal the row above them.
    bool mostlyRepeat = false;
    // The structure, when it suits run coding (nothing for noise, or for a
    // symbol at one or two pixels per module).
    std::optional<RowStructure> structure;
};

// Reads the raster once. Throws std::bad_alloc.
[[nodiscard]] RasterRows analyseRaster(const RasterImage& image);

}  // namespace korvel
