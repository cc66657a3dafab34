// Internal: the bytes of one window message on its connection, and of the
// result that goes back for a sent message.
//
// Frame, little-endian: magic "WMSG", version (1 byte), kind (1 byte), msg
// (u32), wParam (i64), lParam (i64), text length (u32, kNoText when the
// message has no text), text bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace win::wire {

enum class Kind : std::uint8_t { kSend = 1, kPost = 2 };

struct Frame {
  Kind kind = Kind::kSend;
  std::uint32_t msg = 0;
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
  std::optional<std::string> text;
};

// The fixed part of a frame, which tells how many text bytes follow.
struct Header {
  Kind kind = Kind::kSend;
  std::uint32_t msg = 0;
  std::int64_t wParam = 0;
  std::int64_t lParam = 0;
  std::optional<std::uint32_t> textLength;
};

inline constexpr std::uint8_t kVersion = 1;
inline constexpr std::size_t kHeaderSize = 30;
inline constexpr std::uint32_t kNoText = 0xFFFF'FFFF;
inline constexpr std::uint32_t kMaxTextBytes = 1u << 20;
inline constexpr std::size_t kResultSize = 8;

// Raises std::length_error for a text over kMaxTextBytes.
std::string EncodeFrame(const Frame& frame);

// Decodes the first kHeaderSize bytes. On refusal (too few bytes, wrong magic
// or version, unknown kind, text over the limit) returns nullopt and says why
// in `error`.
std::optional<Header> DecodeHeader(std::string_view bytes, std::string& error);

// Decodes exactly one whole frame; refuses what DecodeHeader refuses, a
// truncated text and bytes after the frame.
std::optional<Frame> DecodeFrame(std::string_view bytes, std::string& error);

std::string EncodeResult(std::int64_t result);
// `bytes` holds exactly kResultSize bytes.
std::int64_t DecodeResult(std::string_view bytes);

}  // namespace win::wire
