/* ======================================================================
   Products
   TOWARY: Solvo's products.  SKROTNAZWY is the product's code (the
   symbol in the source system), KOD its main bar code, KODTOWARU the
   supplier's code, SWW its PKWiU classification.  CENA0 to CENA4 are the
   net selling prices of the five price levels, CENAZAKUPU the net
   purchase price, ILOSC the stock.  VAT holds the rate as text ("23 %"),
   JM the unit of measure.  IDRODZAJ is the product kind: 0 goods,
   1 service, 2, 3 and 4 further kinds, -1 unknown.  MODYFIKATOR is the
   free description.

   SP_IMPORTUJTOWAR takes one product of an import and answers with the
   Solvo id and an outcome:
     0 added, 1 unchanged, 2 updated                   (OIDTOWAR = id)
   ====================================================================== */

SET SQL DIALECT 1;

CREATE TABLE TOWARY (
  ID                  INTEGER NOT NULL,
  SKROTNAZWY          VARCHAR(30),
  NAZWA               VARCHAR(250),
  KOD                 VARCHAR(50),
  KODTOWARU           VARCHAR(50),
  SWW                 VARCHAR(50),
  GRUPATOWAROWA       VARCHAR(80),
  PODGRUPA            VARCHAR(80),
  VAT                 VARCHAR(80),
  JM                  VARCHAR(80),
  IDRODZAJ            INTEGER,
  MODYFIKATOR         BLOB SUB_TYPE TEXT,
  /* prices */
  CENA0               DOUBLE PRECISION,
  CENA1               DOUBLE PRECISION,
  CENA2               DOUBLE PRECISION,
  CENA3               DOUBLE PRECISION,
  CENA4               DOUBLE PRECISION,
  CENAZAKUPU          DOUBLE PRECISION,
  MAXRABATPROC        DOUBLE PRECISION,
  /* stock */
  ILOSC               DOUBLE PRECISION,
  STANMIN             DOUBLE PRECISION,
  /* physical data */
  MASA                DOUBLE PRECISION,
  DLUGOSC             DOUBLE PRECISION,
  SZEROKOSC           DOUBLE PRECISION,
  WYSOKOSC            DOUBLE PRECISION,
  /* what the product is used for */
  HANDLOWY            SMALLINT,
  PROMOCYJNY          SMALLINT,
  SERWISOWY           SMALLINT,
  PRODUKCYJNY         SMALLINT,
  PRODUKT             SMALLINT,
  /* service and warranty */
  ILOSCDNI            INTEGER,
  IDFORMULY           INTEGER,
  WSPOLCZYNNIK        DOUBLE PRECISION,
  IDFORMULYGWAR       INTEGER,
  IDGWARANCJI         INTEGER,
  /* exchange with other systems: EXXID the partner system's id (-1
     none), SYNC 1 for a product that came from a synchronisation */
  EXXID               INTEGER,
  SYNC                SMALLINT,
  IDODDZIALU          INTEGER,
  USUNIETY            SMALLINT DEFAULT 0 NOT NULL,
  ARC                 INTEGER DEFAULT 0 NOT NULL,
  IDOPERATORA         INTEGER,
  DATAWPISU           DATE,
  IDMODYFIKUJACEGO    INTEGER,
  DATAMODYFIKACJI     DATE,
  CONSTRAINT PK_TOWARY PRIMARY KEY (ID)
);

/* Users look products up by code within a branch. */
CREATE INDEX IX_TOWARY_SKROTNAZWY ON TOWARY (SKROTNAZWY, IDODDZIALU);

CREATE GENERATOR GEN_TOWARY;

SET TERM ^ ;

