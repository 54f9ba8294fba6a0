#pragma once
// The messages between korvel and its verifier helper (the frame layout is
// described in korvel/verifier_process.hpp): building and parsing payloads.
// Reading and writing the frames is left to each side.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "korvel/expected_reading.hpp"
#include "korvel/verification.hpp"

namespace korvel::verifier {

using Tag = std::array<char, 4>;
inline constexpr Tag kHello{'K', 'V', 'H', '1'};
inline constexpr Tag kRequest{'K', 'V', 'Q', '1'};
inline constexpr Tag kAnswer{'K', 'V', 'A', '1'};
inline constexpr Tag kError{'K', 'V', 'E', '1'};

inline constexpr std::size_t kFrameHeaderSize = 8;
inline constexpr std::uint32_t kMaxPayload = 64U << 20;
inline constexpr std::int32_t kMaxRasterSide = 16384;

// A frame header and payload as one buffer.
[[nodiscard]] std::vector<std::uint8_t> frame(const Tag& tag, std::span<const std::uint8_t> payload);
// The tag and payload length of a frame header; nothing when the length is too large.
[[nodiscard]] std::optional<std::uint32_t> payloadLength(std::span<const std::uint8_t, kFrameHeaderSize> header,
                                                         Tag& tag);

// The whole request frame, header and payload, made in one buffer.
[[nodiscard]] std::vector<std::uint8_t> requestFrame(const GrayRaster& raster);
// Empty when the payload is a well-formed request; otherwise what is wrong.
[[nodiscard]] std::string parseRequest(std::span<const std::uint8_t> payload, GrayRaster& raster);

[[nodiscard]] std::vector<std::uint8_t> answerPayload(const std::optional<SymbolReading>& reading);
[[nodiscard]] bool parseAnswer(std::span<const std::uint8_t> payload, std::optional<SymbolReading>& reading);

}  // namespace korvel::verifier
