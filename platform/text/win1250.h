// Text in the program is UTF-8; Windows-1250 exists only on the wire to the
// Firebird server (and in whatever else speaks that code page). Every
// conversion between the two goes through this header.
//
// All functions are pure and may be called from any thread.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace text {

// UTF-8 to Windows-1250 bytes. A character the code page cannot hold, and any
// malformed UTF-8 sequence, becomes one '?'. Never throws.
std::string Utf8ToWin1250(std::string_view utf8);

// Windows-1250 bytes to UTF-8. The five byte values the code page leaves
// undefined (0x81 0x83 0x88 0x90 0x98) become '?'. Never throws.
std::string Win1250ToUtf8(std::string_view win1250);

// True when every character of the UTF-8 text exists in Windows-1250.
bool FitsWin1250(std::string_view utf8);

// Upper-case by the Windows-1250 rules: ASCII letters and the code page's
// accented letters (Polish ones included: ą→Ą … ż→Ż). Characters the code page
// does not hold are left as they are. UTF-8 in, UTF-8 out.
std::string UpperWin1250(std::string_view utf8);

// Upper-case of the ASCII letters a-z only; everything else unchanged.
std::string UpperAscii(std::string_view utf8);

// Number of characters (code points) of a UTF-8 text; a malformed byte counts
// as one character.
std::size_t CharCount(std::string_view utf8);

// The first n characters (not bytes) of a UTF-8 text; never splits a character.
std::string FirstChars(std::string_view utf8, std::size_t n);

// The text with leading and trailing blanks and control characters (code <= 32)
// removed.
std::string Trim(std::string_view s);

}  // namespace text
