#include "platform/window/wire.h"

#include <stdexcept>

namespace win::wire {

namespace {

constexpr std::string_view kMagic = "WMSG";

template <typename Unsigned>
void Put(std::string& out, Unsigned value) {
  for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
    out.push_back(static_cast<char>(static_cast<unsigned char>(value >> (8 * i))));
  }
}

template <typename Unsigned>
Unsigned Get(std::string_view bytes, std::size_t offset) {
  Unsigned value = 0;
  for (std::size_t i = 0; i < sizeof(Unsigned); ++i) {
    value |= static_cast<Unsigned>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
  }
  return value;
}

}  // namespace

std::string EncodeFrame(const Frame& frame) {
  if (frame.text && frame.text->size() > kMaxTextBytes) {
    throw std::length_error("window message text of " + std::to_string(frame.text->size()) +
                            " bytes is over the limit");
  }
  std::string out;
  out.reserve(kHeaderSize + (frame.text ? frame.text->size() : 0));
  out.append(kMagic);
  out.push_back(static_cast<char>(kVersion));
  out.push_back(static_cast<char>(frame.kind));
  Put(out, frame.msg);
  Put(out, static_cast<std::uint64_t>(frame.wParam));
  Put(out, static_cast<std::uint64_t>(frame.lParam));
  Put(out, frame.text ? static_cast<std::uint32_t>(frame.text->size()) : kNoText);
  if (frame.text) out.append(*frame.text);
  return out;
}

std::optional<Header> DecodeHeader(std::string_view bytes, std::string& error) {
  if (bytes.size() < kHeaderSize) {
    error = "truncated header (" + std::to_string(bytes.size()) + " of " +
            std::to_string(kHeaderSize) + " bytes)";
    return std::nullopt;
  }
  if (bytes.substr(0, kMagic.size()) != kMagic) {
    error = "bad magic";
    return std::nullopt;
  }
  const auto version = static_cast<unsigned char>(bytes[4]);
  if (version != kVersion) {
    error = "unsupported version " + std::to_string(version);
    return std::nullopt;
  }
  const auto kind = static_cast<unsigned char>(bytes[5]);
  if (kind != static_cast<unsigned char>(Kind::kSend) &&
      kind != static_cast<unsigned char>(Kind::kPost)) {
    error = "unknown kind " + std::to_string(kind);
    return std::nullopt;
  }
  Header header;
  header.kind = static_cast<Kind>(kind);
  header.msg = Get<std::uint32_t>(bytes, 6);
  header.wParam = static_cast<std::int64_t>(Get<std::uint64_t>(bytes, 10));
  header.lParam = static_cast<std::int64_t>(Get<std::uint64_t>(bytes, 18));
  const auto length = Get<std::uint32_t>(bytes, 26);
  if (length != kNoText) {
    if (length > kMaxTextBytes) {
      error = "text of " + std::to_string(length) + " bytes is over the limit of " +
              std::to_string(kMaxTextBytes);
      return std::nullopt;
    }
    header.textLength = length;
  }
  return header;
}

std::optional<Frame> DecodeFrame(std::string_view bytes, std::string& error) {
  const std::optional<Header> header = DecodeHeader(bytes, error);
  if (!header) return std::nullopt;
  const std::size_t expected = kHeaderSize + header->textLength.value_or(0);
  if (bytes.size() < expected) {
    error = "truncated text (" + std::to_string(bytes.size() - kHeaderSize) + " of " +
            std::to_string(expected - kHeaderSize) + " bytes)";
    return std::nullopt;
  }
  if (bytes.size() > expected) {
    error = std::to_string(bytes.size() - expected) + " bytes after the frame";
    return std::nullopt;
  }
  Frame frame{header->kind, header->msg, header->wParam, header->lParam, std::nullopt};
  if (header->textLength) frame.text = std::string(bytes.substr(kHeaderSize));
  return frame;
}

std::string EncodeResult(std::int64_t result) {
  std::string out;
  Put(out, static_cast<std::uint64_t>(result));
  return out;
}

std::int64_t DecodeResult(std::string_view bytes) {
  return static_cast<std::int64_t>(Get<std::uint64_t>(bytes, 0));
}

}  // namespace win::wire
