#include "host/transcript.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>

#include "app/komunikaty_okna.h"

namespace host {
namespace {

TEST(JsonString, EscapesOnlyWhatJsonRequires) {
  const struct {
    std::string text;
    const char* json;
  } cases[] = {
      {"", R"("")"},
      {"Zażółć gęślą jaźń ŻÓŁW", R"("Zażółć gęślą jaźń ŻÓŁW")"},
      {R"(Towar "X" w C:\dane)", R"("Towar \"X\" w C:\\dane")"},
      {"a\r\nb\tc", R"("a\r\nb\tc")"},
      {std::string("\x01\x08\x0c\x1f\x7f", 5), "\"\\u0001\\u0008\\u000c\\u001f\x7f\""},
      {std::string("a\0b", 3), R"("a\u0000b")"},
      {"/ ' < > &", R"("/ ' < > &")"},
      {"€ 𝄞", R"("€ 𝄞")"},
      // Not UTF-8: a Windows-1250 "ł", a stray continuation byte, a cut
      // sequence, an overlong "/" and an encoded surrogate.
      {"\xb3\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"x\xC5", "\"x\xEF\xBF\xBD\""},
      {"\xC0\xAF", "\"\xEF\xBF\xBD\xEF\xBF\xBD\""},
      {"\xED\xA0\x80", "\"\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\""},
  };
  for (const auto& c : cases) EXPECT_EQ(JsonString(c.text), c.json) << c.text;
}

TEST(TranscriptLines, KeysInFixedOrderTextOnlyWhenCarried) {
  win::Message line{WM_LOG_LINIA, 49152, 5, std::string("Łódź"), false};
  EXPECT_EQ(
      MessageLine(line),
      R"({"msg": 1034, "name": "WM_LOG_LINIA", "wParam": 49152, "lParam": 5, "text": "Łódź"})");

  win::Message empty{WM_BLAD, 49153, 0, std::string(), false};
  EXPECT_EQ(MessageLine(empty),
            R"({"msg": 1130, "name": "WM_BLAD", "wParam": 49153, "lParam": 0, "text": ""})");

  win::Message phase{WM_ETAP, 502, 0, std::nullopt, true};
  EXPECT_EQ(MessageLine(phase), R"({"msg": 1127, "name": "WM_ETAP", "wParam": 502, "lParam": 0})");

  win::Message unknown{0x9999, -1, -2, std::nullopt, false};
  EXPECT_EQ(MessageLine(unknown),
            R"({"msg": 39321, "name": "UNKNOWN", "wParam": -1, "lParam": -2})");

  EXPECT_EQ(StartResultLine(17), R"({"name": "START_RESULT", "result": 17})");
  EXPECT_EQ(StartResultLine(-1), R"({"name": "START_RESULT", "result": -1})");
  EXPECT_EQ(StartResultLine(std::nullopt), R"({"name": "START_RESULT", "result": null})");
}

TEST(Transcript, EachLineIsInTheFileOnceWritten) {
  const std::filesystem::path path =
      std::filesystem::temp_directory_path() /
      ("solvo-host-transcript-" + std::to_string(getpid()) + ".jsonl");
  { std::ofstream(path) << "left from an earlier run\n"; }
  Transcript transcript(path.string());
  transcript.Write(R"({"a": 1})");
  transcript.Write(R"({"b": "ż"})");
  // Read while the writer is still open: a killed run leaves the same file.
  std::ifstream in(path);
  const std::string content((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(content, "{\"a\": 1}\n{\"b\": \"ż\"}\n");
  std::filesystem::remove(path);

  EXPECT_THROW(Transcript("/nonexistent-dir/t.jsonl"), std::system_error);
}

}  // namespace
}  // namespace host
