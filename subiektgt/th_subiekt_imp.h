// The Subiekt GT import thread: the run sequence and the run state the
// phases share. Created suspended by START on the main thread; everything
// else runs on the import thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "importcore/fpp_cs.h"
#include "importcore/import_cache.h"

class TDMZQ;
class TDMImportSubiekt;

// The program kind whose log files carry the prefix "subiektGT_".
inline constexpr int kTypProgramuSubiektGT = 203;

// Operation codes of START.
enum TKodOperacji : int {
  kOperacjaTowary = 502,
  kOperacjaKontrahenci = 503,
  kOperacjaFaktury = 510,
  kOperacjaPelnyImport = 550,
};

// Phase codes announced to the host during a full import.
enum TKodEtapu : int {
  kEtapTowary = 502,
  kEtapKontrahenci = 503,
  kEtapKontakty = 504,
  kEtapFakHead = 515,
  kEtapFakDetail = 516,
  kEtapFakWplaty = 517,
  kEtapZamHead = 528,
  kEtapZamDetail = 529,
  kEtapUsuwanieFaktur = 530,
  kEtapUsuwanieZamowien = 531,
  kEtapMagHead = 532,
  kEtapMagDetail = 533,
};

class TThSubiektImp : public TFppCS {
 public:
  TThSubiektImp(int kodOperacji, std::unique_ptr<TKanalHosta> kanal, TDMZQ& dmzq,
                TDMImportSubiekt& dmImport);

  void Execute() override;

  // Set by START when it failed; the start check reports it.
  int KodBleduStartu = 0;
  std::string TekstBleduStartu;

  // Run state prepared before the phases.
  std::int32_t IdKontrahentaParagonow = -1;
  std::vector<int> TypyFaktur;
  std::vector<int> TypyZamowien;
  std::vector<int> TypyMagazynowe;
  std::vector<std::int32_t> WybraneMagazyny;
  TImportCache Cache;

  // Preparation of the run.
  bool SprawdzStart();
  bool TestujPolaczenie();
  void RaportUstawien();
  void UstawCache();
  void SprawdzKontrahentaDomyslnego();
  void UstalTypyDokumentow();

  // The Solvo hooks around a phase; index 6 is the invoice headers'.
  struct TOdpowiedzHaka {
    std::int32_t ORESULT = 0;
    std::string OMESSAGE;
  };
  TOdpowiedzHaka WywolajOnBefore(int indeks);
  TOdpowiedzHaka WywolajOnAfter(int indeks);

  // The phases.
  void ImportujMagazyny();
  int ImportujTowary(std::int64_t id);
  int ImportujKontrahentow(std::int64_t id);
  int ImportujKontakty(std::int64_t id);
  void ImportujFakHead();
  int ImportujFakDetail(std::int64_t id);
  int ImportujFakWplaty(std::int64_t id);
  void UsunFaktury();
  void UsunWplaty();
  void ImportujZamHead();
  int ImportujZamDetail(std::int64_t id);
  void UsunZamowienia();
  void ImportujMagHead();
  void ImportujMagDetail();

 protected:
  TDMZQ& dmzq_;
  TDMImportSubiekt& dm_;

 private:
  void WykonajOperacje();
  void PelnyImport();
  TOdpowiedzHaka WywolajHak(const char* procedura, const char* etykieta, int indeks);
};
