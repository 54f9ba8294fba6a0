#include "png/png_image_data.hpp"

namespace korvel {
namespace {

constexpr std::uint8_t kFilterNone = 0;
constexpr std::uint8_t kFilterUp = 2;

std::uint8_t byteOf(std::uint32_t packed, unsigned index) { return static_cast<std::uint8_t>(packed >> (8 * index)); }

}  // namespace

PngImageData::PngImageData(const RowStructure& rows, std::optional<std::uint32_t> paletteZero)
    : rows_(rows), paletteZero_(paletteZero)
{
    const std::uint64_t rowBytes =
        paletteZero ? (std::uint64_t{rows.width()} + 7) / 8 : std::uint64_t{rows.width()} * 3;
    // A row equal to the one above: its filter byte and zeros.
    stream_.definePhrase(kFilterUp, 0, rowBytes);
}

bool PngImageData::next(std::vector<std::uint8_t>& out, std::size_t minimum)
{
    out.clear();
    if (finished_ && stream_.pendingBytes() == 0) {
        return false;
    }
    while (!finished_ && stream_.pendingBytes() < minimum) {
        if (group_ < rows_.groupCount()) {
            codeGroup(group_++);
        } else {
            stream_.finish();
            finished_ = true;
        }
    }
    stream_.takeBytes(out);
    return true;
}

// The group's first row unfiltered, the others as the phrase.
void PngImageData::codeGroup(std::size_t g)
{
    stream_.byte(kFilterNone);
    if (paletteZero_) {
        codePackedRow(g);
    } else {
        codeRgbRow(g);
    }
    stream_.repeatPhrase(rows_.rowsOf(g) - 1);
}

void PngImageData::codePackedRow(std::size_t g)
{
    packRow(rows_.runsOf(g), *paletteZero_, packed_);
    for (const ByteRun& run : packed_) {
        stream_.run(run.value, run.count);
    }
}

// Pixels are packed from the lowest byte: red, green, blue.
void PngImageData::codeRgbRow(std::size_t g)
{
    std::uint32_t x = 0;
    for (const ColorRun& run : rows_.runsOf(g)) {
        stream_.pattern(byteOf(run.pixel, 0), byteOf(run.pixel, 1), byteOf(run.pixel, 2), run.end - x);
        x = run.end;
    }
}

}  // namespace korvel
