/* ======================================================================
   Import links
   IMPEKSP ties a Solvo record (IDLICZ in table IDTABELI) to the record it
   came from: source system IDSYSTEMOUT (5 = Subiekt GT), source version
   WERSJAZRODLA, source id IDOUT as text, document number NUMERDOK.  The
   import procedures write it; the removals read it.  Every lookup goes by
   source system, table, source id and version, hence the index.
   ====================================================================== */

SET SQL DIALECT 1;

CREATE TABLE IMPEKSP (
  IDIMPEKSP       INTEGER NOT NULL,
  IDLICZ          INTEGER NOT NULL,
  IDTABELI        INTEGER NOT NULL,
  IDOUT           VARCHAR(100) NOT NULL,
  IDSYSTEMOUT     INTEGER NOT NULL,
  WERSJAZRODLA    INTEGER,
  NUMERDOK        VARCHAR(50),
  IDODDZIALU      INTEGER,
  DATAWPISU       DATE,
  CONSTRAINT PK_IMPEKSP PRIMARY KEY (IDIMPEKSP)
);

CREATE INDEX IX_IMPEKSP_ZRODLO ON IMPEKSP (IDSYSTEMOUT, IDTABELI, IDOUT, WERSJAZRODLA);
CREATE INDEX IX_IMPEKSP_LICZ ON IMPEKSP (IDTABELI, IDLICZ);

CREATE GENERATOR IDIMPEKSP_ID;

COMMIT;
