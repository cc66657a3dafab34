/*
  Solvo database: the objects the importer works with.

  For a dialect 1 database with the default character set WIN1250.  Run it
  with isql-fb -ch UTF8 right after CREATE DATABASE (scripts/solvo-db does
  this); the texts below are written in UTF-8 and stored as WIN1250.

  Dialect 1 notes: DATE holds a date and a time (a timestamp), and double
  quotes delimit strings, not identifiers.

  Every column a procedure looks a row up by carries an index: the import
  procedures are called once per record, and an unindexed lookup makes a
  large import quadratic.
*/

SET SQL DIALECT 1;


/* ======================================================================
   Operators
   Solvo users in whose name data is written (KONFIMPORT.IDOPERATORA).
   The importer's connection test reads this table.
   ====================================================================== */

CREATE TABLE OPERATOR (
  IDOPERATORA     INTEGER NOT NULL,
  LOGIN           VARCHAR(31),
  NAZWA           VARCHAR(80),
  IMIE            VARCHAR(40),
  NAZWISKO        VARCHAR(60),
  EMAIL           VARCHAR(80),
  IDODDZIALU      INTEGER,
  AKTYWNY         SMALLINT DEFAULT 1,
  DATAWPISU       DATE,
  CONSTRAINT PK_OPERATOR PRIMARY KEY (IDOPERATORA)
);


/* ======================================================================
   Parameters and database copy number
   PARAMETRY holds named settings, one value per database copy
   (IDREPKOPIE).  BAZA_NR is the number of this copy: its current value,
   GEN_ID(BAZA_NR, 0), selects the rows that belong to this database.
   The administrator password of the server is kept here as
   C_KNF_SYSDBA_PASSWORD (written by scripts/solvo-db, not by this script).
   ====================================================================== */

CREATE TABLE PARAMETRY (
  NAME            VARCHAR(80) NOT NULL,
  IDREPKOPIE      INTEGER NOT NULL,
  WARTSTRING      VARCHAR(250),
  WARTINT         INTEGER,
  WARTFLOAT       DOUBLE PRECISION,
  WARTDATA        DATE,
  OPIS            VARCHAR(255),
  DATAMODYFIKACJI DATE,
  CONSTRAINT PK_PARAMETRY PRIMARY KEY (NAME, IDREPKOPIE)
);

CREATE GENERATOR BAZA_NR;
SET GENERATOR BAZA_NR TO 1;


/* ======================================================================
   Import configuration
   One row per configured import; the host maintains it, the importer
   reads one row at the start of a run and writes the run times back.
   INTERWALAUTOIMP holds a length of time as a date-time value (days
   counted from 30 December 1899).  MAGAZYNDEF lists warehouse symbols
   separated by commas.
   ====================================================================== */

CREATE TABLE KONFIMPORT (
  IDKONFIMPORT      INTEGER NOT NULL,
  IDODDZIALU        INTEGER,
  TYPPROGRAMU       INTEGER,
  AKTYWNY           INTEGER,
  SERWER            VARCHAR(255),
  SCIEZKA           VARCHAR(255),
  NAZWAPLIKU        VARCHAR(255),
  LOGIN             VARCHAR(255),
  HASLO             VARCHAR(255),
  OPCJE             INTEGER,
  OPCJEIMPORTU      INTEGER,
  OPCJEAKTUALIZACJI INTEGER,
  NAZWASKROTKON     VARCHAR(255),
  KATALOG1          VARCHAR(255),
  KATALOG2          VARCHAR(255),
  DATANASTEPNEGO    DATE,
  INTERWALAUTOIMP   DATE,
  JESTURUCHOMIONY   SMALLINT,
  DATAOSTATNIEGO    DATE,
  IDSESJI           INTEGER,
  DATAURUCHOMIENA   DATE,
  DATAWPISU         DATE,
  IDOPERATORA       INTEGER,
  DATAMODYFIKACJI   DATE,
  IDMODYFIKUJACEGO  INTEGER,
  OKRESANALIZY      INTEGER,
  WERSJAZRODLA      INTEGER,
  NAZWASTACJI       VARCHAR(50),
  MAGAZYNDEF        BLOB SUB_TYPE TEXT,
  CONSTRAINT PK_KONFIMPORT PRIMARY KEY (IDKONFIMPORT)
);


