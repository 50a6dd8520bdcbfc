/*
  Checks of the stored procedures and the number-range trigger, run by hand on a fresh
  database made by scripts/schema-check (it changes data and counters there):

    scripts/schema-check
    isql-fb -q -ch UTF8 -i tests/db/procedures_check.sql /tmp/schema-check/check.fdb -user SYSDBA

  Every check prints one line "ok   <what> -> <value>" or "FAIL <what> -> <value>".
  The seed data provide the ranges 1 ("person", sub 1), 2 ("person", sub 2) and
  3 ("firmen", no sub range), all "Zahl(.6)", unique, valid 2000-2099, start value 1.
*/

SET LIST OFF;
SET HEADING OFF;

/* ---- Mask language: the example masks for counter 1234 on 5 March 2024, 09:07:04 ---- */
SELECT IIF(NR IS NOT DISTINCT FROM '00001234', 'ok   ', 'FAIL ') || 'Zahl(.8) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Zahl(.8)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '2403001234', 'ok   ', 'FAIL ') || 'Datum(JJMM) Zahl(.6) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Datum(JJMM) Zahl(.6)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM 'R2403001234', 'ok   ', 'FAIL ') || 'Text(R) Datum(JJMM) Zahl(.6) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Text(R) Datum(JJMM) Zahl(.6)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '24031234', 'ok   ', 'FAIL ') || 'Datum(JJMM) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Datum(JJMM)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '5.3.241234', 'ok   ', 'FAIL ') || 'Datum(T/M/J) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Datum(T/M/J)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '05.Mär.20241234', 'ok   ', 'FAIL ') || 'Datum(TT.MMM.JJJJ) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Datum(TT.MMM.JJJJ)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '05.März.20241234', 'ok   ', 'FAIL ') || 'Datum(TT/MMMM/JJJJ) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Datum(TT/MMMM/JJJJ)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '05.MÄR.20241234', 'ok   ', 'FAIL ') || 'Datumgross(TT/MMM/JJJJ) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Datumgross(TT/MMM/JJJJ)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '9:71234', 'ok   ', 'FAIL ') || 'Datum(H:N) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Datum(H:N)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '09:07:041234', 'ok   ', 'FAIL ') || 'Datum(HH:NN:SS) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Datum(HH:NN:SS)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '1234', 'ok   ', 'FAIL ') || '(TT/MM/JJJJ HH:NN:SS) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('(TT/MM/JJJJ HH:NN:SS)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '1234', 'ok   ', 'FAIL ') || 'Zahl() -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Zahl()', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '001234', 'ok   ', 'FAIL ') || 'Zahl(.6) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Zahl(.6)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM 'Testformat1234', 'ok   ', 'FAIL ') || 'Text(Testformat) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Text(Testformat)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM 'TESTFORMAT1234', 'ok   ', 'FAIL ') || 'Textgross(Testformat) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Textgross(Testformat)', 1234, TIMESTAMP '2024-03-05 09:07:04');

/* ---- Mask language: empty, bad input, limits ---- */
SELECT IIF(NR IS NOT DISTINCT FROM '1234', 'ok   ', 'FAIL ') || 'empty mask -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '1234', 'ok   ', 'FAIL ') || 'NULL mask -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER(NULL, 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NULL, 'ok   ', 'FAIL ') || 'NULL counter -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Zahl(.6)', NULL, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '000000000000000000000000001234', 'ok   ', 'FAIL ') || 'Zahl(.500) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Zahl(.500)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM 'A', 'ok   ', 'FAIL ') || 'Text(A)Zahl(%n) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Text(A)Zahl(%n)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM 'A', 'ok   ', 'FAIL ') || 'Text(A)Zahl(%s) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Text(A)Zahl(%s)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM 'A', 'ok   ', 'FAIL ') || 'Text(A)Zahl(%d%d) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Text(A)Zahl(%d%d)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '1234', 'ok   ', 'FAIL ') || 'Zahl(.6 (unbalanced) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Zahl(.6', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM 'a(b1234', 'ok   ', 'FAIL ') || 'Text(a(b)c) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Text(a(b)c)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '-0042', 'ok   ', 'FAIL ') || 'Zahl(.4) of -42 -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Zahl(.4)', -42, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM '000004D2', 'ok   ', 'FAIL ') || 'Zahl(.8X) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Zahl(.8X)', 1234, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(NR IS NOT DISTINCT FROM 'Di Dienstag1', 'ok   ', 'FAIL ') || 'Datum(TTT TTTT) -> ' || COALESCE(NR, '<null>') FROM SP_FORMAT_NUMMER('Datum(TTT TTTT)', 1, TIMESTAMP '2024-03-05 09:07:04');
SELECT IIF(CHAR_LENGTH(NR) = 90, 'ok   ', 'FAIL ') || '4 x Zahl(.30) stops at 100 chars -> length ' || CHAR_LENGTH(NR) FROM SP_FORMAT_NUMMER('Zahl(.30)Zahl(.30)Zahl(.30)Zahl(.30)', 7, TIMESTAMP '2024-03-05 09:07:04');

