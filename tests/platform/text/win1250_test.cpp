#include "platform/text/win1250.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>

namespace text {
namespace {

std::string Bytes(std::initializer_list<unsigned char> bytes) {
  return std::string(bytes.begin(), bytes.end());
}

// All 251 byte values the page defines, in order.
std::string DefinedBytes() {
  const std::string undefined = Bytes({0x81, 0x83, 0x88, 0x90, 0x98});
  std::string all;
  for (int b = 0; b < 256; ++b) {
    const char c = static_cast<char>(b);
    if (undefined.find(c) == std::string::npos) all.push_back(c);
  }
  return all;
}

TEST(Win1250Test, PolishLettersRoundTrip) {
  const std::string utf8 = "zażółć gęślą jaźń ZAŻÓŁĆ GĘŚLĄ JAŹŃ";
  const std::string cp = Utf8ToWin1250(utf8);
  EXPECT_EQ(Utf8ToWin1250("zażółć"), Bytes({0x7A, 0x61, 0xBF, 0xF3, 0xB3, 0xE6}));
  EXPECT_EQ(Utf8ToWin1250("ĄĆĘŁŃÓŚŹŻ"),
            Bytes({0xA5, 0xC6, 0xCA, 0xA3, 0xD1, 0xD3, 0x8C, 0x8F, 0xAF}));
  EXPECT_EQ(cp.size(), CharCount(utf8));
  EXPECT_EQ(Win1250ToUtf8(cp), utf8);
}

// Every defined byte decodes to a character that encodes back to that byte,
// and the decoded characters are all distinct.
TEST(Win1250Test, EveryDefinedByteRoundTrips) {
  const std::string all = DefinedBytes();
  const std::string utf8 = Win1250ToUtf8(all);
  EXPECT_EQ(CharCount(utf8), all.size());
  EXPECT_TRUE(FitsWin1250(utf8));
  EXPECT_EQ(Utf8ToWin1250(utf8), all);
}

TEST(Win1250Test, SelectedBytesDecodeToTheirCharacters) {
  struct Case {
    unsigned char byte;
    std::string_view utf8;
  };
  const Case cases[] = {
      {0x80, "€"}, {0x8A, "Š"}, {0x99, "™"}, {0xA0, "\u00A0"}, {0xA1, "ˇ"}, {0xB5, "µ"},
      {0xD5, "Ő"}, {0xDF, "ß"}, {0xF5, "ő"}, {0xFF, "˙"},      {0x84, "„"}, {0x94, "”"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.byte));
    EXPECT_EQ(Win1250ToUtf8(Bytes({c.byte})), c.utf8);
    EXPECT_EQ(Utf8ToWin1250(c.utf8), Bytes({c.byte}));
  }
}

TEST(Win1250Test, UndefinedBytesBecomeQuestionMarks) {
  EXPECT_EQ(Win1250ToUtf8(Bytes({'a', 0x81, 0x83, 0x88, 0x90, 0x98, 'b'})), "a?????b");
}

TEST(Win1250Test, CharactersOutsideThePageBecomeOneQuestionMarkEach) {
  struct Case {
    std::string_view utf8;
    std::string_view cp;
  };
  const Case cases[] = {
      {"Ж", "?"},       // two bytes
      {"a中b", "a?b"},  // three bytes
      {"x😀y", "x?y"},   // four bytes
      {"ÿ", "?"},       // Latin-1, but not in this page
      {"\u0080", "?"},  // C1 control, not the byte 0x80
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.utf8);
    EXPECT_EQ(Utf8ToWin1250(c.utf8), c.cp);
    EXPECT_FALSE(FitsWin1250(c.utf8));
  }
  EXPECT_TRUE(FitsWin1250("Zażółć € „cytat” – ő"));
  EXPECT_FALSE(FitsWin1250("Zażółć Ж"));
}