/* ======================================================================
   Connection registration
   Every client registers its connection once it is attached:
   SELECT ORESULT, OMESSAGE FROM SP_INITCONNECTION(version, computer,
   application, mode).  One row per call in POLACZENIA, with the server's
   own view of the caller (user, attachment number, time).  Mode 0 is an
   ordinary client connection; the value is recorded as given.
   ====================================================================== */

CREATE TABLE POLACZENIA (
  IDPOLACZENIA    INTEGER NOT NULL,
  WERSJA          VARCHAR(30),
  KOMPUTER        VARCHAR(80),
  APLIKACJA       VARCHAR(80),
  TRYB            INTEGER,
  UZYTKOWNIK      VARCHAR(63),
  DATACZAS        DATE,
  NRPOLACZENIA    INTEGER,
  CONSTRAINT PK_POLACZENIA PRIMARY KEY (IDPOLACZENIA)
);

/* SP_ZALOZBLOKADE finds the registration of the current attachment. */
CREATE INDEX IX_POLACZENIA_NRPOLACZENIA ON POLACZENIA (NRPOLACZENIA);

CREATE GENERATOR GEN_POLACZENIA;

SET TERM ^ ;

CREATE OR ALTER PROCEDURE SP_INITCONNECTION (
  AWERSJA    VARCHAR(30),
  AKOMPUTER  VARCHAR(80),
  AAPLIKACJA VARCHAR(80),
  ATRYB      INTEGER)
RETURNS (
  ORESULT    INTEGER,
  OMESSAGE   VARCHAR(255))
AS
BEGIN
  INSERT INTO POLACZENIA (IDPOLACZENIA, WERSJA, KOMPUTER, APLIKACJA, TRYB,
                          UZYTKOWNIK, DATACZAS, NRPOLACZENIA)
  VALUES (GEN_ID(GEN_POLACZENIA, 1), :AWERSJA, :AKOMPUTER, :AAPLIKACJA, :ATRYB,
          CURRENT_USER, CURRENT_TIMESTAMP, CAST(CURRENT_CONNECTION AS INTEGER));

  ORESULT = 1;
  OMESSAGE = 'Połączenie zarejestrowane';
  SUSPEND;
END^

SET TERM ; ^


/* ======================================================================
   Object locks
   One row of BLOKADY per lock on one object (kind TYPOBIEKTU, id
   IDOBIEKTU), held by one host session (IDSESJI).  At most one lock per
   object: the unique key settles two sessions asking at the same moment
   (the later one fails, which counts as a refusal).
   Object kinds in use: 105 = import configuration (KONFIMPORT).
   SP_ZALOZBLOKADE takes a lock, SP_USUNBLOKADE releases it.
   ====================================================================== */

CREATE TABLE BLOKADY (
  IDBLOKADY       INTEGER NOT NULL,
  TYPOBIEKTU      INTEGER NOT NULL,
  IDOBIEKTU       INTEGER NOT NULL,
  IDSESJI         INTEGER,
  OPERATOR        VARCHAR(63),
  DATACZASBLOKADY DATE,
  OPIS            VARCHAR(255),
  CONSTRAINT PK_BLOKADY PRIMARY KEY (IDBLOKADY),
  CONSTRAINT UQ_BLOKADY_OBIEKT UNIQUE (TYPOBIEKTU, IDOBIEKTU)
);

CREATE GENERATOR GEN_BLOKADY;

SET TERM ^ ;

/*
  Takes the lock on object (ATYPOBIEKTU, AIDOBIEKTU) for session AIDSESJI.
    - no lock on the object: a new lock; OIDBLOKADY = its id (> 0);
    - the same session holds it already: OIDBLOKADY = that lock's id;
    - another session holds it: OIDBLOKADY = 0 (refused).
  The other outputs always describe the lock row: holding session,
  operator (database user), time taken and a description of the holder.
*/
CREATE OR ALTER PROCEDURE SP_ZALOZBLOKADE (
  ATYPOBIEKTU      INTEGER,
  AIDOBIEKTU       INTEGER,
  AIDSESJI         INTEGER)
RETURNS (
  OIDBLOKADY       INTEGER,
  OIDSESJI         INTEGER,
  OOPERATOR        VARCHAR(63),
  ODATACZASBLOKADY DATE,
  OOPIS            VARCHAR(255))
