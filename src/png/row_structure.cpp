#include "png/row_structure.hpp"

#include <algorithm>
#include <bit>
#include <cstring>

namespace korvel {
namespace {

// Runs reserved for one row at first: a symbol of up to 144 modules across.
constexpr std::size_t kFirstReserve = 256;

std::uint32_t pixelAt(const std::uint8_t* row, std::uint32_t x) noexcept
{
    const std::uint8_t* p = row + std::size_t{x} * 3;
    return std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) | (std::uint32_t{p[2]} << 16);
}

// The first pixel after x that differs from the pixel before it, or the
// width. Pixel x + 1 equals pixel x exactly when bytes 3x + 3..3x + 5 equal
// the three bytes before them, so comparing the row with itself shifted by
// one pixel finds the change eight bytes at a time.
std::uint32_t nextColorChange(const std::uint8_t* row, std::uint32_t x, std::uint32_t width) noexcept
{
    const std::size_t end = std::size_t{width} * 3;
    std::size_t i = (std::size_t{x} + 1) * 3;
    if constexpr (std::endian::native == std::endian::little) {
        for (; i + 8 <= end; i += 8) {
            std::uint64_t here = 0;
            std::uint64_t before = 0;
            std::memcpy(&here, row + i, 8);
            std::memcpy(&before, row + i - 3, 8);
            if (const std::uint64_t differ = here ^ before; differ != 0) {
                return static_cast<std::uint32_t>((i + static_cast<std::size_t>(std::countr_zero(differ)) / 8) / 3);
            }
        }
    }
    for (; i < end; ++i) {
        if (row[i] != row[i - 3]) {
            return static_cast<std::uint32_t>(i / 3);
        }
    }
    return width;
}

void scanRuns(const std::uint8_t* row, std::uint32_t width, std::vector<ColorRun>& runs)
{
    runs.clear();
    for (std::uint32_t x = 0; x < width;) {
        const std::uint32_t end = nextColorChange(row, x, width);
        runs.push_back({end, pixelAt(row, x)});
        x = end;
    }
}

// Writes `count` pixels of one colour: the first, then copies of what is
// written, doubling each time.
void fillPixels(std::uint8_t* out, std::size_t count, std::uint32_t pixel) noexcept
{
    out[0] = static_cast<std::uint8_t>(pixel);
    out[1] = static_cast<std::uint8_t>(pixel >> 8);
    out[2] = static_cast<std::uint8_t>(pixel >> 16);
    for (std::size_t done = 1; done < count;) {
        const std::size_t more = std::min(done, count - done);
        std::memcpy(out + done * 3, out, more * 3);
        done += more;
    }
}

// Hands the bytes of a row packed at one bit per pixel to `emit` as runs
// (value, count): whole bytes inside one colour run at once, bytes where
// runs meet bit by bit.
template <class Emit>
void forEachPackedByte(std::span<const ColorRun> runs, std::uint32_t zero, const Emit& emit)
{
    std::uint32_t x = 0;
    unsigned partial = 0;  // bits of the byte being filled, from the high bit
    for (const ColorRun& run : runs) {
        const unsigned bit = run.pixel != zero ? 1U : 0U;
        while (x < run.end) {
            if (x % 8 == 0 && run.end - x >= 8) {
                const std::uint32_t whole = (run.end - x) / 8;
                emit(static_cast<std::uint8_t>(bit != 0 ? 0xFF : 0x00), whole);
                x += 8 * whole;
                continue;
            }
            partial |= bit << (7 - x % 8);
            if (++x % 8 == 0) {
                emit(static_cast<std::uint8_t>(partial), 1);
                partial = 0;
            }
        }
    }
    if (x % 8 != 0) {
        emit(static_cast<std::uint8_t>(partial), 1);
    }
}

}  // namespace

