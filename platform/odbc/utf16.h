// UTF-8 (the program's text) to and from UTF-16 (the driver manager's wide
// text, 2-byte SQLWCHAR units; wchar_t is 4 bytes here, so no library
// conversion fits). Pure functions; any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace odbc::detail {

// Appends the UTF-16 units of `utf8` to `out`; malformed UTF-8 becomes U+FFFD.
void AppendUtf16(std::string_view utf8, std::vector<std::uint16_t>& out);
// The UTF-16 units of `utf8` followed by a terminating 0.
std::vector<std::uint16_t> ToUtf16z(std::string_view utf8);

// Appends the UTF-8 form of `count` UTF-16 units to `out`; an unpaired
// surrogate becomes U+FFFD.
void AppendUtf8(const std::uint16_t* units, std::size_t count, std::string& out);
std::string ToUtf8(const std::uint16_t* units, std::size_t count);

}  // namespace odbc::detail
