// Text crossing the Firebird connection, which speaks Windows-1250.
#pragma once

#include <string>
#include <string_view>

namespace fb::detail {

// A message from the server or client library: kept when it already is
// UTF-8, otherwise read as Windows-1250.
std::string ServerTextToUtf8(std::string_view text);

}  // namespace fb::detail