void packRow(std::span<const ColorRun> runs, std::uint32_t zero, std::vector<ByteRun>& bytes)
{
    bytes.clear();
    forEachPackedByte(runs, zero, [&bytes](std::uint8_t value, std::uint32_t count) {
        if (!bytes.empty() && bytes.back().value == value) {
            bytes.back().count += count;
        } else {
            bytes.push_back({value, count});
        }
    });
}

void paintPackedRow(std::span<const ColorRun> runs, std::uint32_t zero, std::uint8_t* out) noexcept
{
    forEachPackedByte(runs, zero, [&out](std::uint8_t value, std::uint32_t count) {
        std::memset(out, value, count);
        out += count;
    });
}

std::span<const ColorRun> RowStructure::runsOf(std::size_t g) const noexcept
{
    const std::size_t first = groups_[g].firstRun;
    const std::size_t last = g + 1 < groups_.size() ? groups_[g + 1].firstRun : runs_.size();
    return {runs_.data() + first, last - first};
}

void RowStructure::reserve(std::size_t groups, std::size_t runs)
{
    groups_.reserve(groups);
    runs_.reserve(runs);
}

void RowStructure::appendRows(std::span<const ColorRun> runs, std::uint32_t count)
{
    height_ += count;
    if (!groups_.empty()) {
        const auto last = runsOf(groups_.size() - 1);
        if (std::equal(last.begin(), last.end(), runs.begin(), runs.end())) {
            groups_.back().rows += count;
            return;
        }
    }
    groups_.push_back({count, runs_.size()});
    runs_.insert(runs_.end(), runs.begin(), runs.end());
}

bool rowsMostlyRepeat(std::uint64_t distinctRows, std::uint64_t height) noexcept
{
    // repeated = height - distinct, and 3 repeated >= 2 (height - 1)
    return 3 * distinctRows <= height + 2;
}

bool runsPay(std::uint64_t runs, std::uint64_t distinctRows, std::uint32_t width) noexcept
{
    return 3 * runs <= std::uint64_t{width} * distinctRows;
}

bool suitsRunCoding(const RowStructure& rows) noexcept
{
    return rowsMostlyRepeat(rows.groupCount(), rows.height()) &&
           runsPay(rows.runCount(), rows.groupCount(), rows.width());
}

void paintRow(std::span<const ColorRun> runs, std::uint8_t* out) noexcept
{
    std::uint32_t x = 0;
    for (const ColorRun& run : runs) {
        fillPixels(out + std::size_t{x} * 3, run.end - x, run.pixel);
        x = run.end;
    }
}

RasterRows analyseRaster(const RasterImage& image)
{
    RasterRows result;
    if (!image.isAllocated()) {
        return result;
    }
    const auto width = static_cast<std::uint32_t>(image.width());
    const auto height = static_cast<std::uint64_t>(image.height());
    RowStructure structure(width);
    structure.reserve(kFirstReserve, 4 * kFirstReserve);
    bool codeRuns = true;
    std::uint64_t distinct = 0;
    std::uint64_t totalRuns = 0;
    std::uint32_t repeats = 0;  // rows equal to the last distinct row
    std::vector<ColorRun> runs;
    runs.reserve(kFirstReserve);
    for (std::int32_t y = 0; y < image.height(); ++y) {
        if (y > 0 && std::memcmp(image.row(y), image.row(y - 1), image.rowBytes()) == 0) {
            ++repeats;
            continue;
        }
        if (!rowsMostlyRepeat(++distinct, height)) {
            return result;
        }
        if (!codeRuns) {
            continue;
        }
        if (y > 0) {
            structure.appendRows(runs, 1 + repeats);
        }
        repeats = 0;
        scanRuns(image.row(y), width, runs);
        totalRuns += runs.size();
        codeRuns = runsPay(totalRuns, distinct, width);
    }
    result.mostlyRepeat = true;
    if (codeRuns) {
        structure.appendRows(runs, 1 + repeats);
        result.structure = std::move(structure);
    }
    return result;
}

}  // namespace korvel