/* ---- SP_GET_NUMMER on the seeded ranges ---- */
SELECT IIF(NR IS NOT DISTINCT FROM '000001', 'ok   ', 'FAIL ') || 'person/1 first -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('person', 1, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NOT DISTINCT FROM '000002', 'ok   ', 'FAIL ') || 'person/1 second -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('person', 1, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NOT DISTINCT FROM '000001', 'ok   ', 'FAIL ') || 'person/2 has its own counter -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('person', 2, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NOT DISTINCT FROM '000003', 'ok   ', 'FAIL ') || ' PERSON /1 ignores case and blanks -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER(' PERSON ', 1, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NOT DISTINCT FROM '000001', 'ok   ', 'FAIL ') || 'firmen/3 falls back to the general range -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('firmen', 3, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NOT DISTINCT FROM '000002', 'ok   ', 'FAIL ') || 'firmen/NULL same range -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('firmen', NULL, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NULL, 'ok   ', 'FAIL ') || 'person/7 (no sub range, no general range) -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('person', 7, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NULL, 'ok   ', 'FAIL ') || 'unknown identifier -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('gibtsnicht', NULL, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NULL, 'ok   ', 'FAIL ') || 'blank identifier -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('   ', 1, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NULL, 'ok   ', 'FAIL ') || 'date after GUELTIG_BIS -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('person', 1, DATE '2100-01-01', NULL, NULL, NULL);
SELECT IIF(NR IS NOT DISTINCT FROM '000004', 'ok   ', 'FAIL ') || 'DATUM NULL means today -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('person', 1, NULL, NULL, NULL, NULL);
SELECT IIF(NR IS NOT DISTINCT FROM 'X-17', 'ok   ', 'FAIL ') || 'ANR kept when FORCE_NEW = 0 -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('person', 1, DATE '2024-03-05', 'X-17', 5, 0);
SELECT IIF(NR IS NOT DISTINCT FROM 'X-17', 'ok   ', 'FAIL ') || 'ANR kept without range -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('gibtsnicht', 1, DATE '2024-03-05', 'X-17', 5, 0);
SELECT IIF(NR IS NOT DISTINCT FROM '000005', 'ok   ', 'FAIL ') || 'ANR replaced when FORCE_NEW = 1 -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('person', 1, DATE '2024-03-05', 'X-17', 5, 1);
SELECT IIF(N = 5, 'ok   ', 'FAIL ') || 'SP_GET_NUMMER_INTERN(GEN_NUMMER_1, 0) -> ' || COALESCE(N, -999) FROM SP_GET_NUMMER_INTERN('GEN_NUMMER_1', 0);
SELECT IIF(N = 5, 'ok   ', 'FAIL ') || 'reading again does not change it -> ' || COALESCE(N, -999) FROM SP_GET_NUMMER_INTERN('gen_nummer_1', 0);

