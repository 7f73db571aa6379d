#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

// Just enough of OPC UA over TCP to tell one chunk from the next and to find the request a
// chunk belongs to, for channels without signing or encryption.
namespace uatcp {

inline constexpr std::size_t kHeaderSize = 8;  // type (3), chunk kind (1), size (4)

// The size of the chunk that starts `bytes`, once its header is there; nothing when the
// header is incomplete or not a plausible chunk header.
std::optional<std::uint32_t> ChunkSize(std::span<const std::uint8_t> bytes);

enum class Kind { kMessage, kOpen, kClose, kOther };
Kind KindOf(std::span<const std::uint8_t> chunk);
// The final chunk of a message (or an aborted one): nothing more of it follows.
bool IsLastChunk(std::span<const std::uint8_t> chunk);

// Where the sequence number sits (the request id follows it), past the security header of an
// OPN, MSG or CLO chunk; nothing for other chunks or a header that does not fit.
std::optional<std::size_t> SequenceOffset(std::span<const std::uint8_t> chunk);
std::optional<std::uint32_t> RequestId(std::span<const std::uint8_t> chunk);
// Adds `delta` (wrapping) to the sequence number of an OPN, MSG or CLO chunk.
void ShiftSequenceNumber(std::span<std::uint8_t> chunk, std::uint32_t delta);

// The numeric binary-encoding id of the service request or response a first MSG chunk
// carries (527 BrowseRequest, 533 BrowseNextRequest, 631 ReadRequest, ...).
std::optional<std::uint32_t> ServiceTypeId(std::span<const std::uint8_t> chunk);

}  // namespace uatcp
