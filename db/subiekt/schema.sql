/*
  Subiekt GT database, PostgreSQL stand-in for the SQL Server original.

  The importer reads Subiekt GT with fixed SQL Server queries through ODBC.
  In tests and demos a PostgreSQL database plays that server: this script
  creates, in the schema dbo, the tables and columns those queries read,
  with the types a SQL Server base has (int ids, numeric amounts, datetime
  as timestamp, varchar texts, varchar(max) as text, bit as boolean), and
  a few T-SQL shims so that the queries run exactly as the importer sends
  them:

    text + text       string concatenation; NULL + 'x' is NULL, as on SQL
                      Server; also takes varchar operands (implicit cast)
    MONTH(datetime)   month number 1 to 12
    YEAR(datetime)    year number

  Unqualified table names (NZ__FINANSE inside a subquery) are found through
  the search path "dbo, public", which scripts/subiekt-db sets on the role
  and on the database.

  Widths leave room above the lengths the importer cuts its texts to, so
  that the cutting can be tested with this database. There are no foreign
  keys: tests need rows that point at missing customers, products or lines,
  as a live Subiekt GT base has after deletions.

  Run as the owner of the database (the role subiekt); loads into an empty
  database and stops at the first error.
*/

\set ON_ERROR_STOP on
SET client_min_messages = warning;

CREATE SCHEMA dbo;
SET search_path = dbo, public;

-- --- T-SQL shims -----------------------------------------------------------

-- textcat is strict: NULL on either side gives NULL.
CREATE OPERATOR dbo.+ (
  LEFTARG = text,
  RIGHTARG = text,
  FUNCTION = pg_catalog.textcat
);

CREATE FUNCTION dbo.month(timestamp) RETURNS integer
  LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
  AS 'SELECT CAST(EXTRACT(MONTH FROM $1) AS integer)';

CREATE FUNCTION dbo.year(timestamp) RETURNS integer
  LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE
  AS 'SELECT CAST(EXTRACT(YEAR FROM $1) AS integer)';

-- --- Dictionaries -----------------------------------------------------------

CREATE TABLE dbo.sl_magazyn (
  mag_id        integer       NOT NULL,
  mag_symbol    varchar(100)  NOT NULL,
  mag_nazwa     varchar(100)  NOT NULL,
  CONSTRAINT pk_sl_magazyn PRIMARY KEY (mag_id)
);

CREATE TABLE dbo.sl_grupatw (
  grt_id        integer       NOT NULL,
  grt_nazwa     varchar(100)  NOT NULL,
  CONSTRAINT pk_sl_grupatw PRIMARY KEY (grt_id)
);

CREATE TABLE dbo.sl_stawkavat (
  vat_id        integer       NOT NULL,
  vat_stawka    numeric(5,2)  NOT NULL,
  CONSTRAINT pk_sl_stawkavat PRIMARY KEY (vat_id)
);

CREATE TABLE dbo.sl_grupakh (
  grk_id        integer       NOT NULL,
  grk_nazwa     varchar(100)  NOT NULL,
  CONSTRAINT pk_sl_grupakh PRIMARY KEY (grk_id)
);

CREATE TABLE dbo.sl_wojewodztwo (
  woj_id        integer       NOT NULL,
  woj_nazwa     varchar(100)  NOT NULL,
  CONSTRAINT pk_sl_wojewodztwo PRIMARY KEY (woj_id)
);

CREATE TABLE dbo.sl_panstwo (
  pa_id         integer       NOT NULL,
  pa_nazwa      varchar(100)  NOT NULL,
  CONSTRAINT pk_sl_panstwo PRIMARY KEY (pa_id)
);

-- Discounts are negative percentages (-5 is a discount of 5 %).
CREATE TABLE dbo.sl_rabat (
  rt_id         integer       NOT NULL,
  rt_procent    numeric(7,2)  NOT NULL,
  CONSTRAINT pk_sl_rabat PRIMARY KEY (rt_id)
);

-- Payment forms with their payment term in days.
CREATE TABLE dbo.sl_formaplatnosci (
  fp_id         integer       NOT NULL,
  fp_termin     integer       NOT NULL,
  CONSTRAINT pk_sl_formaplatnosci PRIMARY KEY (fp_id)
);

CREATE TABLE dbo.pd_uzytkownik (
  uz_id         integer       NOT NULL,
  CONSTRAINT pk_pd_uzytkownik PRIMARY KEY (uz_id)
);

-- --- Products ---------------------------------------------------------------