/* ---- Uniqueness: numbers already held by other records are skipped ---- */
INSERT INTO PERSON (ID, NACHNAME, TYP, IDENTNR) VALUES (9001, 'Belegt', 1, '000006');
INSERT INTO PERSON (ID, NACHNAME, TYP, IDENTNR) VALUES (9002, 'Archiv', -1, '000007');
INSERT INTO PERSON (ID, NACHNAME, TYP, IDENTNR) VALUES (9003, 'Klient', 2, '000008');
SELECT IIF(NR IS NOT DISTINCT FROM '000008', 'ok   ', 'FAIL ') || 'person/1 skips 000006 (TYP 1) and 000007 (TYP -1), not 000008 (TYP 2) -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('person', 1, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NOT DISTINCT FROM '000009', 'ok   ', 'FAIL ') || 'kept ANR held by another record is replaced -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('person', 1, DATE '2024-03-05', '000006', 9999, 0);
SELECT IIF(NR IS NOT DISTINCT FROM '000006', 'ok   ', 'FAIL ') || 'kept ANR held by the record itself stays -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('person', 1, DATE '2024-03-05', '000006', 9001, 0);
INSERT INTO FIRMEN (ID, KURZBEZEICHNUNG, TYP, NUMMER) VALUES (9011, 'Belegt', 4, '000003');
SELECT IIF(NR IS NOT DISTINCT FROM '000004', 'ok   ', 'FAIL ') || 'firmen skips 000003 held by any company type -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('firmen', 2, DATE '2024-03-05', NULL, NULL, NULL);
/* A unique range on a table without a static check goes through the dynamic statement. */
INSERT INTO ZAEHLRING (ID, IDENT, RELATION_NAME, FIELD_NAME, STARTWERT, EINDEUTIG, NUR_LESEN, FORMAT_MASKE)
  VALUES (60, 'dizevavo', 'artikel', 'dizevavo', 0, 1, 0, 'Text(D)Zahl()');
INSERT INTO ARTIKEL (ID, BEZEICHNUNG, DIZEVAVO) VALUES (9021, 'Belegt', 'D1');
INSERT INTO ARTIKEL (ID, BEZEICHNUNG, DIZEVAVO) VALUES (9022, 'Belegt', 'D2');
SELECT IIF(NR IS NOT DISTINCT FROM 'D3', 'ok   ', 'FAIL ') || 'other table: D1 and D2 held, skipped -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('dizevavo', NULL, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NOT DISTINCT FROM 'D1', 'ok   ', 'FAIL ') || 'other table: ANR of the record itself stays -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('dizevavo', NULL, DATE '2024-03-05', 'D1', 9021, 0);
SELECT IIF(NR IS NOT DISTINCT FROM 'D4', 'ok   ', 'FAIL ') || 'other table: ANR of another record is replaced -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('dizevavo', NULL, DATE '2024-03-05', 'D2', 9021, 0);

/* ---- A new range: generator made by the trigger, start value, mask ---- */
INSERT INTO ZAEHLRING (IDENT, SUB_IDENT, STARTWERT, EINDEUTIG, NUR_LESEN, FORMAT_MASKE)
  VALUES ('rechnung', NULL, 1000, 0, 0, 'Text(R) Datum(JJMM) Zahl(.6)');
SELECT IIF(NR IS NOT DISTINCT FROM 'R2403001000', 'ok   ', 'FAIL ') || 'uncommitted new range, first number at STARTWERT -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('Rechnung', NULL, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NOT DISTINCT FROM 'R2403001001', 'ok   ', 'FAIL ') || 'next -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('Rechnung', NULL, DATE '2024-03-05', NULL, NULL, NULL);
ROLLBACK;
SELECT IIF(COUNT(*) = 0, 'ok   ', 'FAIL ') || 'rolled-back range leaves no generator -> ' || COUNT(*) FROM RDB$GENERATORS G
  WHERE G.RDB$GENERATOR_NAME STARTING WITH 'GEN_NUMMER_' AND NOT EXISTS
    (SELECT 1 FROM ZAEHLRING Z WHERE G.RDB$GENERATOR_NAME = 'GEN_NUMMER_' || Z.ID);
INSERT INTO ZAEHLRING (ID, IDENT, STARTWERT, EINDEUTIG, NUR_LESEN, FORMAT_MASKE)
  VALUES (50, 'beleg', 0, 0, 0, 'Text(B-)Zahl()');
INSERT INTO ZAEHLRING (ID, IDENT, STARTWERT, NUR_LESEN, FORMAT_MASKE)
  VALUES (51, 'gesperrt', 0, 1, '');
