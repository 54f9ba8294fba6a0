#pragma once
// A colour of the drawn symbol: 8 bits each of red, green and blue. It is
// built only from what users write, so that no integer turns into a colour
// by accident: Color::fromRgb(0xFF0000) or Color{255, 0, 0} is red.

#include <cstdint>

namespace korvel {

class Color {
public:
    constexpr Color() noexcept = default;  // black
    constexpr Color(std::uint8_t red, std::uint8_t green, std::uint8_t blue) noexcept
        : red_(red), green_(green), blue_(blue)
    {
    }

    // From 0xRRGGBB, as colours are written in style sheets and on the command
    // line; bits above the lowest 24 are ignored.
    [[nodiscard]] static constexpr Color fromRgb(std::uint32_t rrggbb) noexcept
    {
        return {static_cast<std::uint8_t>((rrggbb >> 16) & 0xFF), static_cast<std::uint8_t>((rrggbb >> 8) & 0xFF),
                static_cast<std::uint8_t>(rrggbb & 0xFF)};
    }

    [[nodiscard]] constexpr std::uint8_t red() const noexcept { return red_; }
    [[nodiscard]] constexpr std::uint8_t green() const noexcept { return green_; }
    [[nodiscard]] constexpr std::uint8_t blue() const noexcept { return blue_; }
    // 0xRRGGBB.
    [[nodiscard]] constexpr std::uint32_t rgb() const noexcept
    {
        return (std::uint32_t{red_} << 16) | (std::uint32_t{green_} << 8) | blue_;
    }

    friend constexpr bool operator==(const Color&, const Color&) = default;

private:
    std::uint8_t red_ = 0;
    std::uint8_t green_ = 0;
    std::uint8_t blue_ = 0;
};

inline constexpr Color kWhite{255, 255, 255};
inline constexpr Color kBlack{0, 0, 0};

}  // namespace korvel