AS
DECLARE VARIABLE VIDBLOKADY INTEGER;
DECLARE VARIABLE VAPLIKACJA VARCHAR(80);
DECLARE VARIABLE VKOMPUTER VARCHAR(80);
BEGIN
  OIDBLOKADY = 0;

  SELECT B.IDBLOKADY, B.IDSESJI, B.OPERATOR, B.DATACZASBLOKADY, B.OPIS
    FROM BLOKADY B
   WHERE B.TYPOBIEKTU = :ATYPOBIEKTU
     AND B.IDOBIEKTU = :AIDOBIEKTU
    INTO :VIDBLOKADY, :OIDSESJI, :OOPERATOR, :ODATACZASBLOKADY, :OOPIS;

  IF (VIDBLOKADY IS NOT NULL) THEN
  BEGIN
    /* Held already: the holder itself gets its lock back, others nothing. */
    IF (OIDSESJI IS NOT DISTINCT FROM AIDSESJI) THEN
      OIDBLOKADY = VIDBLOKADY;
    EXIT;
  END

  /* Describe the holder by the registration of this attachment. */
  SELECT FIRST 1 P.APLIKACJA, P.KOMPUTER
    FROM POLACZENIA P
   WHERE P.NRPOLACZENIA = CAST(CURRENT_CONNECTION AS INTEGER)
   ORDER BY P.IDPOLACZENIA DESC
    INTO :VAPLIKACJA, :VKOMPUTER;

  OIDBLOKADY = GEN_ID(GEN_BLOKADY, 1);
  OIDSESJI = AIDSESJI;
  OOPERATOR = CURRENT_USER;
  ODATACZASBLOKADY = CURRENT_TIMESTAMP;
  OOPIS = 'Sesja ' || COALESCE(CAST(AIDSESJI AS VARCHAR(11)), '?')
       || ', połączenie ' || CAST(CURRENT_CONNECTION AS INTEGER)
       || COALESCE(', ' || VAPLIKACJA, '')
       || COALESCE(' @ ' || VKOMPUTER, '');

  INSERT INTO BLOKADY (IDBLOKADY, TYPOBIEKTU, IDOBIEKTU, IDSESJI, OPERATOR,
                       DATACZASBLOKADY, OPIS)
  VALUES (:OIDBLOKADY, :ATYPOBIEKTU, :AIDOBIEKTU, :AIDSESJI, :OOPERATOR,
          :ODATACZASBLOKADY, :OOPIS);
END^

/* Releases a lock by its id; an unknown id is not an error. */
CREATE OR ALTER PROCEDURE SP_USUNBLOKADE (
  AIDBLOKADY INTEGER)
AS
BEGIN
  DELETE FROM BLOKADY WHERE IDBLOKADY = :AIDBLOKADY;
END^

SET TERM ; ^


/* ======================================================================
   Dictionary
   SLOWNIK holds the entries of Solvo's dictionaries, one type per
   dictionary (IDTYPU; 18 = warehouses), per branch.  INFOSTRING carries a
   short code beside the name (a warehouse's symbol); it is never NULL, so
   that "INFOSTRING <> :symbol" also holds for an entry just added.
   SP_WYDAJDODAJPOZYCJESLOWNIKA returns the entry of a type with a given
   name in a branch, adding it when there is none.
   ====================================================================== */

CREATE TABLE SLOWNIK (
  ID              INTEGER NOT NULL,
  IDTYPU          INTEGER NOT NULL,
  NAZWA           VARCHAR(80) NOT NULL,
  INFOSTRING      VARCHAR(80) DEFAULT '' NOT NULL,
  IDODDZIALU      INTEGER,
  IDOPERATORA     INTEGER,
  DATAWPISU       DATE,
  CONSTRAINT PK_SLOWNIK PRIMARY KEY (ID)
);

/* The procedure looks entries up by type, branch and name. */
CREATE INDEX IX_SLOWNIK_TYP_NAZWA ON SLOWNIK (IDTYPU, IDODDZIALU, NAZWA);

CREATE GENERATOR GEN_SLOWNIK;

SET TERM ^ ;

CREATE OR ALTER PROCEDURE SP_WYDAJDODAJPOZYCJESLOWNIKA (
  AIDTYPU      INTEGER,
  ANAZWA       VARCHAR(80),
  AIDODDZIALU  INTEGER,
  AIDOPERATORA INTEGER)
RETURNS (
  AID          INTEGER)