COMMIT;
SELECT IIF(COUNT(*) = 2, 'ok   ', 'FAIL ') || 'committed ranges have generators -> ' || COUNT(*) FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME IN ('GEN_NUMMER_50', 'GEN_NUMMER_51');
SELECT IIF(NR IS NOT DISTINCT FROM 'B-1', 'ok   ', 'FAIL ') || 'committed range -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('beleg', 4, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NULL, 'ok   ', 'FAIL ') || 'NUR_LESEN range hands out nothing -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('gesperrt', NULL, DATE '2024-03-05', NULL, NULL, NULL);
ALTER TRIGGER AIU_ZAEHLRING_GENERATOR INACTIVE;
COMMIT;
INSERT INTO ZAEHLRING (ID, IDENT, STARTWERT, EINDEUTIG, NUR_LESEN, FORMAT_MASKE)
  VALUES (52, 'ohnegen', 5, 0, 0, 'Zahl()');
COMMIT;
ALTER TRIGGER AIU_ZAEHLRING_GENERATOR ACTIVE;
COMMIT;
/* The program draws in a read-committed transaction, which sees the generator made meanwhile. */
SET TRANSACTION READ COMMITTED RECORD_VERSION;
SELECT IIF(NR IS NOT DISTINCT FROM '5', 'ok   ', 'FAIL ') || 'range without generator gets one on its first draw -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('ohnegen', NULL, DATE '2024-03-05', NULL, NULL, NULL);
SELECT IIF(NR IS NOT DISTINCT FROM '6', 'ok   ', 'FAIL ') || 'and counts on -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('ohnegen', NULL, DATE '2024-03-05', NULL, NULL, NULL);

/* Two attachments: a second connection draws while this transaction still holds its number. */
SET TERM ^ ;
EXECUTE BLOCK RETURNS (R VARCHAR(200))
AS
  DECLARE VARIABLE A VARCHAR(100);
  DECLARE VARIABLE B VARCHAR(100);
BEGIN
  SELECT NR FROM SP_GET_NUMMER('beleg', NULL, DATE '2024-03-05', NULL, NULL, NULL) INTO :A;
  EXECUTE STATEMENT 'SELECT NR FROM SP_GET_NUMMER(''beleg'', NULL, DATE ''2024-03-05'', NULL, NULL, NULL)'
    ON EXTERNAL RDB$GET_CONTEXT('SYSTEM', 'DB_NAME')
    INTO :B;
  R = IIF(A = 'B-2' AND B = 'B-3', 'ok   ', 'FAIL ') || 'two connections -> ' || A || ' / ' || B;
  SUSPEND;
END^
SET TERM ; ^
ROLLBACK;
SELECT IIF(NR IS NOT DISTINCT FROM 'B-4', 'ok   ', 'FAIL ') || 'a rolled-back draw is not handed out again -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('beleg', NULL, DATE '2024-03-05', NULL, NULL, NULL);

/* ---- SP_SET_NUMMER and SP_GET_NUMMER_INTERN ---- */
EXECUTE PROCEDURE SP_SET_NUMMER('GEN_NUMMER_50', 100);
SELECT IIF(N = 100, 'ok   ', 'FAIL ') || 'set to 100 -> ' || COALESCE(N, -999) FROM SP_GET_NUMMER_INTERN('GEN_NUMMER_50', 0);
EXECUTE PROCEDURE SP_SET_NUMMER('GEN_NUMMER_50', -1);
SELECT IIF(N = 100, 'ok   ', 'FAIL ') || '-1 leaves it -> ' || COALESCE(N, -999) FROM SP_GET_NUMMER_INTERN('GEN_NUMMER_50', 0);
SELECT IIF(NR IS NOT DISTINCT FROM 'B-101', 'ok   ', 'FAIL ') || 'next number after setting -> ' || COALESCE(NR, '<null>') FROM SP_GET_NUMMER('beleg', NULL, DATE '2024-03-05', NULL, NULL, NULL);
EXECUTE PROCEDURE SP_SET_NUMMER('GEN_NUMMER_777', 5);
SELECT IIF(N = 5, 'ok   ', 'FAIL ') || 'missing GEN_NUMMER_777 is created and set -> ' || COALESCE(N, -999) FROM SP_GET_NUMMER_INTERN('GEN_NUMMER_777', 0);
ROLLBACK;
SELECT IIF(N IS NULL, 'ok   ', 'FAIL ') || 'injection attempt gives NULL -> ' || COALESCE(N, -999) FROM SP_GET_NUMMER_INTERN('GEN_NUMMER_1", 0) FROM RDB$DATABASE UNION SELECT 1', 0);
SELECT IIF(N IS NULL, 'ok   ', 'FAIL ') || 'non-GEN_ name gives NULL -> ' || COALESCE(N, -999) FROM SP_GET_NUMMER_INTERN('RDB$BACKUP_HISTORY', 0);
SELECT IIF(N IS NULL, 'ok   ', 'FAIL ') || 'missing generator gives NULL -> ' || COALESCE(N, -999) FROM SP_GET_NUMMER_INTERN('GEN_NICHT_DA', 0);
/* Each of these three must fail with E_UNGUELTIGER_NAME / E_UNGUELTIGER_WERT: */
EXECUTE PROCEDURE SP_SET_NUMMER('GEN_NUMMER_1; DROP TABLE PERSON', 3);
EXECUTE PROCEDURE SP_SET_NUMMER('GEN_NICHT_DA', 3);
EXECUTE PROCEDURE SP_SET_NUMMER('GEN_NUMMER_1', -5);
SELECT IIF(N = 9, 'ok   ', 'FAIL ') || 'failed calls left GEN_NUMMER_1 alone -> ' || COALESCE(N, -999) FROM SP_GET_NUMMER_INTERN('GEN_NUMMER_1', 0);