-- TW_RODZAJ: 1 goods, 2 service, 4, 8, 16 further kinds.
CREATE TABLE dbo.tw__towar (
  tw_id              integer        NOT NULL,
  tw_symbol          varchar(60)    NOT NULL,
  tw_nazwa           varchar(300)   NOT NULL,
  tw_sww             varchar(60),
  tw_podstkodkresk   varchar(60),
  tw_jednmiary       varchar(10),
  tw_kodtowaru       varchar(60),
  tw_pkwiu           varchar(60),
  tw_opis            text,
  tw_masa            numeric(19,4),
  tw_rodzaj          integer        NOT NULL,
  tw_idgrupa         integer,
  tw_idvatsp         integer,
  CONSTRAINT pk_tw__towar PRIMARY KEY (tw_id)
);

-- Net prices: 0 purchase price, 1 to 5 the selling price levels.
CREATE TABLE dbo.tw_cena (
  tc_id              integer        NOT NULL,
  tc_idtowar         integer        NOT NULL,
  tc_cenanetto0      numeric(19,4),
  tc_cenanetto1      numeric(19,4),
  tc_cenanetto2      numeric(19,4),
  tc_cenanetto3      numeric(19,4),
  tc_cenanetto4      numeric(19,4),
  tc_cenanetto5      numeric(19,4),
  CONSTRAINT pk_tw_cena PRIMARY KEY (tc_id)
);
CREATE UNIQUE INDEX ix_tw_cena_idtowar ON dbo.tw_cena (tc_idtowar);

CREATE TABLE dbo.tw_stan (
  st_towid           integer        NOT NULL,
  st_magid           integer        NOT NULL,
  st_stan            numeric(19,4)  NOT NULL,
  CONSTRAINT pk_tw_stan PRIMARY KEY (st_towid, st_magid)
);

-- --- Customers --------------------------------------------------------------

-- KH_RODZAJ: 0 customer and supplier, 1 supplier, 2 customer.
-- KH_CENA: the price level, 0 none.
CREATE TABLE dbo.kh__kontrahent (
  kh_id              integer        NOT NULL,
  kh_symbol          varchar(40)    NOT NULL,
  kh_regon           varchar(20),
  kh_email           varchar(100),
  kh_www             varchar(255),
  kh_kontakt         varchar(150),
  kh_uwagi           text,
  kh_maxwartkred     numeric(19,4),
  kh_pracownik       varchar(100),
  kh_cena            integer,
  kh_rodzaj          integer,
  kh_idgrupa         integer,
  kh_idrabat         integer,
  kh_idformap        integer,
  CONSTRAINT pk_kh__kontrahent PRIMARY KEY (kh_id)
);

-- Addresses of customers: ADR_TYPADRESU 1 is the main address, 2 the
-- correspondence address.
CREATE TABLE dbo.adr__ewid (
  adr_id             integer        NOT NULL,
  adr_idobiektu      integer        NOT NULL,
  adr_typadresu      integer        NOT NULL,
  adr_nazwa          varchar(100),
  adr_nazwapelna     varchar(300),
  adr_ulica          varchar(100),
  adr_nrdomu         varchar(20),
  adr_nrlokalu       varchar(20),
  adr_kod            varchar(20),
  adr_miejscowosc    varchar(100),
  adr_nip            varchar(30),
  adr_telefon        varchar(40),
  adr_faks           varchar(40),
  adr_idwojewodztwo  integer,
  adr_idpanstwo      integer,
  CONSTRAINT pk_adr__ewid PRIMARY KEY (adr_id)
);
CREATE INDEX ix_adr__ewid_obiekt ON dbo.adr__ewid (adr_idobiektu, adr_typadresu);

-- Contact persons of customers.
CREATE TABLE dbo.kh_pracownik (
  pk_id              integer        NOT NULL,
  pk_idkh            integer        NOT NULL,
  pk_imie            varchar(50),
  pk_nazwisko        varchar(70),
  pk_telefon         varchar(40),
  pk_telkomorka      varchar(40),
  pk_email           varchar(100),
  pk_stanowisko      varchar(100),
  pk_podstaw         boolean,
  CONSTRAINT pk_kh_pracownik PRIMARY KEY (pk_id)
);
CREATE INDEX ix_kh_pracownik_idkh ON dbo.kh_pracownik (pk_idkh);

-- --- Documents --------------------------------------------------------------

-- Address snapshots stored with documents (payer, receiver).
CREATE TABLE dbo.adr_historia (
  adrh_id            integer        NOT NULL,
  adrh_nazwa         varchar(100),
  adrh_nazwapelna    varchar(300),
  adrh_nip           varchar(30),
  adrh_kod           varchar(20),
  adrh_miejscowosc   varchar(100),
  adrh_adres         varchar(300),
  adrh_idwojewodztwo integer,
  adrh_idpanstwo     integer,
  CONSTRAINT pk_adr_historia PRIMARY KEY (adrh_id)
);

