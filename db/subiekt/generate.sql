/*
  Deterministic sample data for the Subiekt GT stand-in (db/subiekt/schema.sql).

  Creates the schema datagen with the function

      datagen.generate(scale integer)

  which fills the empty dbo tables. Nothing is random: every value derives
  from row numbers through a fixed hash (hashint8extended), so the same
  scale gives the same data. Only the dates move: documents are spread over
  the 18 months before the day of generation (from the first day of the
  month 18 months back to today), so that an import of "the last N months"
  always finds documents. scripts/subiekt-db runs the function and drops
  the schema datagen afterwards.

  What a scale N produces (N = 1: a small base for tests; N = 1000: a base
  for benchmarks; counts are exact or, where marked ~, close):

    fixed for every N   5 warehouses (MAG, MAG2, "MAG 3" with a blank,
                        MAG'4 with a single quote, SKLEP with a name of more
                        than 80 characters), 5 VAT rates, 12 product groups,
                        6 customer groups, 16 provinces, 10 countries,
                        6 discounts, 6 payment forms, 6 users
    products            100 N (every 20th a service, TW_RODZAJ 2)
    prices              99 N (1 in 100 products has no price row)
    stock rows          ~ 220 N
    customers           50 N
    addresses           ~ 59 N (main and correspondence addresses)
    address snapshots   100 N
    contact persons     ~ 76 N
    documents           ~ 124 N: 24 N sales invoices FS and ~ 9 N more
                        that realise orders, 3 N bills RS, 14 N receipts
                        PA, 4 N sales corrections KFS, 3 N returns ZW,
                        12 N purchase invoices FZ, 2 N purchase bills RZ,
                        2 N purchase corrections KFZ, 14 N orders ZK,
                        ~ 14 N goods received PZ, ~ 24 N goods issued WZ
    document lines      ~ 303 N
    settlement records  ~ 150 N (receivables, payables, payments, advances)
    settlements         ~ 72 N (types 1, 2, 3 and 4)
    compensations       ~ 3 N, with two records each
    KSeF numbers        for 85 % of the invoices and corrections issued
                        from 1 February 2026

  Scale 1 gives 129 documents with 320 lines; scale 1000 about 1.4 million
  rows in all (some 400 MB) and takes about 40 s on two cores.

  Rows with known peculiarities, in every block of the ids (k = id modulo
  the block size):

    products (block 100)     k 0, 20, 40, 60, 80 services; 3 lower-case
                             symbol and name with surrounding blanks; 7 no
                             price row; 11 no group; 13 no VAT rate; 17 no
                             stock rows; 19 kind 32; 23 name longer than 250
                             characters; 29 symbol of 56 characters; 37
                             multi-line description; 41, 43, 47 kinds 4, 8,
                             16; 53 no bar code, PKWiU, code or mass; 59 a
                             price row of NULLs; 61 negative stock in MAG2;
                             97 empty name
    customers (block 50)     k 7, 27 the placeholder symbol of twenty
                             asterisks; 3 no address at all; 33 only a
                             correspondence address; 5, 25 tax numbers with
                             apostrophes; 9 full name longer than 250
                             characters; 11 NULL in every optional column;
                             13, 38 foreign; 15 price level 0; 17 price
                             level 5; 19 kind 3; 21 a payment form that does
                             not exist; 23 remarks only; 29 main contact
                             only; 31 both; 37 lower-case symbol and name;
                             7, 27, 41, 45 private persons; 43 two contact
                             persons of the same name
    contact persons          id modulo 40: 5 empty first name, 15 both
                             names empty, 25 both names NULL; the first
                             person of a customer is the main one
                             (PK_PODSTAW true), the second not, the third
                             NULL
    documents                every block of 100 slots starts with an FS and
                             an FZ; per block, by the rank of a document
                             among those of its type: FS 3 subtype 3 with
                             STATUSEX 0, FS 13 subtype 3 with STATUSEX 1, FS 5
                             no payer, FS 9 a payer missing from the
                             customers, FS 6 a line without product, FS 15
                             a line whose product is missing, FS 11
                             returnable packaging, FS 17 in EUR; KFS/KFZ 1
                             value correction, 2 quantity correction with
                             price, 3 quantity correction without price, 4
                             price increase; ZK 1 no payer, ZK 2 received by
                             one of two same-named persons, ZK 3 realised by
                             two invoices, ZK 4 two advance payments, ZK 5 a
                             line without product, ZK 6 a line with sign -1;
                             WZ 1 number "WZ/n/yyyy", WZ 2 no payer, WZ 3
                             number in lower case
    settlements              cash (17, 18), transfers (19, 20), card (41
                             with subtype 4), partial and instalment
                             payments, reversals (type 2, not read), mutual
                             settlements of corrections (type 4), some in a
                             confirmed compensation (status 2), some in a
                             draft one (status 1); records without document
                             numbered "KFS ...", "ZW ...", "FS ..." and
                             "Nota ...", one of 0.125
*/

\set ON_ERROR_STOP on
SET client_min_messages = warning;

DROP SCHEMA IF EXISTS datagen CASCADE;
CREATE SCHEMA datagen;

-- A number in [0, n) derived from i and salt.
CREATE FUNCTION datagen.r(i bigint, salt integer, n integer) RETURNS integer
  LANGUAGE sql IMMUTABLE PARALLEL SAFE
  AS 'SELECT CAST((pg_catalog.hashint8extended($1, $2) & 2147483647) % $3 AS integer)';

-- An element of arr chosen by i and salt.
CREATE FUNCTION datagen.pick(arr text[], i bigint, salt integer) RETURNS text
  LANGUAGE sql IMMUTABLE PARALLEL SAFE
  AS 'SELECT $1[1 + datagen.r($2, $3, cardinality($1))]';

-- n digits (n at most 9) derived from i and salt.
CREATE FUNCTION datagen.digits(i bigint, salt integer, n integer) RETURNS text
  LANGUAGE sql IMMUTABLE PARALLEL SAFE
  AS 'SELECT lpad(CAST(datagen.r($1, $2, CAST(10 ^ $3 AS integer)) AS text), $3, ''0'')';

-- A valid Polish tax number (NIP), ten digits.
CREATE FUNCTION datagen.nip(i bigint) RETURNS text
  LANGUAGE plpgsql IMMUTABLE PARALLEL SAFE AS $$
DECLARE
  w integer[] := '{6,5,7,2,3,4,5,6,7}';
  d integer[];
  s integer;
  k integer := 0;
BEGIN
  LOOP
    d := ARRAY[1 + datagen.r(i, 900 + k, 9)];
    FOR j IN 2..9 LOOP
      d := d || datagen.r(i * 10 + j, 910 + k, 10);
    END LOOP;
    s := 0;
    FOR j IN 1..9 LOOP
      s := s + d[j] * w[j];
    END LOOP;
    EXIT WHEN s % 11 < 10;
    k := k + 1;
  END LOOP;
  RETURN array_to_string(d, '') || (s % 11);
END
$$;

-- A valid statistical number (REGON), nine digits.
CREATE FUNCTION datagen.regon(i bigint) RETURNS text
  LANGUAGE plpgsql IMMUTABLE PARALLEL SAFE AS $$
DECLARE
  w integer[] := '{8,9,2,3,4,5,6,7}';
  s integer := 0;
  d integer;
  t text := '';
BEGIN
  FOR j IN 1..8 LOOP
    d := CASE WHEN j = 1 THEN 1 + datagen.r(i, 920, 9) ELSE datagen.r(i * 10 + j, 921, 10) END;
    t := t || d;
    s := s + d * w[j];
  END LOOP;
  RETURN t || ((s % 11) % 10);
END
$$;

-- An EAN-13 bar code: the twelve digits given and the check digit.
CREATE FUNCTION datagen.ean13(code12 text) RETURNS text
  LANGUAGE sql IMMUTABLE PARALLEL SAFE AS $$
  SELECT code12 || CAST((10 - SUM(CAST(substr(code12, j, 1) AS integer)
                                  * CASE WHEN j % 2 = 0 THEN 3 ELSE 1 END) % 10) % 10 AS text)
    FROM generate_series(1, 12) AS j
$$;

CREATE FUNCTION datagen.generate(scale integer) RETURNS void
  LANGUAGE plpgsql AS $fn$
