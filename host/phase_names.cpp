#include "host/phase_names.h"

namespace host {

const char* PhaseName(std::int64_t code) {
  switch (code) {
    case 502:
      return "Towary";
    case 503:
      return "Kontrahenci";
    case 504:
      return "Kontakty";
    case 515:
      return "Nagłówki faktur";
    case 516:
      return "Pozycje faktur";
    case 517:
      return "Płatności";
    case 530:
      return "Usuwanie faktur i wpłat";
    case 528:
      return "Nagłówki zamówień";
    case 529:
      return "Pozycje zamówień";
    case 531:
      return "Usuwanie zamówień";
    case 532:
      return "Nagłówki dokumentów magazynowych";
    case 533:
      return "Pozycje dokumentów magazynowych";
    default:
      return nullptr;
  }
}

}  // namespace host
