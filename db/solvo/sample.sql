/*
  Sample data for a Solvo database made from solvo.sql: one operator and
  one import configuration for the Subiekt GT demo database.

  Configuration 5:
    OPCJE         1    detailed log
    OPCJEIMPORTU  126  bits 1 to 6: products, customers, contact persons,
                       sales, purchases, orders
    OKRESANALIZY  12   documents of the last twelve months
    INTERWALAUTOIMP    no automatic runs
*/

SET SQL DIALECT 1;

INSERT INTO OPERATOR (IDOPERATORA, LOGIN, NAZWA, IMIE, NAZWISKO, IDODDZIALU,
                      AKTYWNY, DATAWPISU)
VALUES (1, 'ADMIN', 'Administrator', 'Józef', 'Wiśniewski', 1,
        1, CURRENT_TIMESTAMP);

INSERT INTO KONFIMPORT (IDKONFIMPORT, IDODDZIALU, AKTYWNY,
                        SERWER, LOGIN, HASLO,
                        OPCJE, OPCJEIMPORTU, OPCJEAKTUALIZACJI,
                        KATALOG1, INTERWALAUTOIMP,
                        DATAWPISU, IDOPERATORA, OKRESANALIZY, WERSJAZRODLA)
VALUES (5, 1, 1,
        'subiekt_demo', 'subiekt', 'subiekt',
        1, 126, 0,
        '/tmp/solvo-demo/log/', NULL,
        CURRENT_TIMESTAMP, 1, 12, 1);

COMMIT;