/* ---- Defect kinds and cost total ---- */
INSERT INTO APP$FEARTEN (ID, NUMMER, BEZEICHNUNG, KOSTENFAKTOR, SORTIERUNG, AKTIV) VALUES (9101, 9101, 'Webfehler', 50, 2, 1);
INSERT INTO APP$FEARTEN (ID, NUMMER, BEZEICHNUNG, KOSTENFAKTOR, SORTIERUNG, AKTIV) VALUES (9102, 9102, 'Farbfehler', 20, 1, 1);
INSERT INTO APP$FEARTEN (ID, NUMMER, BEZEICHNUNG, KOSTENFAKTOR, SORTIERUNG, AKTIV) VALUES (9103, 9103, 'Naht', 10, 3, 1);
INSERT INTO FEHLER (ID, FEHLERTYP, FEHLERANZAHL, KOSTENARTIKEL) VALUES (9201, 2, 3, 10);
INSERT INTO FEHLER (ID, FEHLERTYP, FEHLERANZAHL, KOSTENARTIKEL) VALUES (9202, 2, 3, 0);
INSERT INTO FE_ART (FEHLER_ID, FEHLART_ID) VALUES (9201, 9101);
INSERT INTO FE_ART (FEHLER_ID, FEHLART_ID) VALUES (9201, 9102);
INSERT INTO FE_ART (FEHLER_ID, FEHLART_ID) VALUES (9201, 9102);
INSERT INTO FE_ART (FEHLER_ID, FEHLART_ID, DD) VALUES (9201, 9103, CURRENT_TIMESTAMP);
INSERT INTO FKOSTEN (FEHLER_ID, ANZAHL, KOSTEN, TYP, FART_ID) VALUES (9201, 2, 10, 3, 9101);
INSERT INTO FKOSTEN (FEHLER_ID, ANZAHL, KOSTEN, TYP, FART_ID) VALUES (9201, 1, 15, 3, 9102);
INSERT INTO FKOSTEN (FEHLER_ID, ANZAHL, KOSTEN, TYP, FART_ID) VALUES (9201, NULL, 99, 3, 9103);
INSERT INTO FKOSTEN (FEHLER_ID, ANZAHL, KOSTEN, TYP, FART_ID) VALUES (9202, 2, 10, 3, 9101);
INSERT INTO FKOSTEN (FEHLER_ID, ANZAHL, KOSTEN, TYP, FART_ID) VALUES (9202, 1, 15, 3, 9102);
SELECT IIF(FEHLERARTEN IS NOT DISTINCT FROM 'Farbfehler, Webfehler', 'ok   ', 'FAIL ') || 'kinds in order, once, without deleted -> ' || COALESCE(FEHLERARTEN, '<null>') FROM SP_GET_FEHLERARTEN(9201);
SELECT IIF(FEHLERARTEN IS NULL, 'ok   ', 'FAIL ') || 'defect without kinds -> one row, NULL -> ' || COALESCE(FEHLERARTEN, '<null>') FROM SP_GET_FEHLERARTEN(9202);
SELECT IIF(FEHLERKOSTEN = 30, 'ok   ', 'FAIL ') || 'sum 35 capped at 3 x 10 -> ' || FEHLERKOSTEN FROM SP_GET_FKOSTEN(9201, 3, 10);
SELECT IIF(FEHLERKOSTEN = 35, 'ok   ', 'FAIL ') || 'sum 35 below 4 x 10 -> ' || FEHLERKOSTEN FROM SP_GET_FKOSTEN(9201, 4, 10);
SELECT IIF(FEHLERKOSTEN = 35, 'ok   ', 'FAIL ') || 'price 0.0005 counts as zero, no cap -> ' || FEHLERKOSTEN FROM SP_GET_FKOSTEN(9202, 3, 0.0005);
SELECT IIF(FEHLERKOSTEN = 0, 'ok   ', 'FAIL ') || 'no cost rows -> ' || FEHLERKOSTEN FROM SP_GET_FKOSTEN(-1, 3, 10);
SELECT IIF(F.ID = 9201 AND K.FEHLERKOSTEN = 30 AND A.FEHLERARTEN = 'Farbfehler, Webfehler', 'ok   ', 'FAIL ') || 'joined on 1=1 as the lists do -> ' || K.FEHLERKOSTEN
  FROM FEHLER F
  LEFT JOIN SP_GET_FEHLERARTEN(F.ID) A ON 1 = 1
  LEFT JOIN SP_GET_FKOSTEN(F.ID, F.FEHLERANZAHL, F.KOSTENARTIKEL) K ON 1 = 1
  WHERE F.ID = 9201;
