// What every import phase shares: the source-system number, the Solvo table
// numbers, the commit interval, the per-row column text, the rate line and
// the error report of a phase.
#pragma once

#include <cstdint>
#include <exception>
#include <initializer_list>
#include <string>
#include <string_view>

#include "platform/firebird/transaction.h"

class TFppCS;

// Subiekt GT as a source system of Solvo.
inline constexpr int kIdSystemuSubiekt = 5;

// Solvo's numbers of its tables, as the import procedures and IMPEKSP know them.
enum TTabelaSolvo : int {
  kTabelaFakDetail = 3,
  kTabelaFakHead = 4,
  kTabelaFakWplaty = 5,
  kTabelaKontakty = 24,
  kTabelaKontrahent = 25,
  kTabelaTowary = 42,
  kTabelaZamHead = 52,
  kTabelaMagHead = 79,
  kTabelaMagDetail = 80,
};

// A whole pass commits after every this many rows.
inline constexpr int kWierszyMiedzyZatwierdzeniami = 2000;

// The row's values, each in double quotes, separated by single blanks.
std::string TekstKolumn(std::initializer_list<std::string_view> wartosci);

// Rows per second, rounded to the nearest integer with halves to even.
std::int64_t Tempo(std::int64_t wiersze, std::int64_t milisekundy);
// wciecie + R + " " + jednostka + "/s"
std::string LiniaTempa(std::string_view wciecie, std::int64_t wiersze, std::int64_t milisekundy,
                       std::string_view jednostka);

// naglowek + ": " + code + " - " + message, e.g. "TW Wyjątek(1): -204 - ...".
std::string TekstWyjatku(std::string_view naglowek, const std::exception& e);

// The error handling every phase shares: the shared transaction rolled back,
// the exception text to the host, the current row's key to the detailed log,
// the thread told to stop. Never raises.
void ObsluzBladFazy(TFppCS& watek, fb::Transaction& transakcja, std::string_view naglowek,
                    const std::exception& e, const std::string& kluczWiersza) noexcept;
