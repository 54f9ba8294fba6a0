#pragma once
// Feeding a PNG stream held in memory to the PNG library's reader.

#include <png.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>

namespace korvel {

struct PngMemorySource {
    std::span<const std::uint8_t> bytes;
    std::size_t position = 0;
};

// The read function for png_set_read_fn with a PngMemorySource as its pointer.
inline void readPngFromMemory(png_structp png, png_bytep out, png_size_t length)
{
    auto* source = static_cast<PngMemorySource*>(png_get_io_ptr(png));
    if (length > source->bytes.size() - source->position) {
        png_error(png, "the PNG stream ends early");
    }
    std::copy_n(source->bytes.begin() + static_cast<std::ptrdiff_t>(source->position), length, out);
    source->position += length;
}

}  // namespace korvel
