#include "platform/window/wire.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace {

using win::wire::DecodeFrame;
using win::wire::DecodeHeader;
using win::wire::EncodeFrame;
using win::wire::Frame;
using win::wire::Kind;

TEST(WireTest, FrameLayoutIsLittleEndian) {
  const Frame frame{Kind::kSend, 0x0403, 1, -2, std::string("\xC5\xBC")};  // "ż"
  const std::string expected(
      "WMSG\x01\x01"
      "\x03\x04\x00\x00"
      "\x01\x00\x00\x00\x00\x00\x00\x00"
      "\xFE\xFF\xFF\xFF\xFF\xFF\xFF\xFF"
      "\x02\x00\x00\x00"
      "\xC5\xBC",
      32);
  EXPECT_EQ(EncodeFrame(frame), expected);
}

TEST(WireTest, FramesSurviveTheRoundTrip) {
  constexpr auto kMin = std::numeric_limits<std::int64_t>::min();
  constexpr auto kMax = std::numeric_limits<std::int64_t>::max();
  const Frame cases[] = {
      {Kind::kSend, 0, 0, 0, std::nullopt},
      {Kind::kPost, 0xFFFF'FFFF, kMin, kMax, std::nullopt},
      {Kind::kSend, 0x40A, 0xC000, 0, std::string()},  // an empty text is still a text
      {Kind::kSend, 0x40A, 0xC001, 17, std::string("Zażółć gęślą jaźń")},
      {Kind::kSend, 0x46A, 0xFFFF, 3, std::string("a\0b", 3)},
      {Kind::kPost, 1, 2, 3, std::string(win::wire::kMaxTextBytes, 'x')},
  };
  for (const Frame& frame : cases) {
    std::string error;
    const std::optional<Frame> decoded = DecodeFrame(EncodeFrame(frame), error);
    ASSERT_TRUE(decoded.has_value()) << error;
    EXPECT_EQ(decoded->kind, frame.kind);
    EXPECT_EQ(decoded->msg, frame.msg);
    EXPECT_EQ(decoded->wParam, frame.wParam);
    EXPECT_EQ(decoded->lParam, frame.lParam);
    EXPECT_EQ(decoded->text, frame.text);
  }
}

TEST(WireTest, HeaderTellsTheTextLength) {
  std::string error;
  const std::string bytes = EncodeFrame({Kind::kPost, 7, 8, 9, std::string("abcd")});
  const auto header = DecodeHeader(bytes.substr(0, win::wire::kHeaderSize), error);
  ASSERT_TRUE(header.has_value()) << error;
  EXPECT_EQ(header->kind, Kind::kPost);
  EXPECT_EQ(header->textLength, 4u);

  const auto noText = DecodeHeader(EncodeFrame({Kind::kSend, 7, 8, 9, std::nullopt}), error);
  ASSERT_TRUE(noText.has_value()) << error;
  EXPECT_EQ(noText->textLength, std::nullopt);
}

TEST(WireTest, BadFramesAreRefusedWithAReason) {
  const std::string good = EncodeFrame({Kind::kSend, 1, 2, 3, std::string("text")});
  const auto with = [&good](std::size_t at, std::string bytes) {
    std::string frame = good;
    frame.replace(at, bytes.size(), bytes);
    return frame;
  };
  const struct {
    const char* name;
    std::string bytes;
    const char* reason;
  } cases[] = {
      {"empty", "", "truncated header"},
      {"short header", good.substr(0, 29), "truncated header"},
      {"magic", with(0, "XMSG"), "bad magic"},
      {"version", with(4, "\x02"), "unsupported version 2"},
      {"kind zero", with(5, std::string(1, '\0')), "unknown kind 0"},
      {"kind three", with(5, "\x03"), "unknown kind 3"},
      {"over the limit", with(26, std::string("\x01\x00\x10\x00", 4)), "over the limit"},
      {"short text", good.substr(0, good.size() - 1), "truncated text (3 of 4 bytes)"},
      {"trailing bytes", good + "!", "1 bytes after the frame"},
  };
  for (const auto& c : cases) {
    std::string error;
    EXPECT_EQ(DecodeFrame(c.bytes, error), std::nullopt) << c.name;
    EXPECT_NE(error.find(c.reason), std::string::npos) << c.name << ": " << error;
  }
}

TEST(WireTest, TextOverTheLimitIsNotEncoded) {
  const Frame frame{Kind::kSend, 1, 0, 0, std::string(win::wire::kMaxTextBytes + 1, 'x')};
  EXPECT_THROW(EncodeFrame(frame), std::length_error);
}

TEST(WireTest, ResultsSurviveTheRoundTrip) {
  for (const std::int64_t result :
       {std::int64_t{0}, std::int64_t{-1}, std::int64_t{0x0102030405},
        std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()}) {
    const std::string bytes = win::wire::EncodeResult(result);
    ASSERT_EQ(bytes.size(), win::wire::kResultSize);
    EXPECT_EQ(win::wire::DecodeResult(bytes), result);
  }
  EXPECT_EQ(win::wire::EncodeResult(0x0102), std::string("\x02\x01\0\0\0\0\0\0", 8));
}

}  // namespace