DECLARE
  n_tw    integer;
  n_kh    integer;
  n_slot  integer;
  d_start date := CAST(date_trunc('month', current_date) - interval '18 months' AS date);
  d_span  integer;
  v_next  integer;
  v_nzf   integer;

  a_imiona_m text[] := '{Jan,Piotr,Krzysztof,Andrzej,Tomasz,Paweł,Michał,Łukasz,Grzegorz,Mateusz,Wojciech,Jerzy,Zbigniew,Stanisław,Jarosław,Marek,Rafał,Dariusz,Sławomir,Józef}';
  a_imiona_k text[] := '{Anna,Katarzyna,Małgorzata,Agnieszka,Barbara,Ewa,Elżbieta,Zofia,Joanna,Dorota,Magdalena,Jadwiga,Bożena,Halina,Urszula,Teresa,Danuta,Grażyna,Beata,Jolanta}';
  a_nazwiska text[] := '{Nowak,Kowalski,Wiśniewski,Wójcik,Kowalczyk,Kamiński,Lewandowski,Zieliński,Szymański,Woźniak,Dąbrowski,Kozłowski,Jankowski,Mazur,Kwiatkowski,Krawczyk,Piotrowski,Grabowski,Nowakowski,Pawłowski,Michalski,Zając,Król,Wieczorek,Jabłoński,Wróbel,Majewski,Olszewski,Stępień,Jaworski,Malinowski,Górski,Rutkowski,Sikora,Baran,Duda,Szewczyk,Tomaszewski,Pietrzak,Marciniak,Wróblewski,Zalewski,Jakubowski,Jasiński,Zawadzki,Sadowski,Bąk,Chmielewski,Włodarczyk,Borkowski,Czarnecki,Sawicki,Sokołowski,Urbański,Kubiak,Maciejewski,Szczepański,Kucharski,Wilk,Kalinowski,Lis,Mazurek,Wysocki,Adamski,Kaźmierczak,Wasilewski,Sobczak,Czerwiński,Andrzejewski,Cieślak,Głowacki,Zakrzewski,Kołodziej,Sikorski,Krajewski,Gajewski,Szymczak,Szulc,Baranowski,Laskowski,Brzeziński,Makowski,Ziółkowski,Przybylski,Żak,Ćwikliński,Łuczak,Śliwiński,Źrałek}';
  -- City, two-digit postcode prefix, province (SL_WOJEWODZTWO id).
  a_miasta text[] := '{Warszawa,Kraków,Łódź,Wrocław,Poznań,Gdańsk,Szczecin,Bydgoszcz,Lublin,Białystok,Katowice,Gdynia,Częstochowa,Radom,Toruń,Kielce,Rzeszów,Gliwice,Olsztyn,"Zielona Góra",Opole,Bielsko-Biała,"Gorzów Wielkopolski","Nowy Sącz",Piła,Ełk,Żywiec,Świnoujście,Łomża,Zamość,Przemyśl,"Jelenia Góra",Sopot,Płock,Kalisz,Słupsk,Tarnów,Włocławek,Sandomierz,Nysa}';
  a_kody text[] := '{00,30,90,50,60,80,70,85,20,15,40,81,42,26,87,25,35,44,10,65,45,43,66,33,64,19,34,72,18,22,37,58,81,09,62,76,33,87,27,48}';
  a_miasta_woj integer[] := '{7,6,5,1,15,11,16,2,3,10,12,11,12,7,2,13,9,12,14,4,8,12,4,6,15,14,12,16,10,3,9,1,11,7,15,11,6,2,13,8}';
  a_ulice text[] := '{"ul. Marszałkowska","ul. Piłsudskiego","ul. Mickiewicza","ul. Słowackiego","ul. Kościuszki","ul. Długa","ul. Krótka","ul. Żeromskiego","ul. Świętokrzyska","ul. Grunwaldzka","ul. Łąkowa","ul. Ogrodowa","ul. Polna","ul. Leśna","ul. Kwiatowa","ul. Źródlana","ul. Wiśniowa","ul. Zielona","ul. Sienkiewicza","ul. 3 Maja","al. Jana Pawła II","ul. Wrocławska","ul. Poznańska","ul. Gdańska","ul. Bohaterów Września","ul. Żelazna","ul. Chełmońskiego","ul. Przemysłowa","ul. Fabryczna","ul. Szkolna","ul. Kolejowa","Rynek","al. Armii Krajowej","ul. Słoneczna","ul. Jaśminowa"}';
  a_zagr_miasta text[] := '{Berlin,Praha,Bratislava,Vilnius,Lwów,Wien,Lyon,Milano,Valencia}';
  a_zagr_kody text[] := '{10115,"110 00","811 01",LT-01100,79000,1010,69001,20121,46001}';
  a_zagr_ulice text[] := '{Friedrichstraße,Václavské náměstí,Obchodná,Gedimino pr.,"vul. Zelena",Mariahilfer Straße,"Rue de la République","Via Torino","Calle de Colón"}';
  a_zagr_nip text[] := '{DE,CZ,SK,LT,UA,ATU,FR,IT,ES}';
  a_formy text[] := '{"Przedsiębiorstwo Handlowo-Usługowe",Hurtownia,"Zakład Produkcyjny","Firma Handlowa",Sklep,Piekarnia,"Biuro Rachunkowe",Drukarnia,Auto-Serwis,"Spółdzielnia Mleczarska","Zakład Stolarski","Przedsiębiorstwo Budowlane","Transport i Spedycja",Apteka,Kwiaciarnia}';
  a_rdzenie text[] := '{Żuraw,Bałtyk,Sokół,Mazowsze,Orzeł,Łącznik,Świt,Wisła,Polmet,Gęś,Jędrek,Kłos,Dąb,Źródło,Ślęża,Tatry,Warta,Odra,Bór,Zorza,Pszczółka,Jaskółka,Łosoś,Wrzos,Róża,Rolmex,Budmat,Stalhut,Elektromont,Agropol}';
  a_prawne text[] := '{"Sp. z o.o.","Sp. z o.o.",S.A.,s.c.,"Sp. j.","Sp. k.","",""}';
  a_domeny text[] := '{pl,com.pl,eu,net.pl}';
  a_stanowiska text[] := '{"Prezes Zarządu","Główna księgowa","Kierownik zaopatrzenia","Specjalista ds. sprzedaży",Magazynier,"Dyrektor handlowy","Asystentka zarządu",Właściciel,NULL}';
  a_pracownicy text[] := '{"Anna Nowak","Piotr Wiśniewski","Małgorzata Żak","Łukasz Ćwikliński",Administrator,"Józef Wiśniewski"}';
  -- Product names by kind of goods, with their group (SL_GRUPATW id), unit,
  -- symbol prefix and PKWiU code.
  a_towary text[] := '{"Kawa ziarnista","Herbata czarna","Mąka pszenna","Cukier biały","Olej rzepakowy","Masło ekstra","Ser żółty","Makaron świderki","Kasza gryczana","Miód wielokwiatowy","Woda mineralna","Sok jabłkowy","Napój gazowany","Płyn do naczyń","Proszek do prania","Mydło w płynie","Środek czyszczący","Młotek stolarski","Wkrętarka akumulatorowa","Klucz płaski","Piła ręczna","Śrubokręt krzyżakowy","Poziomica aluminiowa","Żarówka LED","Przedłużacz","Kabel zasilający","Ładowarka sieciowa","Głośnik bezprzewodowy","Cement portlandzki","Gips szpachlowy","Płyta gipsowo-kartonowa","Farba emulsyjna","Klej do płytek","Rękawice robocze","Kurtka ocieplana","Buty ochronne","Kamizelka odblaskowa","Filtr oleju","Klocki hamulcowe","Papier ksero A4","Segregator","Długopis żelowy","Nasiona trawy","Ziemia ogrodowa","Sekator ogrodowy","Jabłka ekologiczne","Płatki owsiane","Przewód ogrodowy"}';
  a_towary_grupa integer[] := '{1,1,1,1,1,1,1,1,1,1,2,2,2,3,3,3,3,4,4,4,4,4,4,5,5,5,5,5,6,6,6,6,6,7,7,7,7,9,9,10,10,10,11,11,11,12,12,11}';
  a_towary_jm text[] := '{kg,opak.,kg,kg,l,szt.,kg,opak.,kg,szt.,l,l,l,l,kg,l,l,szt.,szt.,kpl.,szt.,szt.,szt.,szt.,szt.,m,szt.,szt.,kg,kg,szt.,l,kg,para,szt.,para,szt.,szt.,kpl.,ryza,szt.,szt.,kg,l,szt.,kg,opak.,mb}';
  a_towary_sym text[] := '{KAW,HER,MĄK,CUK,OLE,MAS,SER,MAK,KAS,MIÓ,WOD,SOK,NAP,PŁY,PRO,MYD,ŚRO,MŁO,WKR,KLU,PIŁ,ŚRU,POZ,ŻAR,PRZ,KAB,ŁAD,GŁO,CEM,GIP,PGK,FAR,KLE,RĘK,KUR,BUT,KAM,FIL,KLO,PAP,SEG,DŁU,NAS,ZIE,SEK,JAB,PŁA,PRZ}';
  a_pkwiu text[] := '{10.83.11.0,11.07.11.0,20.41.32.0,25.73.30.0,27.40.15.0,23.51.12.0,14.12.11.0,"",29.32.30.0,17.12.14.0,01.19.10.0,01.24.10.0}';
  a_warianty text[] := '{"500 g","1 kg","0,5 l","1,5 l","10 szt.","rozm. XL","rozm. M",230V,"25 kg",biały,czarny,zielony,premium,ekonomiczny,"w kartonie",profesjonalny,"dla dzieci",mini}';
  a_marki text[] := '{Łowicz,Żywiec,Polmos,Wawel,Społem,Krakus,Fakro,Stomil,Dębica,Tymbark,Sokołów,Wedel,Mazowsze,Ślęża,Kęty}';
  a_uslugi text[] := '{"Usługa transportowa","Montaż urządzenia","Serwis gwarancyjny","Szkolenie stanowiskowe","Projekt graficzny","Wynajem rusztowania","Dostawa ekspresowa","Przegląd techniczny","Doradztwo księgowe","Naprawa pogwarancyjna"}';
  a_opisy_uslug text[] := '{"Usługa transportowa\nTrasa: Łódź – Kraków\nKierowca: Jan Kowalski","Montaż klimatyzacji\nAdres: ul. Długa 5, Gdańsk","Naprawa maszyny pakującej\nCzas pracy: 3 godz.\nCzęści: uszczelki, pasek klinowy","Szkolenie BHP dla pracowników","Wynajem podnośnika\nOkres: 2 dni"}';
  a_uwagi text[] := '{"Dostawa na koszt odbiorcy.","Towar odebrano osobiście.","Płatność w dwóch ratach.\r\nPierwsza rata do 15-go.","Faktura do paragonu.","Proszę o kontakt przed dostawą – Żaneta Wójcik, tel. 601 234 567.","Zamówienie pilne!","Zwrot towaru niepełnowartościowego."}';
  a_uwagi_kh text[] := '{"Płatność wyłącznie przelewem.\r\nDostawy we wtorki i czwartki.","Klient preferuje kontakt e-mailowy.","Uwaga: zaległości w płatnościach w 2025 r.","Rabat negocjowany indywidualnie – patrz umowa ramowa nr 12/2024.","Odbiór towaru tylko z magazynu w Łodzi."}';
  t100 integer[];