ROLLBACK;

/* ---- Import upserts ---- */
SELECT IIF(LID < 0, 'ok   ', 'FAIL ') || 'article insert -> ' || LID FROM SP_IMPORT_ARTIKEL(12, 34, 56, NULL, NULL, '000012-0034-0056', 'Hemd');
SELECT IIF(LID > 0, 'ok   ', 'FAIL ') || 'article update -> ' || LID FROM SP_IMPORT_ARTIKEL(12, 34, 56, NULL, NULL, '000012-0034-0056', 'Hemd blau');
SELECT IIF(LID = 0, 'ok   ', 'FAIL ') || 'article without number -> ' || LID FROM SP_IMPORT_ARTIKEL(1, 2, 3, NULL, NULL, '  ', 'x');
SELECT IIF(COUNT(*) = 1 AND MAX(BEZEICHNUNG) = 'Hemd blau' AND MAX(AKTIV) = 1, 'ok   ', 'FAIL ') || 'one article row, updated -> ' || COUNT(*) FROM ARTIKEL WHERE DIZEVAVO = '000012-0034-0056';
SELECT IIF(LID < 0, 'ok   ', 'FAIL ') || 'material insert -> ' || LID FROM SP_IMPORT_MATERIAL('000001-0002-0003', 2, 3, 1, 'Stoff', '', 'V', 7, NULL, 1.25);
SELECT IIF(LID > 0, 'ok   ', 'FAIL ') || 'material update -> ' || LID FROM SP_IMPORT_MATERIAL('000001-0002-0003', 2, 3, 1, 'Stoff neu', 'zwei', 'V', 7, NULL, 2.5);
SELECT IIF(COUNT(*) = 1 AND MAX(NAME1) = 'Stoff neu' AND MAX(EKPREIS) = 2.5, 'ok   ', 'FAIL ') || 'one material row, updated -> ' || COUNT(*) FROM MATERIAL WHERE MATNUMMER = '000001-0002-0003';
EXECUTE PROCEDURE SP_IMPORT_ARTIKEL(12, 34, 57, NULL, NULL, '000012-0034-0057', 'Hose');

