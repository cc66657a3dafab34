#include "app/opcje_gimp.h"

namespace {

bool Bit(std::int32_t maska, int n) { return (static_cast<std::uint32_t>(maska) >> n) & 1u; }

// Which flag each bit of a mask sets.
struct BitFlagi {
  int bit;
  bool TOpcjeGImp::*flaga;
};
struct BitLiczby {
  int bit;
  std::int32_t TOpcjeGImp::*pole;
};

constexpr BitFlagi kOpcjeImportu[] = {
    {1, &TOpcjeGImp::AnalizaTowarow},     {2, &TOpcjeGImp::AnalizaKontrahentow},
    {3, &TOpcjeGImp::ImportKontaktow},    {4, &TOpcjeGImp::ImportSprzedazy},
    {5, &TOpcjeGImp::ImportZakupu},       {6, &TOpcjeGImp::ImportZamowien},
    {7, &TOpcjeGImp::KontrahenciManager}, {21, &TOpcjeGImp::ImportMagazynowych},
};

constexpr BitLiczby kSzukanie[] = {
    {8, &TOpcjeGImp::SzukacNipSkrot},   {9, &TOpcjeGImp::SzukacNip},
    {10, &TOpcjeGImp::SzukacSkrot},     {11, &TOpcjeGImp::SzukacNazwa},
    {12, &TOpcjeGImp::SzukacFaktKlucz}, {13, &TOpcjeGImp::NieDodajNowego},
};

constexpr BitFlagi kOpcjeAktualizacji[] = {
    {0, &TOpcjeGImp::KontrahenciWszystkieDane}, {1, &TOpcjeGImp::KontrahenciDaneTeleadr},
    {2, &TOpcjeGImp::KontrahenciLimitKredytu},  {5, &TOpcjeGImp::FakturyOperatorNazwa},
    {10, &TOpcjeGImp::KontaktyWszystkieDane},   {11, &TOpcjeGImp::KontaktyDaneTeleadr},
    {12, &TOpcjeGImp::KontrahenciNipRegon},     {14, &TOpcjeGImp::KontaktyStanowisko},
    {15, &TOpcjeGImp::KontaktyNipPesel},        {16, &TOpcjeGImp::TowaryWszystkieDane},
};

}  // namespace

void DekodujOpcje(std::int32_t opcje, std::int32_t opcjeImportu, std::int32_t opcjeAktualizacji,
                  TOpcjeGImp& Opcje) {
  Opcje.LogSzczegolowy = Bit(opcje, 0);
  Opcje.OpcjeImportu = opcjeImportu;
  Opcje.OpcjeAktualizacji = opcjeAktualizacji;
  for (const auto& b : kOpcjeImportu) Opcje.*b.flaga = Bit(opcjeImportu, b.bit);
  for (const auto& b : kSzukanie) Opcje.*b.pole = Bit(opcjeImportu, b.bit) ? 1 : 0;
  for (const auto& b : kOpcjeAktualizacji) Opcje.*b.flaga = Bit(opcjeAktualizacji, b.bit);
}

dt::DateTime PoczatekOkresuAnalizy(const TOpcjeGImp& Opcje, dt::DateTime teraz) {
  return dt::FirstDayOfMonthBefore(teraz, Opcje.OkresAnalizy);
}
