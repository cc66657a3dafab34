#include "importcore/import_cache.h"

#include <algorithm>

namespace {

using Para = std::pair<std::string, std::int32_t>;

bool KluczMniejszy(const Para& para, const std::string& klucz) { return para.first < klucz; }

}  // namespace

bool TImportCache::Znajdz(int lista, std::int64_t idZrodla, std::int32_t& idSolvo) const {
  const TLista& l = listy_.at(lista);
  const std::string klucz = std::to_string(idZrodla);
  if (l.posortowana) {
    const auto it = std::lower_bound(l.pary.begin(), l.pary.end(), klucz, KluczMniejszy);
    if (it != l.pary.end() && it->first == klucz) {
      idSolvo = it->second;
      return true;
    }
  } else {
    for (const Para& para : l.pary) {
      if (para.first == klucz) {
        idSolvo = para.second;
        return true;
      }
    }
  }
  idSolvo = -1;
  return false;
}

void TImportCache::Dodaj(int lista, std::int64_t idZrodla, std::int32_t idSolvo) {
  TLista& l = listy_.at(lista);
  std::string klucz = std::to_string(idZrodla);
  if (!l.posortowana) {
    l.pary.emplace_back(std::move(klucz), idSolvo);
    return;
  }
  const auto it = std::lower_bound(l.pary.begin(), l.pary.end(), klucz, KluczMniejszy);
  if (it != l.pary.end() && it->first == klucz) return;
  l.pary.emplace(it, std::move(klucz), idSolvo);
}

void TImportCache::UstawSortowanie(int lista, bool posortowana) {
  TLista& l = listy_.at(lista);
  if (posortowana && !l.posortowana) {
    // Stable, so that of two equal keys the one added first is found.
    std::stable_sort(l.pary.begin(), l.pary.end(),
                     [](const Para& a, const Para& b) { return a.first < b.first; });
  }
  l.posortowana = posortowana;
}