BEGIN
  IF scale IS NULL OR scale < 1 THEN
    RAISE EXCEPTION 'datagen.generate: the scale must be a positive integer, not %', scale;
  END IF;
  n_tw := 100 * scale;
  n_kh := 50 * scale;
  n_slot := 100 * scale;
  d_span := current_date - d_start;

  -- --- Dictionaries --------------------------------------------------------

  INSERT INTO dbo.sl_magazyn (mag_id, mag_symbol, mag_nazwa) VALUES
    (1, 'MAG', 'Magazyn główny'),
    (2, 'MAG2', 'Magazyn Łódź – hurtownia'),
    (3, 'MAG 3', 'Magazyn zewnętrzny Gdańsk'),
    (4, 'MAG''4', 'Magazyn Żywiec'),
    (5, 'SKLEP', 'Sklep firmowy przy ul. Świętokrzyskiej 12 w Warszawie – sprzedaż detaliczna i odbiór osobisty');

  INSERT INTO dbo.sl_stawkavat (vat_id, vat_stawka) VALUES
    (1, 23), (2, 8), (3, 5), (4, 0), (5, 0);

  INSERT INTO dbo.sl_grupatw (grt_id, grt_nazwa) VALUES
    (1, 'Artykuły spożywcze'), (2, 'Napoje'), (3, 'Chemia gospodarcza'),
    (4, 'Narzędzia'), (5, 'Elektronika i elektryka'), (6, 'Materiały budowlane'),
    (7, 'Odzież robocza i BHP'), (8, 'Usługi'), (9, 'Części samochodowe'),
    (10, 'Artykuły biurowe'), (11, 'Ogród'), (12, 'Żywność ekologiczna');

  INSERT INTO dbo.sl_grupakh (grk_id, grk_nazwa) VALUES
    (1, 'Hurtownie'), (2, 'Detal'), (3, 'Dostawcy'), (4, 'Kluczowi klienci'),
    (5, 'Klienci zagraniczni'), (6, 'Jednostki budżetowe');

  INSERT INTO dbo.sl_wojewodztwo (woj_id, woj_nazwa) VALUES
    (1, 'dolnośląskie'), (2, 'kujawsko-pomorskie'), (3, 'lubelskie'), (4, 'lubuskie'),
    (5, 'łódzkie'), (6, 'małopolskie'), (7, 'mazowieckie'), (8, 'opolskie'),
    (9, 'podkarpackie'), (10, 'podlaskie'), (11, 'pomorskie'), (12, 'śląskie'),
    (13, 'świętokrzyskie'), (14, 'warmińsko-mazurskie'), (15, 'wielkopolskie'),
    (16, 'zachodniopomorskie');

  INSERT INTO dbo.sl_panstwo (pa_id, pa_nazwa) VALUES
    (1, 'Polska'), (2, 'Niemcy'), (3, 'Czechy'), (4, 'Słowacja'), (5, 'Litwa'),
    (6, 'Ukraina'), (7, 'Austria'), (8, 'Francja'), (9, 'Włochy'), (10, 'Hiszpania');

  INSERT INTO dbo.sl_rabat (rt_id, rt_procent) VALUES
    (1, -5), (2, -10), (3, -2.5), (4, -15), (5, -20), (6, 3);

  INSERT INTO dbo.sl_formaplatnosci (fp_id, fp_termin) VALUES
    (1, 0), (2, 7), (3, 14), (4, 21), (5, 30), (6, 60);

  INSERT INTO dbo.pd_uzytkownik (uz_id) SELECT generate_series(1, 6);

  -- --- Products ------------------------------------------------------------

  INSERT INTO dbo.tw__towar (tw_id, tw_symbol, tw_nazwa, tw_sww, tw_podstkodkresk,
                             tw_jednmiary, tw_kodtowaru, tw_pkwiu, tw_opis, tw_masa,
                             tw_rodzaj, tw_idgrupa, tw_idvatsp)
  SELECT i,
         CASE k WHEN 3 THEN '  ' || lower(symbol0) || ' '
                WHEN 29 THEN symbol0 || '-WERSJA-ROZSZERZONA-DLA-KLIENTÓW-HURTOWYCH-2026'
                ELSE symbol0 END,
         CASE k WHEN 3 THEN '  ' || lower(nazwa0) || '  '
                WHEN 23 THEN left(nazwa0 || ' – zestaw serwisowy ' || repeat('z akcesoriami, instrukcją obsługi w języku polskim i gwarancją producenta; ', 4), 290)
                WHEN 97 THEN ''
                ELSE nazwa0 END,
         CASE WHEN k = 53 OR pkwiu = '' THEN NULL ELSE left(pkwiu, 5) END,
         CASE WHEN k = 53 OR usluga THEN NULL
              ELSE datagen.ean13('590' || lpad(CAST(1000000 + i AS text), 9, '0')) END,
         jm,
         CASE WHEN k = 53 THEN NULL ELSE 'KT/' || lpad(CAST(datagen.r(i, 5, 100000) AS text), 5, '0') END,
         CASE WHEN k = 53 OR pkwiu = '' THEN NULL ELSE pkwiu END,
         CASE WHEN k = 37 THEN 'Opis towaru: ' || nazwa0 || E'\nProducent: ' || marka
                               || E'\nUWAGA: przechowywać w suchym miejscu, chronić przed mrozem.'
              WHEN datagen.r(i, 11, 5) = 0 THEN 'Towar sprowadzany na zamówienie klienta.'
              END,
         CASE WHEN k = 53 OR usluga THEN NULL ELSE round(0.05 + datagen.r(i, 6, 25000) / 1000.0, 3) END,
         rodzaj,
         CASE WHEN k = 11 THEN NULL ELSE grupa END,
         CASE WHEN k = 13 THEN NULL
              WHEN usluga THEN 1
              ELSE CASE datagen.r(i, 7, 20) WHEN 14 THEN 2 WHEN 15 THEN 2 WHEN 16 THEN 2
                                            WHEN 17 THEN 3 WHEN 18 THEN 3
                                            WHEN 19 THEN 4 + i % 2 ELSE 1 END END
    FROM (SELECT b.*,
                 CASE WHEN usluga THEN a_uslugi[1 + datagen.r(i, 4, cardinality(a_uslugi))]
                      ELSE a_towary[t] || ' ' || datagen.pick(a_warianty, i, 2) || ' ' || marka END AS nazwa0,
                 CASE WHEN usluga THEN 'USŁ' ELSE a_towary_sym[t] END || '-' || lpad(CAST(i AS text), 6, '0') AS symbol0,
                 CASE WHEN usluga THEN 8 ELSE a_towary_grupa[t] END AS grupa,
                 CASE WHEN usluga THEN 'usł.' ELSE a_towary_jm[t] END AS jm,
                 a_pkwiu[CASE WHEN usluga THEN 8 ELSE a_towary_grupa[t] END] AS pkwiu,
                 CASE WHEN usluga THEN 2 WHEN k = 19 THEN 32 WHEN k = 41 THEN 4
                      WHEN k = 43 THEN 8 WHEN k = 47 THEN 16 ELSE 1 END AS rodzaj
            FROM (SELECT i, i % 100 AS k, (i % 20 = 0) AS usluga,
                         1 + datagen.r(i, 1, cardinality(a_towary)) AS t,
                         datagen.pick(a_marki, i, 3) AS marka
                    FROM generate_series(1, n_tw) AS i) AS b) AS p;

  INSERT INTO dbo.tw_cena (tc_id, tc_idtowar, tc_cenanetto0, tc_cenanetto1, tc_cenanetto2,
                           tc_cenanetto3, tc_cenanetto4, tc_cenanetto5)
  SELECT tw_id, tw_id,
         CASE WHEN k = 59 THEN NULL ELSE round(b * 0.72, 2) END,
         CASE WHEN k = 59 THEN NULL ELSE b END,
         CASE WHEN k = 59 THEN NULL ELSE round(b * 0.95, 2) END,
         CASE WHEN k = 59 THEN NULL ELSE round(b * 0.90, 2) END,
         CASE WHEN k = 59 OR tw_id % 9 = 4 THEN NULL ELSE round(b * 0.85, 2) END,
         CASE WHEN k = 59 THEN NULL WHEN tw_id % 4 = 0 THEN 0 ELSE round(b * 0.80, 2) END
    FROM (SELECT tw_id, tw_id % 100 AS k,
                 round((1 + datagen.r(tw_id, 8, 40000) / 100.0) * CASE WHEN tw_rodzaj = 2 THEN 3 ELSE 1 END, 2) AS b
            FROM dbo.tw__towar) AS t
   WHERE k <> 7;

  INSERT INTO dbo.tw_stan (st_towid, st_magid, st_stan)
  SELECT t.tw_id, m.mag_id,
         CASE WHEN t.tw_id % 100 = 61 AND m.mag_id = 2 THEN -3
              WHEN t.tw_jednmiary IN ('kg', 'l', 'm', 'mb') THEN round(datagen.r(t.tw_id * 10 + m.mag_id, 10, 100000) / 100.0, 3)
              ELSE datagen.r(t.tw_id * 10 + m.mag_id, 10, 500) END
    FROM dbo.tw__towar t CROSS JOIN dbo.sl_magazyn m
   WHERE t.tw_rodzaj <> 2
     AND t.tw_id % 100 <> 17
     AND (m.mag_id = 1 OR datagen.r(t.tw_id * 10 + m.mag_id, 9, 3) = 0);

  -- --- Customers, addresses, contact persons -----------------------------

  CREATE TEMP TABLE gen_kh ON COMMIT DROP AS
  SELECT i, k, osoba, zagr, imie, nazwisko, rdzen, forma, prawna, ulica, nrdomu, nrlokalu,
         miasto, kod, woj, panstwo, nip, telefon, faks, domena,
         CASE WHEN k = 9 THEN left(pelna || ' – ' || repeat('Oddział Regionalny w ' || miasto || ', Centrum Logistyczne, ', 6), 290)
              WHEN k = 37 THEN lower(pelna)
              ELSE pelna END AS pelna,
         CASE WHEN k = 37 THEN lower(krotka) ELSE krotka END AS krotka,
         CASE WHEN k IN (7, 27) THEN '********************'
              WHEN k = 37 THEN lower(symbol0)
              ELSE symbol0 END AS symbol
    FROM (SELECT g.*,
                 CASE WHEN osoba THEN imie || ' ' || nazwisko
                      WHEN prawna = '' THEN forma || ' ' || rdzen || ' ' || imie || ' ' || nazwisko
                      ELSE forma || ' „' || rdzen || '” ' || prawna END AS pelna,
                 CASE WHEN osoba THEN imie || ' ' || nazwisko
                      ELSE rdzen || CASE WHEN prawna = '' THEN '' ELSE ' ' || prawna END END AS krotka,
                 left(upper(CASE WHEN osoba THEN nazwisko ELSE rdzen END), 12) || i AS symbol0,
                 translate(lower(CASE WHEN osoba THEN nazwisko ELSE rdzen END),
                           'ąćęłńóśźż', 'acelnoszz') AS domena
            FROM (SELECT i, k, osoba, zagr, imie, prawna, c, ulica, nrdomu, nrlokalu,
                         CASE WHEN zagr THEN a_zagr_miasta[z] ELSE a_miasta[c] END AS miasto,
                         CASE WHEN zagr THEN a_zagr_kody[z]
                              ELSE a_kody[c] || '-' || lpad(CAST(datagen.r(i, 21, 1000) AS text), 3, '0') END AS kod,
                         CASE WHEN zagr THEN NULL ELSE a_miasta_woj[c] END AS woj,
                         CASE WHEN zagr THEN 1 + z ELSE 1 END AS panstwo,
                         CASE WHEN kobieta THEN regexp_replace(nazwisko0, '([sc]|dz)ki$', '\1ka') ELSE nazwisko0 END AS nazwisko,
                         rdzen, forma,
                         CASE WHEN osoba THEN NULL
                              WHEN zagr THEN a_zagr_nip[z] || datagen.digits(i, 22, 9)
                              WHEN k IN (5, 25) THEN substr(n, 1, 3) || '''' || substr(n, 4, 3) || '''' || substr(n, 7, 2) || '''' || substr(n, 9, 2)
                              ELSE CASE datagen.r(i, 23, 3)
                                     WHEN 0 THEN n
                                     WHEN 1 THEN substr(n, 1, 3) || '-' || substr(n, 4, 3) || '-' || substr(n, 7, 2) || '-' || substr(n, 9, 2)
                                     ELSE substr(n, 1, 3) || '-' || substr(n, 4, 2) || '-' || substr(n, 6, 2) || '-' || substr(n, 8, 3) END
                         END AS nip,
                         CASE WHEN zagr THEN '+49 30 ' || datagen.digits(i, 24, 7)
                              ELSE '+48 ' || CASE WHEN a_kody[c] = '00' THEN '22' ELSE a_kody[c] END
                                   || ' ' || datagen.digits(i, 24, 3) || ' ' || datagen.digits(i, 25, 2) || ' ' || datagen.digits(i, 26, 2) END AS telefon,
                         CASE WHEN datagen.r(i, 27, 3) = 0 THEN '+48 ' || datagen.digits(i, 28, 2) || ' ' || datagen.digits(i, 29, 7) END AS faks
                    FROM (SELECT i, i % 50 AS k,
                                 (i % 50 IN (7, 27, 41, 45)) AS osoba,
                                 (i % 50 IN (13, 38)) AS zagr,
                                 (datagen.r(i, 12, 2) = 0) AS kobieta,
                                 CASE WHEN datagen.r(i, 12, 2) = 0 THEN datagen.pick(a_imiona_k, i, 13)
                                      ELSE datagen.pick(a_imiona_m, i, 13) END AS imie,
                                 datagen.pick(a_nazwiska, i, 14) AS nazwisko0,
                                 datagen.pick(a_rdzenie, i, 15) AS rdzen,
                                 datagen.pick(a_formy, i, 16) AS forma,
                                 datagen.pick(a_prawne, i, 17) AS prawna,
                                 1 + datagen.r(i, 18, cardinality(a_miasta)) AS c,
                                 1 + datagen.r(i, 18, cardinality(a_zagr_miasta)) AS z,
                                 CASE WHEN i % 50 IN (13, 38) THEN a_zagr_ulice[1 + datagen.r(i, 18, cardinality(a_zagr_ulice))]
                                      ELSE datagen.pick(a_ulice, i, 19) END AS ulica,
                                 CAST(1 + datagen.r(i, 20, 150) AS text)
                                   || CASE WHEN datagen.r(i, 30, 8) = 0 THEN 'a' ELSE '' END AS nrdomu,
                                 CASE WHEN datagen.r(i, 31, 3) = 0 THEN CAST(1 + datagen.r(i, 32, 60) AS text) END AS nrlokalu,
                                 datagen.nip(i) AS n
                            FROM generate_series(1, n_kh) AS i) AS a) AS g) AS h;

  INSERT INTO dbo.kh__kontrahent (kh_id, kh_symbol, kh_regon, kh_email, kh_www, kh_kontakt,
                                  kh_uwagi, kh_maxwartkred, kh_pracownik, kh_cena, kh_rodzaj,
                                  kh_idgrupa, kh_idrabat, kh_idformap)
  SELECT i, symbol,
         CASE WHEN k = 11 OR osoba OR zagr THEN NULL ELSE datagen.regon(i) END,
         CASE WHEN k = 11 THEN NULL
              WHEN osoba THEN translate(lower(imie || '.' || nazwisko), 'ąćęłńóśźż', 'acelnoszz') || '@poczta.onet.pl'
              ELSE 'biuro@' || domena || '.' || datagen.pick(a_domeny, i, 40) END,
         CASE WHEN k = 11 OR osoba THEN NULL ELSE 'www.' || domena || '.' || datagen.pick(a_domeny, i, 40) END,
         CASE WHEN k = 11 OR datagen.r(i, 41, 3) = 0 THEN NULL ELSE datagen.pick(a_pracownicy, i, 42) END,
         CASE WHEN k = 11 THEN NULL
              WHEN k IN (23, 31) THEN datagen.pick(a_uwagi_kh, i, 43)
              WHEN k IN (29) THEN NULL
              WHEN datagen.r(i, 44, 3) = 0 THEN datagen.pick(a_uwagi_kh, i, 43) END,
         CASE WHEN k = 11 THEN NULL ELSE (ARRAY[0, 5000, 10000, 25000.50, 100000])[1 + datagen.r(i, 45, 5)] END,
         CASE WHEN k = 11 OR k = 23 THEN NULL
              WHEN k IN (29, 31) OR datagen.r(i, 46, 2) = 0 THEN
                datagen.pick(a_imiona_m, i, 47) || ' ' || datagen.pick(a_nazwiska, i, 48) END,
         CASE WHEN k = 11 THEN NULL WHEN k = 15 THEN 0 WHEN k = 17 THEN 5 ELSE 1 + datagen.r(i, 49, 3) END,
         CASE WHEN k = 11 THEN NULL WHEN k = 19 THEN 3 ELSE datagen.r(i, 50, 3) END,
         CASE WHEN k = 11 THEN NULL WHEN zagr THEN 5 WHEN osoba THEN 2 ELSE 1 + datagen.r(i, 51, 6) END,
         CASE WHEN k = 11 OR k = 21 OR datagen.r(i, 52, 10) >= 3 THEN NULL ELSE 1 + datagen.r(i, 53, 6) END,
         CASE WHEN k = 11 THEN NULL WHEN k = 21 THEN 99 ELSE 1 + datagen.r(i, 54, 6) END
    FROM gen_kh;

  -- Main addresses (type 1) have the id 2i-1, correspondence addresses
  -- (type 2) the id 2i.
  INSERT INTO dbo.adr__ewid (adr_id, adr_idobiektu, adr_typadresu, adr_nazwa, adr_nazwapelna,
                             adr_ulica, adr_nrdomu, adr_nrlokalu, adr_kod, adr_miejscowosc,
                             adr_nip, adr_telefon, adr_faks, adr_idwojewodztwo, adr_idpanstwo)
  SELECT 2 * i - 1, i, 1, krotka, pelna, ulica, nrdomu, nrlokalu,
         CASE WHEN k = 11 THEN NULL ELSE kod END, miasto,
         CASE WHEN k = 11 THEN NULL ELSE nip END,
         CASE WHEN k = 11 THEN NULL ELSE telefon END,
         CASE WHEN k = 11 THEN NULL ELSE faks END,
         CASE WHEN k = 11 THEN NULL ELSE woj END,
         CASE WHEN k = 11 THEN NULL ELSE panstwo END
    FROM gen_kh
   WHERE k NOT IN (3, 33)
  UNION ALL
  SELECT 2 * i, i, 2, krotka, pelna, 'skr. poczt. ' || (1 + datagen.r(i, 55, 300)), NULL, NULL,
         kod, miasto, nip, NULL, NULL, woj, panstwo
    FROM gen_kh
   WHERE k = 33 OR (k <> 3 AND datagen.r(i, 56, 5) = 0);

  -- Address snapshots of documents: 2i-1 the customer's current address,
  -- 2i an earlier one (another street, the name before a change of the
  -- legal form).
  INSERT INTO dbo.adr_historia (adrh_id, adrh_nazwa, adrh_nazwapelna, adrh_nip, adrh_kod,
                                adrh_miejscowosc, adrh_adres, adrh_idwojewodztwo, adrh_idpanstwo)
  SELECT 2 * i - 1, krotka, pelna,
         CASE WHEN k IN (3, 33, 11) THEN NULL ELSE nip END,
         CASE WHEN k IN (3, 11) THEN NULL ELSE kod END,
         CASE WHEN k = 3 THEN NULL ELSE miasto END,
         CASE WHEN k IN (3, 33) THEN NULL
              ELSE ulica || ' ' || nrdomu || COALESCE('/' || nrlokalu, '') END,
         CASE WHEN k IN (3, 11) THEN NULL ELSE woj END,
         CASE WHEN k IN (3, 11) THEN NULL ELSE panstwo END
    FROM gen_kh
  UNION ALL
  SELECT 2 * i, krotka,
         CASE WHEN osoba THEN pelna ELSE forma || ' ' || rdzen END,
         nip, kod, miasto,
         datagen.pick(a_ulice, i, 57) || ' ' || (1 + datagen.r(i, 58, 90)),
         woj, panstwo
    FROM gen_kh;

  INSERT INTO dbo.kh_pracownik (pk_id, pk_idkh, pk_imie, pk_nazwisko, pk_telefon, pk_telkomorka,
                                pk_email, pk_stanowisko, pk_podstaw)
  SELECT pk_id, i,
         CASE WHEN pk_id % 40 IN (5, 15) THEN '' WHEN pk_id % 40 = 25 THEN NULL ELSE imie END,
         CASE WHEN pk_id % 40 = 15 THEN '' WHEN pk_id % 40 = 25 THEN NULL ELSE nazwisko END,
         CASE WHEN datagen.r(pk_id, 60, 3) = 0 THEN NULL
              ELSE '+48 ' || datagen.digits(pk_id, 61, 2) || ' ' || datagen.digits(pk_id, 62, 3)
                   || ' ' || datagen.digits(pk_id, 63, 2) || ' ' || datagen.digits(pk_id, 64, 2) END,
         CASE WHEN datagen.r(pk_id, 65, 4) = 0 THEN NULL
              ELSE (ARRAY['501', '602', '695', '727', '798', '883'])[1 + datagen.r(pk_id, 66, 6)]
                   || ' ' || datagen.digits(pk_id, 67, 3) || ' ' || datagen.digits(pk_id, 68, 3) END,
         CASE WHEN datagen.r(pk_id, 69, 3) = 0 THEN NULL
              ELSE translate(lower(left(imie, 1) || '.' || nazwisko), 'ąćęłńóśźż', 'acelnoszz') || '@' || domena || '.pl' END,
         datagen.pick(a_stanowiska, pk_id, 70),
         CASE j WHEN 1 THEN true WHEN 2 THEN false ELSE NULL END
    FROM (SELECT row_number() OVER (ORDER BY g.i, j) AS pk_id, g.i, j, g.domena,
                 CASE WHEN g.k = 43 THEN 'Jan'
                      WHEN datagen.r(g.i * 4 + j, 71, 2) = 0 THEN datagen.pick(a_imiona_k, g.i * 4 + j, 72)
                      ELSE datagen.pick(a_imiona_m, g.i * 4 + j, 72) END AS imie,
                 CASE WHEN g.k = 43 THEN 'Nowak'
                      WHEN datagen.r(g.i * 4 + j, 71, 2) = 0
                        THEN regexp_replace(datagen.pick(a_nazwiska, g.i * 4 + j, 73), '([sc]|dz)ki$', '\1ka')
                      ELSE datagen.pick(a_nazwiska, g.i * 4 + j, 73) END AS nazwisko
            FROM gen_kh g
            CROSS JOIN LATERAL generate_series(1, CASE WHEN g.k IN (3, 43) THEN 2
                                                       ELSE datagen.r(g.i, 59, 4) END) AS j) AS p;

  -- --- Documents -----------------------------------------------------------

  /*
    The documents come from slots 1 .. 100 N. A slot's main document has the
    id 2s-1; a document made from it (the WZ of an invoice, the PZ of a
    purchase invoice, the invoice realising an order) has the id 2s. Every
    block of 100 slots holds the same mix of types, in an order fixed by the
    hash, beginning with an FS and an FZ so that corrections always find an
    earlier invoice.
  */
  SELECT ARRAY[2, 1] || array_agg(typ ORDER BY datagen.r(n, 77, 1000000), n)
    INTO t100
    FROM (SELECT typ, row_number() OVER () AS n
            FROM (VALUES (2, 23), (4, 3), (21, 14), (6, 4), (14, 3), (1, 11), (3, 2),
                         (5, 2), (16, 14), (10, 8), (11, 14)) AS v(typ, cnt)
           CROSS JOIN LATERAL generate_series(1, cnt)) AS t;

  CREATE TEMP TABLE gen_plan ON COMMIT DROP AS
  SELECT s, 2 * s - 1 AS dok_id, t100[1 + (s - 1) % 100] AS typ, (s - 1) / 100 AS blok,
         d_start + CAST(floor(CAST(s - 1 AS numeric) * d_span / GREATEST(n_slot - 1, 1)) AS integer) AS data
    FROM generate_series(1, n_slot) AS s;
  ALTER TABLE gen_plan ADD COLUMN rnk integer;
  UPDATE gen_plan p SET rnk = q.rnk
    FROM (SELECT s, row_number() OVER (PARTITION BY blok, typ ORDER BY s) AS rnk FROM gen_plan) q
   WHERE q.s = p.s;
  CREATE INDEX ON gen_plan (typ, s);
  CREATE UNIQUE INDEX ON gen_plan (dok_id);
  -- Fresh tables have no statistics yet; without them the planner picks
  -- nested loops over whole tables.
  ANALYZE gen_plan;
  ANALYZE dbo.kh__kontrahent;
  ANALYZE dbo.kh_pracownik;
  ANALYZE dbo.tw__towar;
  ANALYZE dbo.tw_cena;

  -- Main documents.
  INSERT INTO dbo.dok__dokument (dok_id, dok_typ, dok_podtyp, dok_status, dok_statusex, dok_nrpelny,
                                 dok_platnikid, dok_odbiorcaid, dok_wystawil, dok_personelid,
                                 dok_magid, dok_cenytyp, dok_walutakurs, dok_datawyst, dok_datamag,
                                 dok_terminrealizacji, dok_uwagi)
  SELECT p.dok_id, p.typ,
         CASE WHEN p.typ = 2 AND p.rnk IN (3, 13) THEN 3 ELSE 0 END,
         CASE WHEN p.typ = 16 AND datagen.r(p.s, 80, 10) = 0 THEN 8 ELSE 1 END,
         CASE WHEN p.typ = 2 AND p.rnk = 13 THEN 1
              WHEN p.typ = 16 THEN (ARRAY[0, 16, 1, 8, 4, 5, 0, 0, 0, 0])[1 + datagen.r(p.s, 80, 10)]
              ELSE 0 END,
         '?',
         payer,
         CASE WHEN payer IS NULL OR payer = 0 THEN NULL
              WHEN datagen.r(p.s, 81, 5) = 0 THEN 1 + datagen.r(p.s, 82, n_kh)
              ELSE payer END,
         a_pracownicy[1 + u], 1 + u,
         (ARRAY[1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 4, 4, 5])[1 + datagen.r(p.s, 83, 20)],
         CASE WHEN p.typ IN (21, 14) OR (p.typ = 2 AND p.rnk % 4 = 2) THEN 0 ELSE 1 END,
         CASE WHEN p.typ = 2 AND p.rnk = 17 THEN 4.2693 ELSE 1 END,
         p.data,
         CASE WHEN datagen.r(p.s, 84, 10) = 0 AND p.typ IN (2, 1) THEN p.data - 1 ELSE p.data END,
         CASE WHEN p.typ = 16 THEN p.data + 3 + datagen.r(p.s, 85, 25) END,
         CASE WHEN datagen.r(p.s, 86, 5) = 0 THEN datagen.pick(a_uwagi, p.s, 87) END
    FROM (SELECT p.*,
                 datagen.r(p.s, 88, 6) AS u,
                 CASE WHEN p.typ = 2 AND p.rnk = 5 THEN NULL
                      WHEN p.typ = 2 AND p.rnk = 9 THEN n_kh + 100000 + p.s
                      WHEN p.typ = 16 AND p.rnk = 1 THEN NULL
                      WHEN p.typ = 16 AND p.rnk = 2 THEN LEAST(50 * p.blok + 43, n_kh)
                      WHEN p.typ = 11 AND p.rnk = 2 THEN NULL
                      WHEN p.typ = 21 AND datagen.r(p.s, 89, 10) < 7 THEN NULLIF(datagen.r(p.s, 90, 2), 1)
                      WHEN p.typ = 14 AND datagen.r(p.s, 89, 2) = 0 THEN NULLIF(datagen.r(p.s, 90, 2), 1)
                      ELSE 1 + datagen.r(p.s, 91, n_kh) END AS payer
            FROM gen_plan p) AS p;

  -- Documents made from a main one: a WZ for 4 in 10 FS, a PZ for every
  -- other FZ, a realising FS for 6 in 10 orders (status 2, not realising,
  -- for 1 in 10 of them).
  INSERT INTO dbo.dok__dokument (dok_id, dok_typ, dok_status, dok_nrpelny, dok_dodokid,
                                 dok_platnikid, dok_odbiorcaid, dok_wystawil, dok_personelid,
                                 dok_magid, dok_cenytyp, dok_datawyst, dok_datamag)
  SELECT d.dok_id + 1,
         CASE d.dok_typ WHEN 2 THEN 11 WHEN 1 THEN 10 ELSE 2 END,
         CASE WHEN d.dok_typ = 16 AND datagen.r(p.s, 92, 10) = 0 THEN 2 ELSE 1 END,
         '?', d.dok_id, d.dok_platnikid, d.dok_odbiorcaid, d.dok_wystawil, d.dok_personelid,
         d.dok_magid, 1,
         CASE WHEN d.dok_typ = 16 THEN LEAST(d.dok_datawyst + (1 + datagen.r(p.s, 93, 10)) * interval '1 day',
                                             CAST(current_date AS timestamp))
              ELSE d.dok_datawyst END,
         CASE WHEN d.dok_typ = 16 THEN LEAST(d.dok_datawyst + (1 + datagen.r(p.s, 93, 10)) * interval '1 day',
                                             CAST(current_date AS timestamp))
              ELSE d.dok_datawyst END
    FROM gen_plan p
    JOIN dbo.dok__dokument d ON d.dok_id = p.dok_id
   WHERE (p.typ = 2 AND datagen.r(p.s, 94, 10) < 4)
      OR (p.typ = 1 AND datagen.r(p.s, 94, 2) = 0)
      OR (p.typ = 16 AND (datagen.r(p.s, 94, 10) < 6 OR p.rnk = 3));

  ANALYZE dbo.dok__dokument;

  -- Corrections point to the invoice they correct: an earlier FS or FZ.
  UPDATE dbo.dok__dokument d
     SET dok_dodokid = (SELECT q.dok_id FROM gen_plan q
                         WHERE q.typ = CASE p.typ WHEN 6 THEN 2 ELSE 1 END AND q.s < p.s
                         ORDER BY q.s DESC LIMIT 1),
         dok_platnikid = NULL
    FROM gen_plan p
   WHERE p.dok_id = d.dok_id AND p.typ IN (5, 6);
  UPDATE dbo.dok__dokument d
     SET dok_platnikid = f.dok_platnikid, dok_odbiorcaid = f.dok_odbiorcaid,
         dok_magid = f.dok_magid, dok_cenytyp = f.dok_cenytyp
    FROM dbo.dok__dokument f
   WHERE d.dok_typ IN (5, 6) AND f.dok_id = d.dok_dodokid;

  -- The third order of a block is realised by a second invoice too: the
  -- next main FS after it.
  UPDATE dbo.dok__dokument d
     SET dok_dodokid = z.dok_id
    FROM (SELECT p.dok_id,
                 (SELECT q.dok_id FROM gen_plan q
                   WHERE q.typ = 2 AND q.s > p.s AND q.rnk NOT IN (5, 9)
                   ORDER BY q.s LIMIT 1) AS fs_id
            FROM gen_plan p WHERE p.typ = 16 AND p.rnk = 3) AS z
   WHERE d.dok_id = z.fs_id;

  -- Payer's and receiver's address snapshots; documents older than nine
  -- months use the earlier address of every other customer.
  UPDATE dbo.dok__dokument d
     SET dok_platnikadreshid = CASE WHEN d.dok_platnikid BETWEEN 1 AND n_kh THEN
                                 CASE WHEN d.dok_datawyst < current_date - 270 AND d.dok_platnikid % 2 = 0
                                      THEN 2 * d.dok_platnikid ELSE 2 * d.dok_platnikid - 1 END END,
         dok_odbiorcaadreshid = CASE WHEN d.dok_odbiorcaid BETWEEN 1 AND n_kh THEN 2 * d.dok_odbiorcaid - 1 END;

  -- Numbers: per type and year, in the order of issue.
  UPDATE dbo.dok__dokument d
     SET dok_nr = n.nr,
         dok_nrpelny = CASE WHEN d.dok_typ = 11 AND n.rnk = 1 THEN 'WZ/' || n.nr || '/' || n.rok
                            WHEN d.dok_typ = 11 AND n.rnk = 3 THEN 'wz ' || n.nr || '/' || n.rok
                            ELSE n.prefiks || ' ' || n.nr || '/' || n.rok END
    FROM (SELECT x.dok_id, x.rok, p.rnk,
                 row_number() OVER (PARTITION BY x.dok_typ, x.rok ORDER BY x.dok_datawyst, x.dok_id) AS nr,
                 CASE x.dok_typ WHEN 1 THEN 'FZ' WHEN 2 THEN 'FS' WHEN 3 THEN 'RZ' WHEN 4 THEN 'RS'
                                WHEN 5 THEN 'KFZ' WHEN 6 THEN 'KFS' WHEN 10 THEN 'PZ' WHEN 11 THEN 'WZ'
                                WHEN 14 THEN 'ZW' WHEN 16 THEN 'ZK' WHEN 21 THEN 'PA' END AS prefiks
            FROM (SELECT dok_id, dok_typ, dok_datawyst, CAST(EXTRACT(YEAR FROM dok_datawyst) AS integer) AS rok
                    FROM dbo.dok__dokument) AS x
            LEFT JOIN gen_plan p ON p.dok_id = x.dok_id) AS n
   WHERE n.dok_id = d.dok_id;

  -- The supplier's own numbers of purchase documents; the number of the
  -- related document.
  UPDATE dbo.dok__dokument
     SET dok_nrpelnyoryg = CASE dok_typ WHEN 5 THEN 'KOR/' ELSE 'FV/' END
                           || EXTRACT(YEAR FROM dok_datawyst) || '/' || lpad(CAST(dok_nr AS text), 5, '0')
   WHERE dok_typ IN (1, 3, 5);
  UPDATE dbo.dok__dokument d
     SET dok_nrpelnyoryg = f.dok_nrpelnyoryg
    FROM dbo.dok__dokument f
   WHERE d.dok_typ = 10 AND f.dok_id = d.dok_dodokid;
  UPDATE dbo.dok__dokument d
     SET dok_dodoknrpelny = f.dok_nrpelny
    FROM dbo.dok__dokument f
   WHERE f.dok_id = d.dok_dodokid;
  UPDATE dbo.dok__dokument d
     SET dok_dodoknrpelny = w.dok_nrpelny
    FROM dbo.dok__dokument w
   WHERE w.dok_typ = 11 AND w.dok_dodokid = d.dok_id AND d.dok_typ = 2;

  -- Orders are received by a contact person of the payer (every other
  -- order), by somebody else, or by nobody named.
  UPDATE dbo.dok__dokument d
     SET dok_odebral = CASE WHEN datagen.r(d.dok_id, 95, 4) IN (0, 1) OR p.rnk = 2 THEN
                              (SELECT pk.pk_imie || ' ' || pk.pk_nazwisko FROM dbo.kh_pracownik pk
                                WHERE pk.pk_idkh = d.dok_platnikid AND pk.pk_imie <> '' AND pk.pk_nazwisko <> ''
                                ORDER BY pk.pk_id LIMIT 1)
                            WHEN datagen.r(d.dok_id, 95, 4) = 2 THEN
                              datagen.pick(a_imiona_m, d.dok_id, 96) || ' ' || datagen.pick(a_nazwiska, d.dok_id, 97) END
    FROM gen_plan p
   WHERE p.dok_id = d.dok_id AND d.dok_typ IN (16, 2, 1);

  -- --- Document lines ------------------------------------------------------

  -- Fresh lines of every document that is neither a correction, nor an
  -- invoice realising an order, nor a warehouse document of an invoice.
  INSERT INTO dbo.dok_pozycja (ob_id, ob_doid, ob_dokhanid, ob_dokhanlp, ob_dokmagid, ob_dokmaglp,
                               ob_towid, ob_towrodzaj, ob_jm, ob_ilosc, ob_znak, ob_vatproc,
                               ob_cenanetto, ob_cenabrutto, ob_cenamag, ob_wartmag, ob_rabat,
                               ob_wartnetto, ob_wartvat, ob_opis)
  SELECT row_number() OVER (ORDER BY dok_id, lp), 0,
         CASE WHEN mag THEN NULL ELSE dok_id END, CASE WHEN mag THEN NULL ELSE lp END,
         CASE WHEN mag THEN dok_id WHEN wz_id IS NOT NULL AND towid IS NOT NULL AND rodzaj <> 2 THEN wz_id END,
         CASE WHEN mag OR (wz_id IS NOT NULL AND towid IS NOT NULL AND rodzaj <> 2) THEN lp END,
         towid, rodzaj, jm, q, znak, v, cn, cb, cm,
         CASE WHEN rodzaj IN (2, 4) OR datagen.r(klucz, 105, 7) = 0 THEN 0 ELSE round(q * cm, 2) END,
         rab, wn, round(wn * v / 100, 2), opis
    FROM (SELECT l.*, round(l.cn * (1 + l.v / 100), 2) AS cb,
                 CASE WHEN l.cenytyp = 1 THEN round(l.q * l.cn * (1 - l.rab / 100), 2)
                      ELSE round(l.q * round(l.cn * (1 + l.v / 100), 2) * (1 - l.rab / 100) / (1 + l.v / 100), 2) END AS wn
            FROM (SELECT d.dok_id, d.lp, d.klucz, d.mag, d.wz_id, d.cenytyp,
                         CASE WHEN d.bez_towaru THEN NULL
                              WHEN d.brak_towaru THEN n_tw + 1000000 + d.dok_id
                              ELSE t.tw_id END AS towid,
                         CASE WHEN d.bez_towaru THEN 2 ELSE COALESCE(t.tw_rodzaj, 1) END AS rodzaj,
                         CASE WHEN d.bez_towaru THEN 'usł.' ELSE COALESCE(t.tw_jednmiary, 'szt.') END AS jm,
                         CASE WHEN d.minus THEN 3
                              WHEN d.typ = 21 THEN 1 + datagen.r(d.klucz, 100, 3)
                              WHEN t.tw_jednmiary IN ('kg', 'l', 'm', 'mb') THEN round(0.5 + datagen.r(d.klucz, 100, 2000) / 100.0, 2)
                              ELSE 1 + datagen.r(d.klucz, 100, 20) END AS q,
                         CASE WHEN d.minus THEN -1 ELSE 1 END AS znak,
                         COALESCE(vt.vat_stawka, 23) AS v,
                         CASE WHEN d.bez_towaru THEN 50 + datagen.r(d.klucz, 101, 500)
                              WHEN d.zakup THEN COALESCE(c.tc_cenanetto0, round(5 + datagen.r(d.klucz, 101, 10000) / 100.0, 2))
                              ELSE COALESCE(c.tc_cenanetto1, round(5 + datagen.r(d.klucz, 101, 10000) / 100.0, 2)) END AS cn,
                         COALESCE(c.tc_cenanetto0, round(3 + datagen.r(d.klucz, 102, 5000) / 100.0, 2)) AS cm,
                         CASE WHEN NOT d.zakup AND datagen.r(d.klucz, 103, 8) = 0 THEN 5 + 5 * datagen.r(d.klucz, 104, 2)
                              ELSE 0 END AS rab,
                         CASE WHEN d.bez_towaru THEN datagen.pick(a_opisy_uslug, d.klucz, 106)
                              WHEN datagen.r(d.klucz, 107, 10) = 0 THEN 'Dostawa częściowa, reszta w przyszłym tygodniu'
                              END AS opis
                    FROM (SELECT x.*,
                                 x.typ IN (1, 3, 10) AS zakup,
                                 (x.typ IN (2, 4, 16) AND (datagen.r(x.klucz, 108, 40) = 0
                                                           OR (x.lp = 1 AND x.typ = 2 AND x.rnk = 6)
                                                           OR (x.lp = 1 AND x.typ = 16 AND x.rnk = 5))) AS bez_towaru,
                                 (x.lp = 1 AND x.typ = 2 AND x.rnk = 15) AS brak_towaru,
                                 (x.lp = 1 AND x.typ = 16 AND x.rnk = 6) AS minus,
                                 1 + datagen.r(x.klucz, 109, n_tw) AS towid0
                            FROM (SELECT dd.dok_id, dd.dok_typ AS typ, dd.dok_cenytyp AS cenytyp, p.rnk, lp,
                                         CAST(dd.dok_id AS bigint) * 8 + lp AS klucz,
                                         dd.dok_typ IN (10, 11) AS mag,
                                         w.dok_id AS wz_id
                                    FROM dbo.dok__dokument dd
                                    JOIN gen_plan p ON p.dok_id = dd.dok_id
                                    LEFT JOIN dbo.dok__dokument w ON w.dok_dodokid = dd.dok_id AND w.dok_typ IN (10, 11)
                                   CROSS JOIN LATERAL generate_series(1, CASE WHEN dd.dok_typ = 21 THEN 1 + datagen.r(dd.dok_id, 110, 3)
                                                                              ELSE 1 + datagen.r(dd.dok_id, 110, 5) END) AS lp
                                   WHERE dd.dok_typ NOT IN (5, 6)) AS x) AS d
                    LEFT JOIN dbo.tw__towar t ON t.tw_id = d.towid0 AND NOT d.bez_towaru
                    LEFT JOIN dbo.tw_cena c ON c.tc_idtowar = t.tw_id
                    LEFT JOIN dbo.sl_stawkavat vt ON vt.vat_id = t.tw_idvatsp) AS l) AS f;

  ANALYZE dbo.dok_pozycja;

  -- Invoices realising orders take over the order's lines.
  SELECT COALESCE(max(ob_id), 0) INTO v_next FROM dbo.dok_pozycja;
  INSERT INTO dbo.dok_pozycja (ob_id, ob_doid, ob_dokhanid, ob_dokhanlp, ob_towid, ob_towrodzaj, ob_jm,
                               ob_ilosc, ob_znak, ob_vatproc, ob_cenanetto, ob_cenabrutto, ob_cenamag,
                               ob_wartmag, ob_rabat, ob_wartnetto, ob_wartvat, ob_opis)
  SELECT v_next + row_number() OVER (ORDER BY f.dok_id, o.ob_dokhanlp), 0, f.dok_id, o.ob_dokhanlp,
         o.ob_towid, o.ob_towrodzaj, o.ob_jm, o.ob_ilosc, 1, o.ob_vatproc, o.ob_cenanetto,
         o.ob_cenabrutto, o.ob_cenamag, o.ob_wartmag, o.ob_rabat, abs(o.ob_wartnetto), abs(o.ob_wartvat), o.ob_opis
    FROM dbo.dok__dokument f
    JOIN dbo.dok__dokument z ON z.dok_id = f.dok_dodokid AND z.dok_typ = 16
    JOIN dbo.dok_pozycja o ON o.ob_dokhanid = z.dok_id
   WHERE f.dok_typ = 2 AND NOT EXISTS (SELECT 1 FROM dbo.dok_pozycja e WHERE e.ob_dokhanid = f.dok_id);

  -- Correction lines: each corrects one or two lines of the corrected
  -- invoice, by the correction's rank in its block: 1 lowers the value, 2
  -- takes back one unit at its price, 3 takes back one unit without a price,
  -- 4 raises the value.
  SELECT COALESCE(max(ob_id), 0) INTO v_next FROM dbo.dok_pozycja;
  INSERT INTO dbo.dok_pozycja (ob_id, ob_doid, ob_dokhanid, ob_dokhanlp, ob_towid, ob_towrodzaj, ob_jm,
                               ob_ilosc, ob_znak, ob_vatproc, ob_cenanetto, ob_cenabrutto, ob_cenamag,
                               ob_wartmag, ob_rabat, ob_wartnetto, ob_wartvat, ob_opis)
  SELECT v_next + row_number() OVER (ORDER BY k.dok_id, o.ob_dokhanlp), o.ob_id, k.dok_id, o.ob_dokhanlp,
         o.ob_towid, o.ob_towrodzaj, o.ob_jm,
         CASE wariant WHEN 2 THEN 1 WHEN 3 THEN 1 ELSE 0 END,
         CASE wariant WHEN 2 THEN -1 WHEN 3 THEN -1 ELSE 1 END,
         o.ob_vatproc,
         CASE wariant WHEN 2 THEN o.ob_cenanetto ELSE 0 END,
         CASE wariant WHEN 2 THEN o.ob_cenabrutto ELSE 0 END,
         o.ob_cenamag, 0, 0, wn, round(wn * o.ob_vatproc / 100, 2), NULL
    FROM (SELECT k.*, o.ob_id AS oid,
                 CASE wariant WHEN 1 THEN -round(o.ob_wartnetto * 0.1, 2)
                              WHEN 2 THEN -round(o.ob_cenanetto, 2)
                              WHEN 3 THEN -round(o.ob_cenanetto, 2)
                              ELSE round(o.ob_wartnetto * 0.05, 2) END AS wn
            FROM (SELECT d.dok_id, d.dok_dodokid, 1 + (p.rnk - 1) % 4 AS wariant,
                         1 + datagen.r(d.dok_id, 111, 2) AS ile
                    FROM dbo.dok__dokument d JOIN gen_plan p ON p.dok_id = d.dok_id
                   WHERE d.dok_typ IN (5, 6)) AS k
            JOIN dbo.dok_pozycja o ON o.ob_dokhanid = k.dok_dodokid AND o.ob_dokhanlp <= k.ile) AS k
    JOIN dbo.dok_pozycja o ON o.ob_id = k.oid;

  ANALYZE dbo.dok_pozycja;

  -- Values of the documents from their lines.
  UPDATE dbo.dok__dokument d
     SET dok_wartnetto = s.netto, dok_wartvat = s.vat, dok_wartbrutto = s.netto + s.vat
    FROM (SELECT ob_dokhanid AS id, sum(ob_wartnetto) AS netto, sum(ob_wartvat) AS vat
            FROM dbo.dok_pozycja WHERE ob_dokhanid IS NOT NULL GROUP BY ob_dokhanid) AS s
   WHERE d.dok_id = s.id AND d.dok_typ NOT IN (10, 11);
  UPDATE dbo.dok__dokument d
     SET dok_wartnetto = s.netto, dok_wartvat = s.vat, dok_wartbrutto = s.netto + s.vat
    FROM (SELECT ob_dokmagid AS id, sum(ob_wartnetto) AS netto, sum(ob_wartvat) AS vat
            FROM dbo.dok_pozycja WHERE ob_dokmagid IS NOT NULL GROUP BY ob_dokmagid) AS s
   WHERE d.dok_id = s.id AND d.dok_typ IN (10, 11);

  -- Returnable packaging on the eleventh FS of a block.
  UPDATE dbo.dok__dokument d
     SET dok_wartopwyd = 24.60, dok_wartopzwr = 12.30
    FROM gen_plan p
   WHERE p.dok_id = d.dok_id AND p.typ = 2 AND p.rnk = 11;

  -- How the gross value is paid: in cash, by card, on credit, mixed or
  -- not stated; EUR documents state the credit part in euro.
  UPDATE dbo.dok__dokument d
     SET dok_kwgotowka = CASE f WHEN 'G' THEN dok_wartbrutto WHEN 'M' THEN round(dok_wartbrutto / 2, 2)
                                WHEN 'C' THEN round(dok_wartbrutto / 3, 2) ELSE 0 END,
         dok_kwkarta = CASE f WHEN 'K' THEN dok_wartbrutto WHEN 'M' THEN dok_wartbrutto - round(dok_wartbrutto / 2, 2)
                              ELSE 0 END,
         dok_kwkredyt = CASE f WHEN 'P' THEN CASE WHEN dok_walutakurs = 1 THEN dok_wartbrutto
                                                  ELSE round(dok_wartbrutto / dok_walutakurs, 2) END
                               WHEN 'C' THEN dok_wartbrutto - round(dok_wartbrutto / 3, 2) ELSE 0 END
    FROM (SELECT dok_id,
                 CASE WHEN dok_typ IN (21) THEN (ARRAY['G','G','G','G','G','G','K','K','K','M'])[1 + datagen.r(dok_id, 120, 10)]
                      WHEN dok_typ IN (4, 14) THEN 'G'
                      WHEN dok_typ IN (2) THEN (ARRAY['G','G','G','G','K','K','P','P','P','P','P','P','P','P','P','P','P','M','0','C'])[1 + datagen.r(dok_id, 120, 20)]
                      WHEN dok_typ IN (1, 3) THEN (ARRAY['G','P','P','P','P'])[1 + datagen.r(dok_id, 120, 5)]
                      WHEN dok_typ IN (5, 6) THEN 'P'
                      ELSE '0' END AS f
            FROM dbo.dok__dokument) AS x
   WHERE x.dok_id = d.dok_id;

  -- Payment due dates from the payer's payment form.
  UPDATE dbo.dok__dokument d
     SET dok_plattermin = d.dok_datawyst + COALESCE(fp.fp_termin, 14) * interval '1 day'
    FROM dbo.dok__dokument x
    LEFT JOIN dbo.kh__kontrahent kh ON kh.kh_id = x.dok_platnikid
    LEFT JOIN dbo.sl_formaplatnosci fp ON fp.fp_id = kh.kh_idformap
   WHERE x.dok_id = d.dok_id AND d.dok_typ IN (1, 2, 3, 4, 5, 6, 14, 21);

  -- KSeF numbers of invoices and corrections issued from February 2026.
  INSERT INTO dbo.ksef_numerksef (ksefnr_id, ksefnr_numerksef)
  SELECT row_number() OVER (ORDER BY dok_id),
         CASE WHEN dok_typ IN (2, 6) THEN '7251801126' ELSE datagen.nip(COALESCE(dok_platnikid, 0)) END
         || '-' || to_char(dok_datawyst, 'YYYYMMDD') || '-' || upper(substr(md5('ksef' || dok_id), 1, 12))
         || '-' || upper(substr(md5('ksef' || dok_id), 13, 2))
    FROM dbo.dok__dokument
   WHERE dok_typ IN (1, 2, 5, 6) AND dok_datawyst >= DATE '2026-02-01' AND datagen.r(dok_id, 121, 20) < 17;
  UPDATE dbo.dok__dokument d
     SET dok_numerksefid = k.id
    FROM (SELECT row_number() OVER (ORDER BY dok_id) AS id, dok_id
            FROM dbo.dok__dokument
           WHERE dok_typ IN (1, 2, 5, 6) AND dok_datawyst >= DATE '2026-02-01' AND datagen.r(dok_id, 121, 20) < 17) AS k
   WHERE k.dok_id = d.dok_id;

  -- --- Receivables, payables and their settlements -----------------------

  /*
    Every invoice, bill, receipt, correction and return has one record: a
    receivable (39) when money is due to us, a payable (40) when we owe it.
    Records without a document stand for balances entered by hand.
  */
  CREATE TEMP TABLE gen_dlug ON COMMIT DROP AS
  SELECT row_number() OVER (ORDER BY d.dok_id) AS nzf_id, d.dok_id, d.dok_typ, d.dok_nr, d.dok_nrpelny,
         d.dok_wystawil, d.dok_datawyst AS data, d.dok_walutakurs AS kurs, abs(d.dok_wartbrutto) AS kwota,
         CASE WHEN (d.dok_typ IN (2, 4, 21, 6) AND d.dok_wartbrutto >= 0)
                OR (d.dok_typ IN (1, 3, 5) AND d.dok_wartbrutto < 0) THEN 39 ELSE 40 END AS typ,
         CASE WHEN d.dok_kwkarta > 0 THEN 'K' WHEN d.dok_kwgotowka > 0 THEN 'G' ELSE 'P' END AS forma,
         CASE WHEN d.dok_typ IN (21, 4, 14) THEN 0
              WHEN d.dok_typ = 2 AND p.rnk = 7 THEN 77
              WHEN d.dok_typ = 2 AND p.rnk = 8 THEN 55
              WHEN d.dok_typ = 2 AND p.rnk = 10 THEN 70
              WHEN d.dok_typ = 2 AND p.rnk = 12 THEN 90
              ELSE datagen.r(d.dok_id, 125, 100) END AS sc
    FROM dbo.dok__dokument d
    LEFT JOIN gen_plan p ON p.dok_id = d.dok_id
   WHERE d.dok_typ IN (1, 2, 3, 4, 5, 6, 14, 21);
  CREATE UNIQUE INDEX ON gen_dlug (nzf_id);
  CREATE INDEX ON gen_dlug (dok_id);
  SELECT COALESCE(max(nzf_id), 0) INTO v_next FROM gen_dlug;
  INSERT INTO gen_dlug (nzf_id, dok_id, dok_typ, dok_nr, dok_nrpelny, dok_wystawil, data, kurs, kwota, typ, forma, sc)
  SELECT v_next + 5 * (b - 1) + j, NULL, NULL, NULL,
         (ARRAY['KFS ', 'ZW ', 'FS ', 'Nota ', 'KFZ '])[j] || (100 + b) || '/2024',
         'Administrator', current_date - 20 - datagen.r(b * 5 + j, 122, 150),
         1, CASE WHEN j = 4 THEN 0.125 ELSE round(50 + datagen.r(b * 5 + j, 123, 200000) / 100.0, 2) END,
         (ARRAY[40, 40, 39, 39, 39])[j], 'G', 0
    FROM generate_series(1, scale) AS b CROSS JOIN generate_series(1, 5) AS j;

  INSERT INTO dbo.nz__finanse (nzf_id, nzf_typ, nzf_podtyp, nzf_iddokumentauto, nzf_numer, nzf_numerpelny,
                               nzf_tytulem, nzf_wystawil, nzf_data, nzf_kurs, nzf_wartosc)
  SELECT nzf_id, typ, 0, dok_id, dok_nr, dok_nrpelny,
         CASE typ WHEN 39 THEN 'Należność: ' ELSE 'Zobowiązanie: ' END || dok_nrpelny,
         dok_wystawil, data, kurs, kwota
    FROM gen_dlug;

  /*
    Payments. Receipts, bills and returns are paid on the day, in cash or by
    card; invoices are paid in full, in part, in two instalments, through a
    settlement that the import does not read (type 2), or not yet; the
    records without a document are paid in cash. Payments later than today
    are left out, so their documents stay open.
  */
  CREATE TEMP TABLE gen_wplata ON COMMIT DROP AS
  SELECT w.*, row_number() OVER (ORDER BY w.data, w.nzf_dlug, w.rata) AS lp
    FROM (SELECT g.nzf_id AS nzf_dlug, g.typ AS typ_dlugu, g.kurs, g.dok_nrpelny, g.dok_wystawil, 1 AS rata,
                 CASE WHEN g.dok_typ IN (21, 4, 14) OR g.forma IN ('G', 'K') OR g.dok_id IS NULL THEN g.data
                      ELSE g.data + (datagen.r(g.nzf_id, 124, 45) * interval '1 day') END AS data,
                 CASE WHEN g.sc BETWEEN 50 AND 64 THEN round(g.kwota * 0.6, 2)
                      WHEN g.sc BETWEEN 65 AND 74 THEN round(g.kwota / 2, 2)
                      ELSE g.kwota END AS kwota,
                 CASE WHEN g.sc BETWEEN 75 AND 79 THEN 2 WHEN g.forma = 'P' THEN 3 ELSE 1 END AS nzs_typ,
                 g.forma
            FROM gen_dlug g
           WHERE g.dok_typ IS DISTINCT FROM 5 AND g.dok_typ IS DISTINCT FROM 6
             AND g.sc < 80 AND g.kwota > 0
          UNION ALL
          SELECT g.nzf_id, g.typ, g.kurs, g.dok_nrpelny, g.dok_wystawil, 2,
                 g.data + (40 * interval '1 day'), g.kwota - round(g.kwota / 2, 2), 3, 'P'
            FROM gen_dlug g
           WHERE g.dok_typ IN (1, 2, 3) AND g.sc BETWEEN 65 AND 74 AND g.kwota > 0) AS w
   WHERE w.data <= current_date;

  ANALYZE gen_dlug;
  ANALYZE gen_wplata;
  ANALYZE dbo.nz__finanse;
  SELECT COALESCE(max(nzf_id), 0) INTO v_next FROM dbo.nz__finanse;
  INSERT INTO dbo.nz__finanse (nzf_id, nzf_typ, nzf_podtyp, nzf_iddokumentauto, nzf_numer, nzf_numerpelny,
                               nzf_tytulem, nzf_wystawil, nzf_data, nzf_kurs, nzf_wartosc)
  SELECT v_next + lp, t, CASE WHEN t = 41 THEN 4 ELSE 0 END, NULL, nr,
         CASE t WHEN 17 THEN 'KP ' WHEN 18 THEN 'KW ' WHEN 19 THEN 'BP ' WHEN 20 THEN 'BW ' ELSE 'KRT ' END
           || nr || '/' || rok,
         CASE WHEN rata = 2 THEN 'Druga rata za ' ELSE 'Zapłata za ' END || dok_nrpelny,
         dok_wystawil, data, 1, 0
    FROM (SELECT w.*, row_number() OVER (PARTITION BY t, rok ORDER BY lp) AS nr
            FROM (SELECT w.*, CAST(EXTRACT(YEAR FROM w.data) AS integer) AS rok,
                         CASE WHEN w.forma = 'K' THEN 41
                              WHEN w.forma = 'P' THEN CASE WHEN w.typ_dlugu = 39 THEN 19 ELSE 20 END
                              ELSE CASE WHEN w.typ_dlugu = 39 THEN 17 ELSE 18 END END AS t
                    FROM gen_wplata w) AS w) AS w;

  INSERT INTO dbo.nz_finansesplata (nzs_id, nzs_typ, nzs_iddlugu, nzs_idsplaty, nzs_data, nzs_wartoscwaluta)
  SELECT lp, nzs_typ, nzf_dlug, v_next + lp, data,
         CASE WHEN kurs = 1 THEN kwota ELSE round(kwota / kurs, 2) END
    FROM gen_wplata;

  -- Corrections settle against the invoice they correct (type 4): the
  -- invoice's record as the settled one, the correction's as the settling
  -- one. Two in three of them form a compensation, confirmed (status 2) or
  -- still a draft (status 1).
  SELECT COALESCE(max(nzs_id), 0) INTO v_next FROM dbo.nz_finansesplata;
  CREATE TEMP TABLE gen_kompensata ON COMMIT DROP AS
  SELECT row_number() OVER (ORDER BY k.nzf_id) AS lp, f.nzf_id AS nzf_faktura, k.nzf_id AS nzf_korekta,
         k.data, LEAST(k.kwota, f.kwota) AS kwota, f.kurs, datagen.r(k.nzf_id, 126, 3) AS wariant
    FROM gen_dlug k
    JOIN dbo.dok__dokument d ON d.dok_id = k.dok_id
    JOIN gen_dlug f ON f.dok_id = d.dok_dodokid
   WHERE k.dok_typ IN (5, 6) AND k.typ <> f.typ AND k.kwota > 0;
  INSERT INTO dbo.nz_finansesplata (nzs_id, nzs_typ, nzs_iddlugu, nzs_idsplaty, nzs_data, nzs_wartoscwaluta)
  SELECT v_next + lp, 4, nzf_faktura, nzf_korekta, data,
         CASE WHEN kurs = 1 THEN kwota ELSE round(kwota / kurs, 2) END
    FROM gen_kompensata;
  INSERT INTO dbo.nz_kompensata (nzk_id, nzk_status)
  SELECT lp, CASE wariant WHEN 1 THEN 2 ELSE 1 END FROM gen_kompensata WHERE wariant IN (1, 2);
  INSERT INTO dbo.nz_kompensatapozycja (nzp_id, nzp_idkompensaty, nzp_idrozrachunku)
  SELECT 2 * lp - 1, lp, nzf_faktura FROM gen_kompensata WHERE wariant IN (1, 2)
  UNION ALL
  SELECT 2 * lp, lp, nzf_korekta FROM gen_kompensata WHERE wariant IN (1, 2);

  -- Corrections that raise the value are paid by transfer; their due
  -- records are settled like invoices (type 1 settlement, bank payment).
  SELECT COALESCE(max(nzs_id), 0) INTO v_next FROM dbo.nz_finansesplata;
  SELECT COALESCE(max(nzf_id), 0) INTO v_nzf FROM dbo.nz__finanse;
  INSERT INTO dbo.nz__finanse (nzf_id, nzf_typ, nzf_podtyp, nzf_iddokumentauto, nzf_numer, nzf_numerpelny,
                               nzf_tytulem, nzf_wystawil, nzf_data, nzf_kurs, nzf_wartosc)
  SELECT v_nzf + lp, CASE WHEN typ = 39 THEN 19 ELSE 20 END, 0, NULL, 9000 + lp,
         CASE WHEN typ = 39 THEN 'BP ' ELSE 'BW ' END || (9000 + lp) || '/' || EXTRACT(YEAR FROM data),
         'Zapłata za ' || dok_nrpelny, dok_wystawil, data, 1, 0
    FROM (SELECT g.*, row_number() OVER (ORDER BY g.nzf_id) AS lp
            FROM gen_dlug g
           WHERE g.dok_typ IN (5, 6) AND g.kwota > 0
             AND NOT EXISTS (SELECT 1 FROM gen_kompensata k WHERE k.nzf_korekta = g.nzf_id)) AS g;
  INSERT INTO dbo.nz_finansesplata (nzs_id, nzs_typ, nzs_iddlugu, nzs_idsplaty, nzs_data, nzs_wartoscwaluta)
  SELECT v_next + lp, 1, nzf_id, v_nzf + lp, data, kwota
    FROM (SELECT g.*, row_number() OVER (ORDER BY g.nzf_id) AS lp
            FROM gen_dlug g
           WHERE g.dok_typ IN (5, 6) AND g.kwota > 0
             AND NOT EXISTS (SELECT 1 FROM gen_kompensata k WHERE k.nzf_korekta = g.nzf_id)) AS g;

  ANALYZE dbo.nz__finanse;
  ANALYZE dbo.nz_finansesplata;

  -- What remains open on each receivable and payable.
  UPDATE dbo.nz__finanse f
     SET nzf_wartosc = GREATEST(f.nzf_wartosc - s.zaplacono, 0)
    FROM (SELECT id, sum(kwota) AS zaplacono
            FROM (SELECT s.nzs_iddlugu AS id, s.nzs_wartoscwaluta * d.nzf_kurs AS kwota
                    FROM dbo.nz_finansesplata s JOIN dbo.nz__finanse d ON d.nzf_id = s.nzs_iddlugu
                  UNION ALL
                  SELECT s.nzs_idsplaty, s.nzs_wartoscwaluta * d.nzf_kurs
                    FROM dbo.nz_finansesplata s JOIN dbo.nz__finanse d ON d.nzf_id = s.nzs_iddlugu
                   WHERE s.nzs_typ = 4) AS x
           GROUP BY id) AS s
   WHERE f.nzf_id = s.id AND f.nzf_typ IN (39, 40);

  -- Advance payments of orders: one for every fourth order, two for the
  -- fourth order of a block.
  SELECT COALESCE(max(nzf_id), 0) INTO v_next FROM dbo.nz__finanse;
  INSERT INTO dbo.nz__finanse (nzf_id, nzf_typ, nzf_podtyp, nzf_iddokumentauto, nzf_numer, nzf_numerpelny,
                               nzf_tytulem, nzf_wystawil, nzf_data, nzf_kurs, nzf_wartosc)
  SELECT v_next + row_number() OVER (ORDER BY d.dok_id, j), 17, 0, d.dok_id, 8000 + d.dok_nr,
         'KP ' || (8000 + d.dok_nr) || '/' || EXTRACT(YEAR FROM d.dok_datawyst),
         'Zaliczka do zamówienia ' || d.dok_nrpelny, d.dok_wystawil, d.dok_datawyst, 1,
         round(d.dok_wartbrutto * CASE j WHEN 1 THEN 0.3 ELSE 0.2 END, 2)
    FROM dbo.dok__dokument d
    JOIN gen_plan p ON p.dok_id = d.dok_id
   CROSS JOIN LATERAL generate_series(1, CASE WHEN p.rnk = 4 THEN 2 ELSE 1 END) AS j
   WHERE d.dok_typ = 16 AND (p.rnk = 4 OR datagen.r(d.dok_id, 127, 4) = 0);
END
$fn$;
