#include "platform/firebird/server_text.h"

#include "platform/text/win1250.h"

namespace fb::detail {
namespace {

bool IsValidUtf8(std::string_view s) {
  for (std::size_t i = 0; i < s.size();) {
    const auto c = static_cast<unsigned char>(s[i]);
    const std::size_t extra = c < 0x80             ? 0
                              : (c & 0xE0) == 0xC0 ? 1
                              : (c & 0xF0) == 0xE0 ? 2
                              : (c & 0xF8) == 0xF0 ? 3
                                                   : 4;
    if (extra == 4 || s.size() - i <= extra) return false;
    for (std::size_t k = 1; k <= extra; ++k) {
      if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return false;
    }
    i += extra + 1;
  }
  return true;
}

}  // namespace

std::string ServerTextToUtf8(std::string_view text) {
  if (IsValidUtf8(text)) return std::string(text);
  return text::Win1250ToUtf8(text);
}

}  // namespace fb::detail