/*
  One product of an import (source system AIDSYSTEM, source id
  AIDTOWARZEW, source version AWERSJAZRODLA), for the branch AIDODDZIALU.

  The product is found by its IMPEKSP link from an earlier import, and
  only by it: codes and names repeat in a source base (placeholder codes,
  products renamed), so two source products never meet in one Solvo
  product.

  A product found is updated by column groups:
    AOPCJE_TOWARYWSZYSTKIEDANE = 1   every column the import carries;
    otherwise the groups of ADODATKOWEOPCJE, one bit each:
        1  selling prices CENA0 to CENA4      8  VAT rate
        2  purchase price CENAZAKUPU         16  unit of measure
        4  stock ILOSC                       32  bar code KOD
                                             64  product kind IDRODZAJ
      Codes, names, group, description and the rest are the Solvo users'
      to keep then.
  2 when an allowed column differed, otherwise 1.  A product not found
  (or whose linked product is gone) is added (0).  Every product keeps
  (or gets) its IMPEKSP link, whose NUMERDOK follows ANUMERDOKZEW.

  AOPCJE_AKTUALIZACJI carries the whole update mask; its product bit
  arrives as AOPCJE_TOWARYWSZYSTKIEDANE.  AEDIT (0: not an edit by hand)
  and ASYNC (1: a synchronisation) describe the caller; SYNC keeps the
  latter.
*/
CREATE OR ALTER PROCEDURE SP_IMPORTUJTOWAR (
  AIDSYSTEM                   INTEGER,
  AIDODDZIALU                 INTEGER,
  AIDTABELITOWARY             INTEGER,
  AIDTABELITOWARYZEW          INTEGER,
  AIDTOWARZEW                 VARCHAR(100),
  ANUMERDOKZEW                VARCHAR(50),
  AWERSJAZRODLA               INTEGER,
  AKOD                        VARCHAR(50),
  ASKROTNAZWY                 VARCHAR(30),
  ANAZWA                      VARCHAR(250),
  AIDOPERATORA                INTEGER,
  AILOSCDNI                   INTEGER,
  AUSUNIETY                   INTEGER,
  AHANDLOWY                   INTEGER,
  APROMOCYJNY                 INTEGER,
  ACENA0                      DOUBLE PRECISION,
  ACENA1                      DOUBLE PRECISION,
  ACENA2                      DOUBLE PRECISION,
  ACENA3                      DOUBLE PRECISION,
  ACENA4                      DOUBLE PRECISION,
  ASERWISOWY                  INTEGER,
  AARC                        INTEGER,
  AEDIT                       INTEGER,
  ASWW                        VARCHAR(50),
  AILOSC                      DOUBLE PRECISION,
  AKODTOWARU                  VARCHAR(50),
  APRODUKCYJNY                INTEGER,
  AMASA                       DOUBLE PRECISION,
  ADLUGOSC                    DOUBLE PRECISION,
  ASZEROKOSC                  DOUBLE PRECISION,
  AWYSOKOSC                   DOUBLE PRECISION,
  ASYNC                       INTEGER,
  AEXXID                      INTEGER,
  AIDFORMULY                  INTEGER,
  AWSPOLCZYNNIK               DOUBLE PRECISION,
  AIDFORMULYGWAR              INTEGER,
  ACENAZAKUPU                 DOUBLE PRECISION,
  APRODUKT                    INTEGER,
  AIDGWARANCJI                INTEGER,
  AGRUPATOWAROWA              VARCHAR(80),
  APODGRUPA                   VARCHAR(80),
  AVAT                        VARCHAR(80),
  AJM                         VARCHAR(80),
  AOPCJE_TOWARYWSZYSTKIEDANE  SMALLINT,
  AOPCJE_AKTUALIZACJI         INTEGER,
  ASTANMIN                    DOUBLE PRECISION,
  ADODATKOWEOPCJE             INTEGER,
  AMODYFIKATOR                BLOB SUB_TYPE TEXT,
  AMAXRABATPROC               DOUBLE PRECISION,
  AIDRODZAJ                   INTEGER)
RETURNS (
  OIDTOWAR                    INTEGER,
  OAKCJA                      SMALLINT)
