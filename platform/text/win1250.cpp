#include "platform/text/win1250.h"

#include <array>
#include <cstdint>

namespace text {
namespace {

constexpr char16_t kNone = 0xFFFF;

// Unicode of the bytes 0x80-0xFF; the lower half of the page is ASCII.
constexpr std::array<char16_t, 128> kHighToUnicode = {
    0x20AC, kNone,  0x201A, kNone,  0x201E, 0x2026, 0x2020, 0x2021,  // 80
    kNone,  0x2030, 0x0160, 0x2039, 0x015A, 0x0164, 0x017D, 0x0179,  // 88
    kNone,  0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    kNone,  0x2122, 0x0161, 0x203A, 0x015B, 0x0165, 0x017E, 0x017A,  // 98
    0x00A0, 0x02C7, 0x02D8, 0x0141, 0x00A4, 0x0104, 0x00A6, 0x00A7,  // A0
    0x00A8, 0x00A9, 0x015E, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x017B,  // A8
    0x00B0, 0x00B1, 0x02DB, 0x0142, 0x00B4, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x00B8, 0x0105, 0x015F, 0x00BB, 0x013D, 0x02DD, 0x013E, 0x017C,  // B8
    0x0154, 0x00C1, 0x00C2, 0x0102, 0x00C4, 0x0139, 0x0106, 0x00C7,  // C0
    0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,  // C8
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7,  // D0
    0x0158, 0x016E, 0x00DA, 0x0170, 0x00DC, 0x00DD, 0x0162, 0x00DF,  // D8
    0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,  // E0
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F,  // E8
    0x0111, 0x0144, 0x0148, 0x00F3, 0x00F4, 0x0151, 0x00F6, 0x00F7,  // F0
    0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,  // F8
};

// Lower-case letters of the page and their upper-case partners. Letters
// without a partner in the page (µ, ß) are absent and stay as they are.
struct CasePair {
  unsigned char lower;
  unsigned char upper;
};
constexpr CasePair kCasePairs[] = {
    {0x9A, 0x8A},  // š Š
    {0x9C, 0x8C},  // ś Ś
    {0x9D, 0x8D},  // ť Ť
    {0x9E, 0x8E},  // ž Ž
    {0x9F, 0x8F},  // ź Ź
    {0xB3, 0xA3},  // ł Ł
    {0xB9, 0xA5},  // ą Ą
    {0xBA, 0xAA},  // ş Ş
    {0xBE, 0xBC},  // ľ Ľ
    {0xBF, 0xAF},  // ż Ż
    {0xE0, 0xC0},  // ŕ Ŕ
    {0xE1, 0xC1},  // á Á
    {0xE2, 0xC2},  // â Â
    {0xE3, 0xC3},  // ă Ă
    {0xE4, 0xC4},  // ä Ä
    {0xE5, 0xC5},  // ĺ Ĺ
    {0xE6, 0xC6},  // ć Ć
    {0xE7, 0xC7},  // ç Ç
    {0xE8, 0xC8},  // č Č
    {0xE9, 0xC9},  // é É
    {0xEA, 0xCA},  // ę Ę
    {0xEB, 0xCB},  // ë Ë
    {0xEC, 0xCC},  // ě Ě
    {0xED, 0xCD},  // í Í
    {0xEE, 0xCE},  // î Î
    {0xEF, 0xCF},  // ď Ď
    {0xF0, 0xD0},  // đ Đ
    {0xF1, 0xD1},  // ń Ń
    {0xF2, 0xD2},  // ň Ň
    {0xF3, 0xD3},  // ó Ó
    {0xF4, 0xD4},  // ô Ô
    {0xF5, 0xD5},  // ő Ő
    {0xF6, 0xD6},  // ö Ö
    {0xF8, 0xD8},  // ř Ř
    {0xF9, 0xD9},  // ů Ů
    {0xFA, 0xDA},  // ú Ú
    {0xFB, 0xDB},  // ű Ű
    {0xFC, 0xDC},  // ü Ü
    {0xFD, 0xDD},  // ý Ý
    {0xFE, 0xDE},  // ţ Ţ
};

constexpr std::array<unsigned char, 256> kUpper = [] {
  std::array<unsigned char, 256> table{};
  for (int b = 0; b < 256; ++b) table[b] = static_cast<unsigned char>(b);
  for (int b = 'a'; b <= 'z'; ++b) table[b] = static_cast<unsigned char>(b - 'a' + 'A');
  for (const CasePair& p : kCasePairs) table[p.lower] = p.upper;
  return table;
}();

// Code point to byte for the non-ASCII characters of the page; 0 = not in the
// page. The highest code point the page holds is U+2122.
constexpr char32_t kReverseEnd = 0x2123;
constexpr std::array<unsigned char, kReverseEnd> kFromUnicode = [] {
  std::array<unsigned char, kReverseEnd> table{};
  for (int i = 0; i < 128; ++i) {
    if (kHighToUnicode[i] != kNone) table[kHighToUnicode[i]] = static_cast<unsigned char>(0x80 + i);
  }
  return table;
}();

// UTF-8 form of every byte, '?' for the undefined ones.
struct Utf8Form {
  char bytes[3];
  unsigned char length;
};

constexpr Utf8Form EncodeForm(char32_t cp) {
  if (cp < 0x80) return {{static_cast<char>(cp), 0, 0}, 1};
  if (cp < 0x800) {
    return {{static_cast<char>(0xC0 | (cp >> 6)), static_cast<char>(0x80 | (cp & 0x3F)), 0}, 2};
  }
  return {{static_cast<char>(0xE0 | (cp >> 12)), static_cast<char>(0x80 | ((cp >> 6) & 0x3F)),
           static_cast<char>(0x80 | (cp & 0x3F))},
          3};
}

constexpr std::array<Utf8Form, 256> kToUtf8 = [] {
  std::array<Utf8Form, 256> table{};
  for (int b = 0; b < 128; ++b) table[b] = EncodeForm(static_cast<char32_t>(b));
  for (int i = 0; i < 128; ++i) {
    table[0x80 + i] = kHighToUnicode[i] == kNone ? EncodeForm(U'?') : EncodeForm(kHighToUnicode[i]);
  }
  return table;
}();

// One step of UTF-8 decoding. A malformed sequence is its maximal valid
// prefix (at least one byte), reported with valid == false, so that a text
// cut inside a character yields one replacement, not one per byte.
struct Decoded {
  char32_t cp;
  std::size_t length;
  bool valid;
};

inline Decoded DecodeAt(std::string_view s, std::size_t i) {
  const auto lead = static_cast<unsigned char>(s[i]);
  if (lead < 0x80) return {lead, 1, true};

  std::size_t need;
  char32_t cp;
  unsigned char lo = 0x80;  // range of the first continuation byte
  unsigned char hi = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    need = 1;
    cp = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    need = 2;
    cp = lead & 0x0F;
    if (lead == 0xE0) lo = 0xA0;  // overlong
    if (lead == 0xED) hi = 0x9F;  // surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    need = 3;
    cp = lead & 0x07;
    if (lead == 0xF0) lo = 0x90;  // overlong
    if (lead == 0xF4) hi = 0x8F;  // above U+10FFFF
  } else {
    return {0, 1, false};
  }

