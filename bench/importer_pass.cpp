#include "bench/importer_pass.h"

#include <chrono>
#include <stdexcept>

#include "app/formaty_procesu.h"
#include "app/komunikaty_okna.h"
#include "importcore/kanal_hosta.h"
#include "platform/odbc/query.h"
#include "subiektgt/kontrahenci.h"
#include "subiektgt/th_subiekt_imp.h"
#include "subiektgt/towary.h"

namespace bench {
namespace {

// The host's end of the channel: log lines are kept, the rest is dropped.
class LogKeepingChannel : public TKanalHosta {
 public:
  explicit LogKeepingChannel(std::vector<std::string>& lines) : lines_(lines) {}
  void Wyslij(std::uint32_t, std::int64_t, std::int64_t) override {}
  void WyslijTekst(std::uint32_t msg, const std::string& tekst) override {
    if (msg == WM_LOG_LINIA) lines_.push_back(tekst);
    if (msg == WM_BLAD) lines_.push_back("error: " + tekst);
  }
  void Kolejkuj(std::uint32_t, std::int64_t, std::int64_t) override {}

 private:
  std::vector<std::string>& lines_;
};

double SecondsSince(std::chrono::steady_clock::time_point start) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

ImporterRun::ImporterRun(const std::string& solvoPath, const std::string& dsn) {
  UstawFormatyProcesu();
  const std::size_t slash = solvoPath.rfind('/');
  dmzq_ = std::make_unique<TDMZQ>(
      TNazwaBazy{"localhost:", solvoPath.substr(0, slash + 1), solvoPath.substr(slash + 1)});
  dmzq_->DataModuleCreate();
  dmImport_ = std::make_unique<TDMImportSubiekt>(dmzq_->BazaDanych);

  opcje_.KonfiguracjaWczytana = true;
  opcje_.IdKonfImport = 5;
  opcje_.IdOddzialu = 1;
  opcje_.IdOperatora = 1;
  opcje_.WersjaZrodla = 1;
  opcje_.OkresAnalizy = 12;
  opcje_.Serwer = dsn;
  opcje_.Login = "subiekt";
  opcje_.Haslo = "subiekt";
  opcje_.Katalog1 = "/tmp/";
  opcje_.OpcjeImportu = 2 | 4;
  opcje_.AnalizaTowarow = true;
  opcje_.AnalizaKontrahentow = true;
  std::string blad;
  if (!dmImport_->PolaczZSubiektem(opcje_, blad, {}))
    throw std::runtime_error("cannot connect to " + dsn + ": " + blad);
}

PassResult ImporterRun::Pass(Phase phase) {
  PassResult result;
  TThSubiektImp watek(550, std::make_unique<LogKeepingChannel>(result.logLines), *dmzq_,
                      *dmImport_);
  watek.Opcje = opcje_;
  watek.IdOddzialu = opcje_.IdOddzialu;
  const auto start = std::chrono::steady_clock::now();
  const int wynik =
      phase == Phase::Products ? watek.ImportujTowary(-1) : watek.ImportujKontrahentow(-1);
  result.seconds = SecondsSince(start);
  for (const std::string& line : result.logLines) {
    if (line.rfind("error: ", 0) == 0) throw std::runtime_error("the pass failed: " + line);
  }
  (void)wynik;
  return result;
}

double ImporterRun::SourceReadSeconds(Phase phase) {
  odbc::Query q(&dmImport_->DB_Subiekt);
  q.SetSqlText(phase == Phase::Products ? ZapytanieTowarow({}, false)
                                        : ZapytanieKontrahentow(false));
  const auto start = std::chrono::steady_clock::now();
  q.Open();
  q.FetchAll();
  const double seconds = SecondsSince(start);
  q.Close();
  return seconds;
}

}  // namespace bench
