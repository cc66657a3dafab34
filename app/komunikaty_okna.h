// The window messages between the Solvo host and the importer. 0x400 is the
// first user message number.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t WM_USER = 0x400;

// From the host to the control window.
inline constexpr std::uint32_t WM_INI = 0x402;    // wParam session id, lParam configuration id
inline constexpr std::uint32_t WM_START = 0x403;  // wParam operation code, lParam host window
inline constexpr std::uint32_t WM_TERMINATE = 0x404;
inline constexpr std::uint32_t WM_TERMINATED = 0x405;
inline constexpr std::uint32_t WM_KONIEC = 0x406;

// From the importer to the host window.
inline constexpr std::uint32_t WM_LOG_LINIA = 0x40A;      // text: one run-log line
inline constexpr std::uint32_t WM_LOG_ODRZUT = 0x40B;     // text: a rejected record
inline constexpr std::uint32_t WM_IMPORT_KONIEC = 0x465;  // wParam 0 finished, 1 stopped or failed
inline constexpr std::uint32_t WM_POSTEP = 0x466;         // wParam 1 maximum / 2 position in lParam
inline constexpr std::uint32_t WM_ETAP = 0x467;           // wParam phase code
inline constexpr std::uint32_t WM_INNY_IMPORT = 0x468;    // another import holds the configuration
inline constexpr std::uint32_t WM_BLAD = 0x46A;           // text: an error report

// The message's name as the host's transcript writes it; nullptr when unknown.
constexpr const char* NazwaKomunikatu(std::uint32_t msg) {
  switch (msg) {
    case WM_INI:
      return "WM_INI";
    case WM_START:
      return "WM_START";
    case WM_TERMINATE:
      return "WM_TERMINATE";
    case WM_TERMINATED:
      return "WM_TERMINATED";
    case WM_KONIEC:
      return "WM_KONIEC";
    case WM_LOG_LINIA:
      return "WM_LOG_LINIA";
    case WM_LOG_ODRZUT:
      return "WM_LOG_ODRZUT";
    case WM_IMPORT_KONIEC:
      return "WM_IMPORT_KONIEC";
    case WM_POSTEP:
      return "WM_POSTEP";
    case WM_ETAP:
      return "WM_ETAP";
    case WM_INNY_IMPORT:
      return "WM_INNY_IMPORT";
    case WM_BLAD:
      return "WM_BLAD";
    default:
      return nullptr;
  }
}