TEST(Win1250Test, MalformedUtf8) {
  struct Case {
    const char* name;
    std::string utf8;
    std::string cp;
    std::size_t chars;
  };
  const Case cases[] = {
      {"stray continuation", Bytes({'a', 0x80, 'b'}), "a?b", 3},
      {"two stray continuations", Bytes({0xBF, 0xBF}), "??", 2},
      {"truncated at end", Bytes({'a', 0xC5}), "a?", 2},
      {"truncated three-byte", Bytes({0xE4, 0xB8, 'x'}), "?x", 2},
      {"truncated four-byte", Bytes({0xF0, 0x9F, 0x98}), "?", 1},
      {"overlong", Bytes({0xC0, 0xAF}), "??", 2},
      {"overlong three-byte", Bytes({0xE0, 0x80, 0xAF}), "???", 3},
      {"surrogate", Bytes({0xED, 0xA0, 0x80}), "???", 3},
      {"above U+10FFFF", Bytes({0xF4, 0x90, 0x80, 0x80}), "????", 4},
      {"invalid lead", Bytes({0xFF, 'a'}), "?a", 2},
      {"lead then ASCII", Bytes({0xC5, 'a', 0xC5, 0x82}), "?a\xB3", 3},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(Utf8ToWin1250(c.utf8), c.cp);
    EXPECT_FALSE(FitsWin1250(c.utf8));
    EXPECT_EQ(CharCount(c.utf8), c.chars);
  }
  EXPECT_EQ(UpperWin1250(Bytes({0xC5, 'a', 0x80, 0xC5, 0x82})),
            Bytes({0xC5, 'A', 0x80, 0xC5, 0x81}))
      << "malformed bytes pass unchanged";
}

TEST(Win1250Test, UpperCasesLettersOfThePage) {
  struct Case {
    std::string_view lower;
    std::string_view upper;
  };
  const Case cases[] = {
      {"ąćęłńóśźż", "ĄĆĘŁŃÓŚŹŻ"},
      {"šťžľŕáâăäĺçčéëěíîďđňôőöřůúűüýţş", "ŠŤŽĽŔÁÂĂÄĹÇČÉËĚÍÎĎĐŇÔŐÖŘŮÚŰÜÝŢŞ"},
      {"abcxyz 09 ,.-", "ABCXYZ 09 ,.-"},
      {"ß µ ÿ", "ß µ ÿ"},    // no partner in the page (ÿ is not in it at all)
      {"жё ü", "жё Ü"},      // outside the page: unchanged
      {"ĄŻÓ ÀÉ", "ĄŻÓ ÀÉ"},  // already upper-case; À is outside the page
      {"ul. Kościuszki 5/7", "UL. KOŚCIUSZKI 5/7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.lower);
    EXPECT_EQ(UpperWin1250(c.lower), c.upper);
  }
}

// The upper-casing of every byte agrees with the page: upper-casing the UTF-8
// text of the whole page changes exactly the lower-case letters that have a
// partner, and each into a character of the page.
TEST(Win1250Test, UpperCasingStaysInsideThePage) {
  const std::string all = DefinedBytes();
  const std::string upper = UpperWin1250(Win1250ToUtf8(all));
  const std::string cp = Utf8ToWin1250(upper);
  ASSERT_EQ(cp.size(), all.size());
  int changed = 0;
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (cp[i] != all[i]) ++changed;
  }
  EXPECT_EQ(changed, 26 + 40);
}

TEST(Win1250Test, UpperAsciiLeavesOtherLettersAlone) {
  EXPECT_EQ(UpperAscii("-wrotka=Łódź"), "-WROTKA=ŁóDź");
}

TEST(Win1250Test, FirstCharsCountsCharactersNotBytes) {
  struct Case {
    std::string_view text;
    std::size_t n;
    std::string_view first;
  };
  const Case cases[] = {
      {"zażółć", 3, "zaż"}, {"zażółć", 6, "zażółć"}, {"zażółć", 100, "zażółć"}, {"zażółć", 0, ""},
      {"", 5, ""},          {"€uro", 1, "€"},        {"😀ab", 2, "😀a"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(FirstChars(c.text, c.n), c.first);
  }
  EXPECT_EQ(CharCount("zażółć"), 6u);
  EXPECT_EQ(CharCount("😀"), 1u);
  EXPECT_EQ(CharCount(""), 0u);
}

TEST(Win1250Test, FirstCharsKeepsATruncatedSequenceWhole) {
  const std::string s = Bytes({'a', 0xE4, 0xB8, 'b'});
  EXPECT_EQ(FirstChars(s, 2), Bytes({'a', 0xE4, 0xB8}));
}

TEST(Win1250Test, TrimRemovesBlanksAndControlCharacters) {
  struct Case {
    std::string_view in;
    std::string_view out;
  };
  const Case cases[] = {
      {"  abc  ", "abc"},
      {"\t\r\n abc \x01\x1F", "abc"},
      {"a  b", "a  b"},
      {"   ", ""},
      {"", ""},
      {" żółw ", "żółw"},
      {"\xC2\xA0x\xC2\xA0", "\xC2\xA0x\xC2\xA0"},  // no-break space is not a blank here
      {std::string_view("\0a\0", 3), "a"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Trim(c.in), c.out);
  }
}

}  // namespace
}  // namespace text