AS
BEGIN
  AID = NULL;
  SELECT FIRST 1 ID FROM SLOWNIK
  WHERE IDTYPU = :AIDTYPU AND NAZWA = :ANAZWA
    AND IDODDZIALU IS NOT DISTINCT FROM :AIDODDZIALU
  ORDER BY ID
  INTO :AID;

  IF (AID IS NULL) THEN
  BEGIN
    AID = GEN_ID(GEN_SLOWNIK, 1);
    INSERT INTO SLOWNIK (ID, IDTYPU, NAZWA, IDODDZIALU, IDOPERATORA, DATAWPISU)
    VALUES (:AID, :AIDTYPU, :ANAZWA, :AIDODDZIALU, :AIDOPERATORA, CURRENT_TIMESTAMP);
  END
END^

SET TERM ; ^


/* ======================================================================
   Customers
   KONTRAHENT, with the customer import SP_IMPORTUJKONTRAHENTA, is made
   by 30-kontrahenci.sql.
   ====================================================================== */


/* ======================================================================
   Import hooks
   Before and after an import phase the importer asks
   SP_ON_BEFORE_I<suffix> and SP_ON_AFTER_I<suffix> (suffix _FAKHEAD for
   invoice headers) with the configuration id; bit 0 of the before-hook's
   ORESULT set skips the phase.  The answers come from HAKI_IMPORTU: a row
   for the procedure's name and the configuration (or IDKONFIMPORT NULL
   for every configuration); no row means ORESULT 0.
   ====================================================================== */

CREATE TABLE HAKI_IMPORTU (
  NAZWAPROCEDURY  VARCHAR(63) NOT NULL,
  IDKONFIMPORT    INTEGER,
  ORESULT         INTEGER NOT NULL,
  OMESSAGE        VARCHAR(255)
);

SET TERM ^ ;

CREATE OR ALTER PROCEDURE SP_ON_BEFORE_I_FAKHEAD (
  AIDKONFIMPORT INTEGER)
RETURNS (
  ORESULT  INTEGER,
  OMESSAGE VARCHAR(255))
AS
BEGIN
  ORESULT = 0;
  OMESSAGE = '';
  SELECT FIRST 1 ORESULT, COALESCE(OMESSAGE, '') FROM HAKI_IMPORTU
  WHERE NAZWAPROCEDURY = 'SP_ON_BEFORE_I_FAKHEAD'
    AND (IDKONFIMPORT = :AIDKONFIMPORT OR IDKONFIMPORT IS NULL)
  ORDER BY IDKONFIMPORT NULLS LAST
  INTO :ORESULT, :OMESSAGE;
  SUSPEND;
END^

CREATE OR ALTER PROCEDURE SP_ON_AFTER_I_FAKHEAD (
  AIDKONFIMPORT INTEGER)
RETURNS (
  ORESULT  INTEGER,
  OMESSAGE VARCHAR(255))
AS
BEGIN
  ORESULT = 0;
  OMESSAGE = '';
  SELECT FIRST 1 ORESULT, COALESCE(OMESSAGE, '') FROM HAKI_IMPORTU
  WHERE NAZWAPROCEDURY = 'SP_ON_AFTER_I_FAKHEAD'
    AND (IDKONFIMPORT = :AIDKONFIMPORT OR IDKONFIMPORT IS NULL)
  ORDER BY IDKONFIMPORT NULLS LAST
  INTO :ORESULT, :OMESSAGE;
  SUSPEND;
END^

SET TERM ; ^


/* ======================================================================
   Users and rights
   PLANER is the bootstrap account: it reads the administrator password
   from PARAMETRY and registers its connection, nothing more.  Its
   password is fixed; the importer carries it by design.
   Procedures get the rights on what they touch, so that they also work
   for callers without rights of their own.
   ====================================================================== */

CREATE OR ALTER USER PLANER PASSWORD 'tubemx7093';

GRANT SELECT ON PARAMETRY TO USER PLANER;
GRANT USAGE ON GENERATOR BAZA_NR TO USER PLANER;
GRANT EXECUTE ON PROCEDURE SP_INITCONNECTION TO USER PLANER;

GRANT INSERT ON POLACZENIA TO PROCEDURE SP_INITCONNECTION;
GRANT USAGE ON GENERATOR GEN_POLACZENIA TO PROCEDURE SP_INITCONNECTION;

GRANT SELECT, INSERT ON BLOKADY TO PROCEDURE SP_ZALOZBLOKADE;
GRANT SELECT ON POLACZENIA TO PROCEDURE SP_ZALOZBLOKADE;
GRANT USAGE ON GENERATOR GEN_BLOKADY TO PROCEDURE SP_ZALOZBLOKADE;

GRANT SELECT, DELETE ON BLOKADY TO PROCEDURE SP_USUNBLOKADE;

COMMIT;
