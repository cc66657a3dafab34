#include "platform/odbc/utf16.h"

namespace odbc::detail {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one code point at s[i], advancing i; malformed input (bad lead or
// continuation bytes, overlong forms, surrogates, beyond U+10FFFF) consumes
// one byte and gives U+FFFD.
char32_t DecodeUtf8(std::string_view s, std::size_t& i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char lead = byte(i);
  if (lead < 0x80) {
    ++i;
    return lead;
  }
  std::size_t length = 0;
  char32_t cp = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    length = 2;
    cp = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    length = 3;
    cp = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    length = 4;
    cp = lead & 0x07;
    minimum = 0x10000;
  } else {
    ++i;
    return kReplacement;
  }
  if (i + length > s.size()) {
    ++i;
    return kReplacement;
  }
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) {
      ++i;
      return kReplacement;
    }
    cp = (cp << 6) | (byte(i + k) & 0x3F);
  }
  if (cp < minimum || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++i;
    return kReplacement;
  }
  i += length;
  return cp;
}

void EncodeUtf8(char32_t cp, std::string& out) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

bool IsHighSurrogate(std::uint16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(std::uint16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }

}  // namespace

void AppendUtf16(std::string_view utf8, std::vector<std::uint16_t>& out) {
  std::size_t i = 0;
  while (i < utf8.size()) {
    const char32_t cp = DecodeUtf8(utf8, i);
    if (cp < 0x10000) {
      out.push_back(static_cast<std::uint16_t>(cp));
    } else {
      const char32_t v = cp - 0x10000;
      out.push_back(static_cast<std::uint16_t>(0xD800 | (v >> 10)));
      out.push_back(static_cast<std::uint16_t>(0xDC00 | (v & 0x3FF)));
    }
  }
}

std::vector<std::uint16_t> ToUtf16z(std::string_view utf8) {
  std::vector<std::uint16_t> out;
  out.reserve(utf8.size() + 1);
  AppendUtf16(utf8, out);
  out.push_back(0);
  return out;
}

void AppendUtf8(const std::uint16_t* units, std::size_t count, std::string& out) {
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint16_t u = units[i];
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (IsHighSurrogate(u) && i + 1 < count && IsLowSurrogate(units[i + 1])) {
      EncodeUtf8(0x10000 + ((char32_t{u} - 0xD800) << 10) + (char32_t{units[i + 1]} - 0xDC00), out);
      ++i;
    } else if (IsHighSurrogate(u) || IsLowSurrogate(u)) {
      EncodeUtf8(kReplacement, out);
    } else {
      EncodeUtf8(u, out);
    }
  }
}

std::string ToUtf8(const std::uint16_t* units, std::size_t count) {
  std::string out;
  out.reserve(count);
  AppendUtf8(units, count, out);
  return out;
}

}  // namespace odbc::detail
