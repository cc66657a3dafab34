// The import cache: per-run lists from Subiekt GT ids to Solvo ids, so that
// later phases find what earlier ones sent and single-mode imports do not
// send a record twice. Import thread only; no lock.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

class TImportCache {
 public:
  static constexpr int kLiczbaList = 14;

  // The lists the phases use.
  enum Lista : int {
    kTowary = 0,
    kKontrahenci = 1,
    kFakHead = 2,
    kKontakty = 3,
    kZamHead = 4,
    kMagazyny = 5,
    kMagHead = 12,
  };

  // True and the Solvo id when the list holds the source id; false and -1
  // otherwise.
  bool Znajdz(int lista, std::int64_t idZrodla, std::int32_t& idSolvo) const;
  // Adds the pair. A sorted list ignores a key it already holds (the first
  // value stays); an unsorted list appends.
  void Dodaj(int lista, std::int64_t idZrodla, std::int32_t idSolvo);
  // Sorting orders the pairs by the text of their keys (so "10" comes before
  // "9"); switching back to unsorted changes nothing at once.
  void UstawSortowanie(int lista, bool posortowana);

  bool Posortowana(int lista) const { return listy_.at(lista).posortowana; }
  std::size_t Rozmiar(int lista) const { return listy_.at(lista).pary.size(); }

 private:
  struct TLista {
    bool posortowana = false;
    std::vector<std::pair<std::string, std::int32_t>> pary;
  };
  std::array<TLista, kLiczbaList> listy_;
};
