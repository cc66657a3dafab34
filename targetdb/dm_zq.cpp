#include "targetdb/dm_zq.h"

#include "targetdb/init_connection.h"
#include "targetdb/transakcje.h"

TDMZQ::TDMZQ(TNazwaBazy nazwa, TPassDM& pass)
    : Transaction(&BazaDanych, fb::EndAction::Commit),
      TransactionR(&BazaDanych, fb::EndAction::Commit),
      T_BLOKADY(&BazaDanych, fb::EndAction::Rollback),
      QueryR(&BazaDanych, &TransactionR),
      SP_ZALOZBLOKADE(&BazaDanych, &T_BLOKADY, "SP_ZALOZBLOKADE"),
      IBSP_BeforeAfter(&BazaDanych, &Transaction),
      IBSPTW(&BazaDanych, &Transaction, "SP_IMPORTUJTOWAR"),
      IBSPKH(&BazaDanych, &Transaction, "SP_IMPORTUJKONTRAHENTA"),
      IBSPKO(&BazaDanych, &Transaction, "SP_IMPORTKONTAKTY"),
      IBSPSL(&BazaDanych, &Transaction, "SP_WYDAJDODAJPOZYCJESLOWNIKA"),
      UpdateSlownik(&BazaDanych, &Transaction),
      nazwa_(std::move(nazwa)),
      pass_(pass) {
  BazaDanych.sqlDialect = 1;
  TransactionR.params = {"read_committed", "rec_version", "nowait"};
  T_BLOKADY.params = {"read_committed", "rec_version", "nowait"};
  QueryR.SetSql({"select 1 from operator"});
  UpdateSlownik.SetSql(
      {"UPDATE SLOWNIK", "SET INFOSTRING = :INFOSTRING", "WHERE ID = :ID", "AND INFOSTRING <> :INFOSTRING"});
  BazaDanych.beforeConnect = [this](fb::Database& baza) {
    baza.databaseName = nazwa_.DBHOST + nazwa_.DBPATH + nazwa_.DBFILE;
  };
  BazaDanych.afterConnect = [this](fb::Database&) { TestDB(); };
}

void TDMZQ::DataModuleCreate() {
  BazaDanych.params.clear();
  pass_.PobierzHasloSysdba(nazwa_.DBHOST, nazwa_.DBPATH + nazwa_.DBFILE);
  BazaDanych.params = {"user_name=sysdba", "password=" + pass_.HasloSysdba(), "lc_ctype=WIN1250"};
  Transaction.params = {"read_committed", "rec_version", "wait"};
  // A local server that does not answer is not started from here: outside
  // Windows the server runs as a system service of its own.
  BazaDanych.Open();
  InitConnection(BazaDanych, "SOLVO ZQ - DATA");
}

void TDMZQ::TestDB() {
  StartujTransakcje(TransactionR);
  QueryR.Open();
  QueryR.Close();
  TransactionR.Commit();
}
