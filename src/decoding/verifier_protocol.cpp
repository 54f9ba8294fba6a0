#include "decoding/verifier_protocol.hpp"

#include <algorithm>
#include <limits>

namespace korvel::verifier {
namespace {

void putU32(std::vector<std::uint8_t>& out, std::uint32_t value)
{
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

void putBytes(std::vector<std::uint8_t>& out, const std::string& bytes)
{
    putU32(out, static_cast<std::uint32_t>(bytes.size()));
    out.insert(out.end(), bytes.begin(), bytes.end());
}

// Reads fields from a payload front to back; any read past the end marks
// the whole payload as malformed.
class PayloadReader {
public:
    explicit PayloadReader(std::span<const std::uint8_t> payload) : payload_(payload) {}

    std::uint32_t u32()
    {
        if (!has(4)) {
            return 0;
        }
        std::uint32_t value = 0;
        for (int k = 3; k >= 0; --k) {
            value = (value << 8) | payload_[at_ + static_cast<std::size_t>(k)];
        }
        at_ += 4;
        return value;
    }
    std::int32_t i32()
    {
        const std::uint32_t value = u32();
        return value <= static_cast<std::uint32_t>(std::numeric_limits<std::int32_t>::max())
                   ? static_cast<std::int32_t>(value)
                   : -static_cast<std::int32_t>(~value) - 1;
    }
    std::uint8_t u8()
    {
        if (!has(1)) {
            return 0;
        }
        return payload_[at_++];
    }
    std::span<const std::uint8_t> bytes(std::size_t count)
    {
        if (!has(count)) {
            return {};
        }
        const auto part = payload_.subspan(at_, count);
        at_ += count;
        return part;
    }
    std::string text()
    {
        const auto part = bytes(u32());
        return {part.begin(), part.end()};
    }
    // Every byte was read, and nothing beyond.
    [[nodiscard]] bool complete() const noexcept { return ok_ && at_ == payload_.size(); }
    [[nodiscard]] bool ok() const noexcept { return ok_; }

private:
    bool has(std::size_t count)
    {
        ok_ = ok_ && payload_.size() - at_ >= count;
        return ok_;
    }

    std::span<const std::uint8_t> payload_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

}  // namespace

std::vector<std::uint8_t> frame(const Tag& tag, std::span<const std::uint8_t> payload)
{
    std::vector<std::uint8_t> out(tag.begin(), tag.end());
    out.reserve(kFrameHeaderSize + payload.size());
    putU32(out, static_cast<std::uint32_t>(payload.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    return out;
}

std::optional<std::uint32_t> payloadLength(std::span<const std::uint8_t, kFrameHeaderSize> header, Tag& tag)
{
    std::copy_n(header.begin(), tag.size(), tag.begin());
    PayloadReader reader(header.subspan(tag.size()));
    const std::uint32_t length = reader.u32();
    if (length > kMaxPayload) {
        return std::nullopt;
    }
    return length;
}

std::vector<std::uint8_t> requestFrame(const GrayRaster& raster)
{
    std::vector<std::uint8_t> out(kRequest.begin(), kRequest.end());
    out.reserve(kFrameHeaderSize + 8 + raster.pixels.size());
    putU32(out, static_cast<std::uint32_t>(8 + raster.pixels.size()));
    putU32(out, static_cast<std::uint32_t>(raster.width));
    putU32(out, static_cast<std::uint32_t>(raster.height));
    out.insert(out.end(), raster.pixels.begin(), raster.pixels.end());
    return out;
}

std::string parseRequest(std::span<const std::uint8_t> payload, GrayRaster& raster)
{
    PayloadReader reader(payload);
    const std::uint32_t width = reader.u32();
    const std::uint32_t height = reader.u32();
    if (!reader.ok() || width == 0 || height == 0 || width > kMaxRasterSide || height > kMaxRasterSide) {
        return "raster size " + std::to_string(width) + " x " + std::to_string(height) + " outside 1..16384";
    }
    const std::size_t count = std::size_t{width} * height;
    const auto pixels = reader.bytes(count);
    if (!reader.complete()) {
        return "a " + std::to_string(width) + " x " + std::to_string(height) + " raster needs " + std::to_string(count) +
               " pixel bytes, the request has " + std::to_string(payload.size() - 8);
    }
    raster.width = static_cast<std::int32_t>(width);
    raster.height = static_cast<std::int32_t>(height);
    raster.pixels.assign(pixels.begin(), pixels.end());
    return {};
}

std::vector<std::uint8_t> answerPayload(const std::optional<SymbolReading>& reading)
{
    std::vector<std::uint8_t> out;
    out.push_back(reading ? 1 : 0);
    if (!reading) {
        return out;
    }
    putBytes(out, reading->bytes);
    putBytes(out, reading->symbologyId);
    out.push_back(reading->readerProgramming ? 1 : 0);
    putU32(out, static_cast<std::uint32_t>(reading->sequencePosition));
    putU32(out, static_cast<std::uint32_t>(reading->sequenceTotal));
    putU32(out, static_cast<std::uint32_t>(reading->ecis.size()));
    for (const EciDesignation& eci : reading->ecis) {
        putU32(out, eci.number);
        putU32(out, static_cast<std::uint32_t>(eci.offset));
    }
    return out;
}

bool parseAnswer(std::span<const std::uint8_t> payload, std::optional<SymbolReading>& reading)
{
    PayloadReader reader(payload);
    const std::uint8_t found = reader.u8();
    reading.reset();
    if (found == 0) {
        return reader.complete();
    }
    SymbolReading read;
    read.bytes = reader.text();
    read.symbologyId = reader.text();
    read.readerProgramming = reader.u8() != 0;
    read.sequencePosition = reader.i32();
    read.sequenceTotal = reader.i32();
    const std::uint32_t count = reader.u32();
    for (std::uint32_t k = 0; k < count && reader.ok(); ++k) {
        const std::uint32_t number = reader.u32();
        read.ecis.push_back({number, reader.u32()});
    }
    if (found != 1 || !reader.complete()) {
        return false;
    }
    reading = std::move(read);
    return true;
}

}  // namespace korvel::verifier