AS
DECLARE VARIABLE VID INTEGER;
DECLARE VARIABLE VIDIMPEKSP INTEGER;
DECLARE VARIABLE VWSZYSTKIE SMALLINT;
DECLARE VARIABLE VCENY SMALLINT;
DECLARE VARIABLE VCENAZAKUPU SMALLINT;
DECLARE VARIABLE VSTAN SMALLINT;
DECLARE VARIABLE VVAT SMALLINT;
DECLARE VARIABLE VJM SMALLINT;
DECLARE VARIABLE VKOD SMALLINT;
DECLARE VARIABLE VRODZAJ SMALLINT;
DECLARE VARIABLE VOPCJE INTEGER;
BEGIN
  OIDTOWAR = -1;
  OAKCJA = NULL;

  /* The link of an earlier import. */
  SELECT FIRST 1 I.IDIMPEKSP, T.ID
    FROM IMPEKSP I
    LEFT JOIN TOWARY T ON T.ID = I.IDLICZ
   WHERE I.IDSYSTEMOUT = :AIDSYSTEM
     AND I.IDTABELI = :AIDTABELITOWARY
     AND I.IDOUT = :AIDTOWARZEW
     AND I.WERSJAZRODLA = :AWERSJAZRODLA
   /* "+ 0": the few matches of the index are sorted; a plain IDIMPEKSP
      would walk the whole primary key in order, a cost that grows with
      every import. */
   ORDER BY I.IDIMPEKSP + 0
    INTO :VIDIMPEKSP, :VID;

  IF (VID IS NULL) THEN
  BEGIN
    /* A new product. */
    VID = GEN_ID(GEN_TOWARY, 1);
    INSERT INTO TOWARY (
      ID, SKROTNAZWY, NAZWA, KOD, KODTOWARU, SWW, GRUPATOWAROWA, PODGRUPA,
      VAT, JM, IDRODZAJ, MODYFIKATOR,
      CENA0, CENA1, CENA2, CENA3, CENA4, CENAZAKUPU, MAXRABATPROC,
      ILOSC, STANMIN, MASA, DLUGOSC, SZEROKOSC, WYSOKOSC,
      HANDLOWY, PROMOCYJNY, SERWISOWY, PRODUKCYJNY, PRODUKT,
      ILOSCDNI, IDFORMULY, WSPOLCZYNNIK, IDFORMULYGWAR, IDGWARANCJI,
      EXXID, SYNC, IDODDZIALU, USUNIETY, ARC, IDOPERATORA, DATAWPISU)
    VALUES (
      :VID, :ASKROTNAZWY, :ANAZWA, :AKOD, :AKODTOWARU, :ASWW, :AGRUPATOWAROWA,
      :APODGRUPA, :AVAT, :AJM, :AIDRODZAJ, :AMODYFIKATOR,
      :ACENA0, :ACENA1, :ACENA2, :ACENA3, :ACENA4, :ACENAZAKUPU, :AMAXRABATPROC,
      :AILOSC, :ASTANMIN, :AMASA, :ADLUGOSC, :ASZEROKOSC, :AWYSOKOSC,
      :AHANDLOWY, :APROMOCYJNY, :ASERWISOWY, :APRODUKCYJNY, :APRODUKT,
      :AILOSCDNI, :AIDFORMULY, :AWSPOLCZYNNIK, :AIDFORMULYGWAR, :AIDGWARANCJI,
      :AEXXID, :ASYNC, :AIDODDZIALU, COALESCE(:AUSUNIETY, 0), COALESCE(:AARC, 0),
      :AIDOPERATORA, CURRENT_TIMESTAMP);
    OAKCJA = 0;
  END
  ELSE
  BEGIN
    /* A product found: only the allowed groups may change. */
    VWSZYSTKIE = IIF(COALESCE(AOPCJE_TOWARYWSZYSTKIEDANE, 0) = 1, 1, 0);
    VOPCJE = COALESCE(ADODATKOWEOPCJE, 0);
    VCENY       = IIF(VWSZYSTKIE = 1 OR BIN_AND(VOPCJE, 1) <> 0, 1, 0);
    VCENAZAKUPU = IIF(VWSZYSTKIE = 1 OR BIN_AND(VOPCJE, 2) <> 0, 1, 0);
    VSTAN       = IIF(VWSZYSTKIE = 1 OR BIN_AND(VOPCJE, 4) <> 0, 1, 0);
    VVAT        = IIF(VWSZYSTKIE = 1 OR BIN_AND(VOPCJE, 8) <> 0, 1, 0);
    VJM         = IIF(VWSZYSTKIE = 1 OR BIN_AND(VOPCJE, 16) <> 0, 1, 0);
    VKOD        = IIF(VWSZYSTKIE = 1 OR BIN_AND(VOPCJE, 32) <> 0, 1, 0);
    VRODZAJ     = IIF(VWSZYSTKIE = 1 OR BIN_AND(VOPCJE, 64) <> 0, 1, 0);

    UPDATE TOWARY SET
      CENA0 = IIF(:VCENY = 1, :ACENA0, CENA0),
      CENA1 = IIF(:VCENY = 1, :ACENA1, CENA1),
      CENA2 = IIF(:VCENY = 1, :ACENA2, CENA2),
      CENA3 = IIF(:VCENY = 1, :ACENA3, CENA3),
      CENA4 = IIF(:VCENY = 1, :ACENA4, CENA4),
      CENAZAKUPU = IIF(:VCENAZAKUPU = 1, :ACENAZAKUPU, CENAZAKUPU),
      ILOSC = IIF(:VSTAN = 1, :AILOSC, ILOSC),
      VAT = IIF(:VVAT = 1, :AVAT, VAT),
      JM = IIF(:VJM = 1, :AJM, JM),
      KOD = IIF(:VKOD = 1, :AKOD, KOD),
      IDRODZAJ = IIF(:VRODZAJ = 1, :AIDRODZAJ, IDRODZAJ),
      SKROTNAZWY = IIF(:VWSZYSTKIE = 1, :ASKROTNAZWY, SKROTNAZWY),
      NAZWA = IIF(:VWSZYSTKIE = 1, :ANAZWA, NAZWA),
      KODTOWARU = IIF(:VWSZYSTKIE = 1, :AKODTOWARU, KODTOWARU),
      SWW = IIF(:VWSZYSTKIE = 1, :ASWW, SWW),
      GRUPATOWAROWA = IIF(:VWSZYSTKIE = 1, :AGRUPATOWAROWA, GRUPATOWAROWA),
      PODGRUPA = IIF(:VWSZYSTKIE = 1, :APODGRUPA, PODGRUPA),
      MODYFIKATOR = IIF(:VWSZYSTKIE = 1, :AMODYFIKATOR, MODYFIKATOR),
      MAXRABATPROC = IIF(:VWSZYSTKIE = 1, :AMAXRABATPROC, MAXRABATPROC),
      STANMIN = IIF(:VWSZYSTKIE = 1, :ASTANMIN, STANMIN),
      MASA = IIF(:VWSZYSTKIE = 1, :AMASA, MASA),
      DLUGOSC = IIF(:VWSZYSTKIE = 1, :ADLUGOSC, DLUGOSC),
      SZEROKOSC = IIF(:VWSZYSTKIE = 1, :ASZEROKOSC, SZEROKOSC),
      WYSOKOSC = IIF(:VWSZYSTKIE = 1, :AWYSOKOSC, WYSOKOSC),
      HANDLOWY = IIF(:VWSZYSTKIE = 1, :AHANDLOWY, HANDLOWY),
      PROMOCYJNY = IIF(:VWSZYSTKIE = 1, :APROMOCYJNY, PROMOCYJNY),
      SERWISOWY = IIF(:VWSZYSTKIE = 1, :ASERWISOWY, SERWISOWY),
      PRODUKCYJNY = IIF(:VWSZYSTKIE = 1, :APRODUKCYJNY, PRODUKCYJNY),
      PRODUKT = IIF(:VWSZYSTKIE = 1, :APRODUKT, PRODUKT),
      ILOSCDNI = IIF(:VWSZYSTKIE = 1, :AILOSCDNI, ILOSCDNI),
      IDFORMULY = IIF(:VWSZYSTKIE = 1, :AIDFORMULY, IDFORMULY),
      WSPOLCZYNNIK = IIF(:VWSZYSTKIE = 1, :AWSPOLCZYNNIK, WSPOLCZYNNIK),
      IDFORMULYGWAR = IIF(:VWSZYSTKIE = 1, :AIDFORMULYGWAR, IDFORMULYGWAR),
      IDGWARANCJI = IIF(:VWSZYSTKIE = 1, :AIDGWARANCJI, IDGWARANCJI),
      USUNIETY = IIF(:VWSZYSTKIE = 1, COALESCE(:AUSUNIETY, 0), USUNIETY),
      ARC = IIF(:VWSZYSTKIE = 1, COALESCE(:AARC, 0), ARC),
      IDMODYFIKUJACEGO = :AIDOPERATORA,
      DATAMODYFIKACJI = CURRENT_TIMESTAMP
     WHERE ID = :VID
       AND (   (:VCENY = 1 AND (   CENA0 IS DISTINCT FROM :ACENA0
                                OR CENA1 IS DISTINCT FROM :ACENA1
                                OR CENA2 IS DISTINCT FROM :ACENA2
                                OR CENA3 IS DISTINCT FROM :ACENA3
                                OR CENA4 IS DISTINCT FROM :ACENA4))
            OR (:VCENAZAKUPU = 1 AND CENAZAKUPU IS DISTINCT FROM :ACENAZAKUPU)
            OR (:VSTAN = 1 AND ILOSC IS DISTINCT FROM :AILOSC)
            OR (:VVAT = 1 AND VAT IS DISTINCT FROM :AVAT)
            OR (:VJM = 1 AND JM IS DISTINCT FROM :AJM)
            OR (:VKOD = 1 AND KOD IS DISTINCT FROM :AKOD)
            OR (:VRODZAJ = 1 AND IDRODZAJ IS DISTINCT FROM :AIDRODZAJ)
            OR (:VWSZYSTKIE = 1 AND (   SKROTNAZWY IS DISTINCT FROM :ASKROTNAZWY
                                     OR NAZWA IS DISTINCT FROM :ANAZWA
                                     OR KODTOWARU IS DISTINCT FROM :AKODTOWARU
                                     OR SWW IS DISTINCT FROM :ASWW
                                     OR GRUPATOWAROWA IS DISTINCT FROM :AGRUPATOWAROWA
                                     OR PODGRUPA IS DISTINCT FROM :APODGRUPA
                                     OR MODYFIKATOR IS DISTINCT FROM :AMODYFIKATOR
                                     OR MAXRABATPROC IS DISTINCT FROM :AMAXRABATPROC
                                     OR STANMIN IS DISTINCT FROM :ASTANMIN
                                     OR MASA IS DISTINCT FROM :AMASA
                                     OR DLUGOSC IS DISTINCT FROM :ADLUGOSC
                                     OR SZEROKOSC IS DISTINCT FROM :ASZEROKOSC
                                     OR WYSOKOSC IS DISTINCT FROM :AWYSOKOSC
                                     OR HANDLOWY IS DISTINCT FROM :AHANDLOWY
                                     OR PROMOCYJNY IS DISTINCT FROM :APROMOCYJNY
                                     OR SERWISOWY IS DISTINCT FROM :ASERWISOWY
                                     OR PRODUKCYJNY IS DISTINCT FROM :APRODUKCYJNY
                                     OR PRODUKT IS DISTINCT FROM :APRODUKT
                                     OR ILOSCDNI IS DISTINCT FROM :AILOSCDNI
                                     OR IDFORMULY IS DISTINCT FROM :AIDFORMULY
                                     OR WSPOLCZYNNIK IS DISTINCT FROM :AWSPOLCZYNNIK
                                     OR IDFORMULYGWAR IS DISTINCT FROM :AIDFORMULYGWAR
                                     OR IDGWARANCJI IS DISTINCT FROM :AIDGWARANCJI
                                     OR USUNIETY IS DISTINCT FROM COALESCE(:AUSUNIETY, 0)
                                     OR ARC IS DISTINCT FROM COALESCE(:AARC, 0))));
    OAKCJA = IIF(ROW_COUNT > 0, 2, 1);
  END

  /* The link: kept, repointed to a product added in place of a lost one,
     or made. */
  IF (VIDIMPEKSP IS NULL) THEN
    INSERT INTO IMPEKSP (IDIMPEKSP, IDLICZ, IDTABELI, IDOUT, IDSYSTEMOUT,
                         WERSJAZRODLA, NUMERDOK, IDODDZIALU, DATAWPISU)
    VALUES (GEN_ID(IDIMPEKSP_ID, 1), :VID, :AIDTABELITOWARY, :AIDTOWARZEW,
            :AIDSYSTEM, :AWERSJAZRODLA, :ANUMERDOKZEW, :AIDODDZIALU,
            CURRENT_TIMESTAMP);
  ELSE
    UPDATE IMPEKSP SET IDLICZ = :VID, NUMERDOK = :ANUMERDOKZEW
     WHERE IDIMPEKSP = :VIDIMPEKSP
       AND (IDLICZ IS DISTINCT FROM :VID OR NUMERDOK IS DISTINCT FROM :ANUMERDOKZEW);

  OIDTOWAR = VID;
END^

SET TERM ; ^

COMMIT;