-- Numbers of documents in the national e-invoice system (KSeF).
CREATE TABLE dbo.ksef_numerksef (
  ksefnr_id          integer        NOT NULL,
  ksefnr_numerksef   varchar(60)    NOT NULL,
  CONSTRAINT pk_ksef_numerksef PRIMARY KEY (ksefnr_id)
);

/*
  DOK_TYP: 1 purchase invoice FZ, 2 sales invoice FS, 3 purchase bill RZ,
  4 sales bill RS, 5 purchase correction KFZ, 6 sales correction KFS,
  10 goods received PZ, 11 goods issued WZ, 14 return ZW, 16 customer
  order ZK, 21 receipt PA.
  DOK_DODOKID: the related document: the corrected invoice of a correction,
  the invoice of a warehouse document, the order an invoice realises.
  DOK_CENYTYP: 1 priced net, 0 priced gross.
  DOK_KWGOTOWKA, DOK_KWKARTA, DOK_KWKREDYT: the parts of the gross value
  paid in cash, by card and on credit, in the document's currency.
*/
CREATE TABLE dbo.dok__dokument (
  dok_id                integer        NOT NULL,
  dok_typ               integer        NOT NULL,
  dok_podtyp            integer        NOT NULL DEFAULT 0,
  dok_status            integer        NOT NULL DEFAULT 1,
  dok_statusex          integer        NOT NULL DEFAULT 0,
  dok_nr                integer,
  dok_nrpelny           varchar(60)    NOT NULL,
  dok_nrpelnyoryg       varchar(100),
  dok_dodokid           integer,
  dok_dodoknrpelny      varchar(100),
  dok_platnikid         integer,
  dok_platnikadreshid   integer,
  dok_odbiorcaid        integer,
  dok_odbiorcaadreshid  integer,
  dok_odebral           varchar(100),
  dok_wystawil          varchar(150),
  dok_personelid        integer,
  dok_magid             integer,
  dok_cenytyp           integer        NOT NULL DEFAULT 1,
  dok_walutakurs        numeric(19,6)  NOT NULL DEFAULT 1,
  dok_kwgotowka         numeric(19,4)  NOT NULL DEFAULT 0,
  dok_kwkarta           numeric(19,4)  NOT NULL DEFAULT 0,
  dok_kwkredyt          numeric(19,4)  NOT NULL DEFAULT 0,
  dok_wartnetto         numeric(19,4)  NOT NULL DEFAULT 0,
  dok_wartvat           numeric(19,4)  NOT NULL DEFAULT 0,
  dok_wartbrutto        numeric(19,4)  NOT NULL DEFAULT 0,
  dok_wartopwyd         numeric(19,4)  NOT NULL DEFAULT 0,
  dok_wartopzwr         numeric(19,4)  NOT NULL DEFAULT 0,
  dok_datawyst          timestamp      NOT NULL,
  dok_datamag           timestamp,
  dok_plattermin        timestamp,
  dok_terminrealizacji  timestamp,
  dok_uwagi             varchar(500),
  dok_numerksefid       integer,
  CONSTRAINT pk_dok__dokument PRIMARY KEY (dok_id)
);
CREATE INDEX ix_dok__dokument_typ_data ON dbo.dok__dokument (dok_typ, dok_datawyst);
CREATE INDEX ix_dok__dokument_data ON dbo.dok__dokument (dok_datawyst);
CREATE INDEX ix_dok__dokument_dodokid ON dbo.dok__dokument (dok_dodokid);
-- The month-by-month removal filters on YEAR() and MONTH() of the issue date.
CREATE INDEX ix_dok__dokument_rok_miesiac
  ON dbo.dok__dokument (dbo.year(dok_datawyst), dbo.month(dok_datawyst), dok_typ);