  std::size_t length = 1;
  for (; length <= need; ++length) {
    if (i + length >= s.size()) return {0, length, false};
    const auto c = static_cast<unsigned char>(s[i + length]);
    if (c < lo || c > hi) return {0, length, false};
    cp = (cp << 6) | (c & 0x3F);
    lo = 0x80;
    hi = 0xBF;
  }
  return {cp, length, true};
}

// The page's byte for a code point, or 0 when the page does not hold it.
inline unsigned char ToWin1250(char32_t cp) {
  if (cp < 0x80) return static_cast<unsigned char>(cp);
  return cp < kReverseEnd ? kFromUnicode[cp] : 0;
}

void AppendForm(std::string& out, const Utf8Form& form) { out.append(form.bytes, form.length); }

}  // namespace

std::string Utf8ToWin1250(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const char c = utf8[i];
    if (static_cast<unsigned char>(c) < 0x80) {
      out.push_back(c);
      ++i;
      continue;
    }
    const Decoded d = DecodeAt(utf8, i);
    const unsigned char b = d.valid ? ToWin1250(d.cp) : 0;
    out.push_back(b != 0 ? static_cast<char>(b) : '?');
    i += d.length;
  }
  return out;
}

std::string Win1250ToUtf8(std::string_view win1250) {
  std::size_t size = 0;
  for (const char c : win1250) size += kToUtf8[static_cast<unsigned char>(c)].length;
  std::string out;
  out.reserve(size);
  for (const char c : win1250) AppendForm(out, kToUtf8[static_cast<unsigned char>(c)]);
  return out;
}

bool FitsWin1250(std::string_view utf8) {
  for (std::size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      ++i;
      continue;
    }
    const Decoded d = DecodeAt(utf8, i);
    if (!d.valid || ToWin1250(d.cp) == 0) return false;
    i += d.length;
  }
  return true;
}

std::string UpperWin1250(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  for (std::size_t i = 0; i < utf8.size();) {
    const auto c = static_cast<unsigned char>(utf8[i]);
    if (c < 0x80) {
      out.push_back(static_cast<char>(kUpper[c]));
      ++i;
      continue;
    }
    const Decoded d = DecodeAt(utf8, i);
    const unsigned char b = d.valid ? ToWin1250(d.cp) : 0;
    if (b != 0 && kUpper[b] != b) {
      AppendForm(out, kToUtf8[kUpper[b]]);
    } else {
      out.append(utf8.substr(i, d.length));
    }
    i += d.length;
  }
  return out;
}

std::string UpperAscii(std::string_view utf8) {
  std::string out(utf8);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return out;
}

std::size_t CharCount(std::string_view utf8) {
  std::size_t count = 0;
  for (std::size_t i = 0; i < utf8.size(); ++count) {
    i += static_cast<unsigned char>(utf8[i]) < 0x80 ? 1 : DecodeAt(utf8, i).length;
  }
  return count;
}

std::string FirstChars(std::string_view utf8, std::size_t n) {
  std::size_t i = 0;
  for (std::size_t count = 0; count < n && i < utf8.size(); ++count) {
    i += static_cast<unsigned char>(utf8[i]) < 0x80 ? 1 : DecodeAt(utf8, i).length;
  }
  return std::string(utf8.substr(0, i));
}

std::string Trim(std::string_view s) {
  auto blank = [](char c) { return static_cast<unsigned char>(c) <= ' '; };
  std::size_t begin = 0;
  std::size_t end = s.size();
  while (begin < end && blank(s[begin])) ++begin;
  while (end > begin && blank(s[end - 1])) --end;
  return std::string(s.substr(begin, end - begin));
}

}  // namespace text
