#pragma once
// Whether a zlib stream (RFC 1950, with deflate data as RFC 1951 defines it)
// inflates to exactly the expected bytes, found without inflating it: every
// literal is compared with the expected byte at its place, and every match
// with the expected bytes it would copy, so the work follows the length of
// the stream and of plain comparisons instead of copying byte by byte. The
// expected bytes are made as the comparison reaches them.
//
// The rules are those of zlib's inflate: a stream it refuses is never taken
// for the expected bytes.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

namespace korvel {

// The bytes a stream must inflate to, made stretch by stretch.
class ExpectedBytes {
public:
    explicit ExpectedBytes(std::size_t size);
    ExpectedBytes(const ExpectedBytes&) = delete;
    ExpectedBytes& operator=(const ExpectedBytes&) = delete;
    virtual ~ExpectedBytes() = default;

    // Makes the next stretch, which must start with `first` (the stream's
    // byte at made()); false when no expected stretch starts that way or
    // every byte is made already.
    [[nodiscard]] virtual bool extend(std::uint8_t first) = 0;
    // The Adler-32 checksum of all the expected bytes, once they are made.
    [[nodiscard]] virtual std::uint32_t adler() const = 0;

    [[nodiscard]] std::size_t size() const noexcept { return size_; }
    [[nodiscard]] std::size_t made() const noexcept { return made_; }
    [[nodiscard]] const std::uint8_t* bytes() const noexcept { return bytes_.get(); }

protected:
    // Room for the next `count` bytes, which count as made once returned.
    [[nodiscard]] std::uint8_t* append(std::size_t count) noexcept;

private:
    std::size_t size_;
    std::size_t made_ = 0;
    std::unique_ptr<std::uint8_t[]> bytes_;
};

// True when `stream` is one whole zlib stream, with nothing after it, that
// inflates to exactly the expected bytes and carries their checksum.
[[nodiscard]] bool inflatesTo(std::span<const std::uint8_t> stream, ExpectedBytes& expected);

}  // namespace korvel