/*
  Document lines. A line belongs to a trade document (OB_DOKHANID: invoice,
  receipt, correction, return, order) and/or to a warehouse document
  (OB_DOKMAGID: PZ, WZ); a WZ issued for an invoice shares the invoice's
  lines. OB_DOID is the line a correction line corrects, 0 for none.
  OB_ZNAK is the sign of the quantity (1 or -1).
*/
CREATE TABLE dbo.dok_pozycja (
  ob_id              integer        NOT NULL,
  ob_doid            integer        NOT NULL DEFAULT 0,
  ob_dokhanid        integer,
  ob_dokhanlp        integer,
  ob_dokmagid        integer,
  ob_dokmaglp        integer,
  ob_towid           integer,
  ob_towrodzaj       integer,
  ob_jm              varchar(10),
  ob_ilosc           numeric(19,4)  NOT NULL DEFAULT 0,
  ob_znak            smallint       NOT NULL DEFAULT 1,
  ob_vatproc         numeric(5,2)   NOT NULL DEFAULT 0,
  ob_cenanetto       numeric(19,4)  NOT NULL DEFAULT 0,
  ob_cenabrutto      numeric(19,4)  NOT NULL DEFAULT 0,
  ob_cenamag         numeric(19,4)  NOT NULL DEFAULT 0,
  ob_wartmag         numeric(19,4)  NOT NULL DEFAULT 0,
  ob_rabat           numeric(7,2)   NOT NULL DEFAULT 0,
  ob_wartnetto       numeric(19,4)  NOT NULL DEFAULT 0,
  ob_wartvat         numeric(19,4)  NOT NULL DEFAULT 0,
  ob_opis            text,
  CONSTRAINT pk_dok_pozycja PRIMARY KEY (ob_id)
);
CREATE INDEX ix_dok_pozycja_dokhan ON dbo.dok_pozycja (ob_dokhanid, ob_dokhanlp);
CREATE INDEX ix_dok_pozycja_dokmag ON dbo.dok_pozycja (ob_dokmagid, ob_dokmaglp);

-- --- Receivables and payables -----------------------------------------------

/*
  Settlement records. NZF_TYP 39 is a receivable and 40 a payable of a
  document (NZF_IDDOKUMENTAUTO, NULL for a record entered by hand), with
  NZF_WARTOSC the amount still open; 17 and 18 are cash received and paid,
  19 and 20 bank transfers received and paid, 41 other payments (NZF_PODTYP
  4: card). A record tied to an order is its advance payment.
*/
CREATE TABLE dbo.nz__finanse (
  nzf_id               integer        NOT NULL,
  nzf_typ              integer        NOT NULL,
  nzf_podtyp           integer        NOT NULL DEFAULT 0,
  nzf_iddokumentauto   integer,
  nzf_numer            integer,
  nzf_numerpelny       varchar(60),
  nzf_tytulem          varchar(300),
  nzf_wystawil         varchar(150),
  nzf_data             timestamp,
  nzf_kurs             numeric(19,6)  NOT NULL DEFAULT 1,
  nzf_wartosc          numeric(19,4)  NOT NULL DEFAULT 0,
  CONSTRAINT pk_nz__finanse PRIMARY KEY (nzf_id)
);
CREATE INDEX ix_nz__finanse_dokument ON dbo.nz__finanse (nzf_iddokumentauto, nzf_typ);

/*
  Settlements: NZS_IDDLUGU is the settled record, NZS_IDSPLATY the settling
  one, NZS_WARTOSCWALUTA the amount in the settled record's currency.
  NZS_TYP 1 payment, 3 bank payment, 2 reversal, 4 mutual settlement of
  two documents (a correction against its invoice, a compensation).
*/
CREATE TABLE dbo.nz_finansesplata (
  nzs_id               integer        NOT NULL,
  nzs_typ              integer        NOT NULL,
  nzs_iddlugu          integer,
  nzs_idsplaty         integer,
  nzs_data             timestamp      NOT NULL,
  nzs_wartoscwaluta    numeric(19,4)  NOT NULL DEFAULT 0,
  CONSTRAINT pk_nz_finansesplata PRIMARY KEY (nzs_id)
);
CREATE INDEX ix_nz_finansesplata_data ON dbo.nz_finansesplata (nzs_data);
CREATE INDEX ix_nz_finansesplata_dlug ON dbo.nz_finansesplata (nzs_iddlugu);

-- Compensations (NZK_STATUS 2: confirmed) and the records they settle.
CREATE TABLE dbo.nz_kompensata (
  nzk_id               integer        NOT NULL,
  nzk_status           integer        NOT NULL,
  CONSTRAINT pk_nz_kompensata PRIMARY KEY (nzk_id)
);

CREATE TABLE dbo.nz_kompensatapozycja (
  nzp_id               integer        NOT NULL,
  nzp_idkompensaty     integer        NOT NULL,
  nzp_idrozrachunku    integer        NOT NULL,
  CONSTRAINT pk_nz_kompensatapozycja PRIMARY KEY (nzp_id)
);
CREATE INDEX ix_nz_kompensatapozycja_rozr ON dbo.nz_kompensatapozycja (nzp_idrozrachunku);
