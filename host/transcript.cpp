#include "host/transcript.h"

#include <cerrno>
#include <system_error>

#include "app/komunikaty_okna.h"

namespace host {

namespace {

// The length of the valid UTF-8 sequence starting at text[i], 0 when there is
// none (stray continuation byte, overlong form, surrogate, beyond U+10FFFF,
// cut short).
std::size_t Utf8SequenceLength(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char lead = byte(0);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (i + length > text.size()) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(k) < 0x80 || byte(k) > 0xBF) return 0;
  }
  return length;
}

}  // namespace

std::string JsonString(std::string_view text) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string out;
  out.reserve(text.size() + 2);
  out += '"';
  for (std::size_t i = 0; i < text.size();) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (c >= 0x80) {
      const std::size_t length = Utf8SequenceLength(text, i);
      if (length == 0) {
        out += "\xEF\xBF\xBD";
        ++i;
      } else {
        out.append(text.substr(i, length));
        i += length;
      }
      continue;
    }
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (c < 0x20) {
          out += "\\u00";
          out += kHex[c >> 4];
          out += kHex[c & 0xF];
        } else {
          out += static_cast<char>(c);
        }
    }
    ++i;
  }
  out += '"';
  return out;
}

std::string MessageLine(const win::Message& message) {
  const char* name = NazwaKomunikatu(message.msg);
  std::string line = "{\"msg\": " + std::to_string(message.msg) +
                     ", \"name\": " + JsonString(name != nullptr ? name : "UNKNOWN") +
                     ", \"wParam\": " + std::to_string(message.wParam) +
                     ", \"lParam\": " + std::to_string(message.lParam);
  if (message.text) line += ", \"text\": " + JsonString(*message.text);
  line += '}';
  return line;
}

std::string StartResultLine(std::optional<std::int64_t> result) {
  return "{\"name\": \"START_RESULT\", \"result\": " +
         (result ? std::to_string(*result) : std::string("null")) + "}";
}

Transcript::Transcript(const std::string& path) : file_(std::fopen(path.c_str(), "w")) {
  if (!file_) throw std::system_error(errno, std::generic_category(), path);
}

void Transcript::Write(const std::string& line) {
  std::fputs(line.c_str(), file_.get());
  std::fputc('\n', file_.get());
  std::fflush(file_.get());
}

}  // namespace host
