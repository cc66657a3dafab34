#include "importcore/kanal_hosta.h"

void TKanalOknaHosta::Wyslij(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) {
  win::SendMessage(okno_, msg, wParam, lParam);
}

void TKanalOknaHosta::WyslijTekst(std::uint32_t msg, const std::string& tekst) {
  win::SendTextMessage(okno_, msg, tekst);
}

void TKanalOknaHosta::Kolejkuj(std::uint32_t msg, std::int64_t wParam, std::int64_t lParam) {
  win::PostMessage(okno_, msg, wParam, lParam);
}
