#include "app/konfiguracja.h"

#include "platform/text/win1250.h"

void WczytajKonfiguracje(fb::Query& IBQ_KONFIMPORT, TOpcjeGImp& Opcje) {
  IBQ_KONFIMPORT.Close();
  IBQ_KONFIMPORT.SetSqlText(kZapytanieKonfImport);
  IBQ_KONFIMPORT.ParamByName("aIDKONFIMPORT").SetInteger(Opcje.IdKonfImport);
  IBQ_KONFIMPORT.Open();
  if (IBQ_KONFIMPORT.Eof()) {
    IBQ_KONFIMPORT.Close();
    return;
  }
  auto pole = [&](const char* nazwa) -> const fb::Value& {
    return IBQ_KONFIMPORT.FieldByName(nazwa);
  };
  DekodujOpcje(pole("OPCJE").AsInteger(), pole("OPCJEIMPORTU").AsInteger(),
               pole("OPCJEAKTUALIZACJI").AsInteger(), Opcje);
  Opcje.Katalog1 = pole("KATALOG1").AsString();
  Opcje.Katalog2 = pole("KATALOG2").AsString();
  Opcje.NazwaSkrotKon = pole("NAZWASKROTKON").AsString();
  Opcje.WersjaZrodla = pole("WERSJAZRODLA").AsInteger();
  Opcje.IdOperatora = pole("IDOPERATORA").AsInteger();
  Opcje.Serwer = pole("SERWER").AsString();
  Opcje.Sciezka = text::Trim(pole("SCIEZKA").AsString());
  Opcje.JestSciezka = !Opcje.Sciezka.empty();
  Opcje.Login = pole("LOGIN").AsString();
  Opcje.Haslo = pole("HASLO").AsString();
  Opcje.IdOddzialu = pole("IDODDZIALU").AsInteger();
  Opcje.DataOstatniego = pole("DATAOSTATNIEGO").AsDateTime();
  Opcje.DataNastepnego = pole("DATANASTEPNEGO").AsDateTime();
  Opcje.InterwalAutoImp = pole("INTERWALAUTOIMP").AsDateTime();
  Opcje.OkresAnalizy = pole("OKRESANALIZY").AsInteger();
  Opcje.MagazynDef = pole("MAGAZYNDEF").AsString();
  Opcje.KonfiguracjaWczytana = true;
  IBQ_KONFIMPORT.Close();
}