/* ---- Generator to highest ID ---- */
INSERT INTO APP$FARBEN (ID, FARBE, AKTIV) VALUES (4711, 'rot', 1);
SELECT IIF(NEUER_WERT = 4711, 'ok   ', 'FAIL ') || 'app$farben (lower case) -> ' || NEUER_WERT FROM SP_SET_GEN_TO_MAX_ID('app$farben');
SELECT IIF(GEN_ID(GEN_APP$FARBEN_ID, 0) = 4711, 'ok   ', 'FAIL ') || 'generator moved -> ' || GEN_ID(GEN_APP$FARBEN_ID, 0) FROM RDB$DATABASE;
SELECT IIF(NEUER_WERT = 0, 'ok   ', 'FAIL ') || 'empty table -> ' || NEUER_WERT FROM SP_SET_GEN_TO_MAX_ID('BEDARF');
SELECT IIF(NEUER_WERT IS NULL, 'ok   ', 'FAIL ') || 'table without ID generator -> ' || COALESCE(NEUER_WERT, -999) FROM SP_SET_GEN_TO_MAX_ID('SYS$SCHEMA_VERSION');
/* Each of these three must fail with E_UNGUELTIGER_NAME: */
EXECUTE PROCEDURE SP_SET_GEN_TO_MAX_ID('ARTIKEL"; DELETE FROM PERSON; --');
EXECUTE PROCEDURE SP_SET_GEN_TO_MAX_ID('GIBTSNICHT');
EXECUTE PROCEDURE SP_SET_GEN_TO_MAX_ID('RDB$RELATIONS');
ROLLBACK;

/* ---- Client insurers and staff data at a date ---- */
INSERT INTO PERSON (ID, NACHNAME, TYP, BERUF) VALUES (9301, 'Klientin', 2, 'Schneiderin');
INSERT INTO KTKLIENT (PATIENT_ID, DATUM_VON, DATUM_BIS, KK_ID, KK_NR, PK_ID, PFLEGESTUFE, SA_ID, BH_ID)
  VALUES (9301, DATE '2020-01-01', NULL, 11, 'A1', 12, 2, NULL, NULL);
INSERT INTO KTKLIENT (PATIENT_ID, DATUM_VON, DATUM_BIS, KK_ID, KK_NR, PK_ID, PFLEGESTUFE, SA_ID, BH_ID)
  VALUES (9301, DATE '2023-01-01', DATE '2023-12-31', 21, 'B1', NULL, NULL, 23, 24);
INSERT INTO PERSONAL (PERSON_ID, EINSTELLUNG_VON, EINSTELLUNG_BIS, URLAUBSANSPRUCH, QUALIFIKATION)
  VALUES (9301, DATE '2021-01-01', NULL, 28.5, 3);
SELECT IIF(KK_ID = 21 AND SA_ID = 23 AND BH_ID = 24 AND PK_ID IS NULL, 'ok   ', 'FAIL ') || 'insurers in 2023 -> KK ' || KK_ID || ' ' || KK_NR FROM SP_GET_KTKLIENT(9301, DATE '2023-06-01');
SELECT IIF(KK_ID = 11 AND PK_ID = 12 AND PFLEGESTUFE = 2, 'ok   ', 'FAIL ') || 'insurers in 2024 (2023 row ended) -> KK ' || KK_ID || ' ' || KK_NR FROM SP_GET_KTKLIENT(9301, DATE '2024-06-01');
SELECT IIF(KK_ID IS NULL, 'ok   ', 'FAIL ') || 'before the first row -> one row of NULLs' FROM SP_GET_KTKLIENT(9301, DATE '2019-06-01');
SELECT IIF(BERUF = 'Schneiderin' AND URLAUBSANSPRUCH = 28.5 AND QUALIFIKATION = 3, 'ok   ', 'FAIL ') || 'staff data in 2024 -> ' || BERUF || ' ' || URLAUBSANSPRUCH FROM SP_GET_AVERTRAG(9301, DATE '2024-06-01');
SELECT IIF(BERUF = 'Schneiderin' AND URLAUBSANSPRUCH IS NULL, 'ok   ', 'FAIL ') || 'before employment -> only BERUF' FROM SP_GET_AVERTRAG(9301, DATE '2020-06-01');
SELECT IIF(P.ID = 9301 AND K.KK_ID = 11, 'ok   ', 'FAIL ') || 'inner join keeps the person -> ' || P.ID FROM PERSON P, SP_GET_KTKLIENT(P.ID, DATE '2024-06-01') K WHERE P.ID = 9301;
ROLLBACK;
