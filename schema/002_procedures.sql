/*
  Fehlerdoku database: stored procedures, functions and the number-range triggers.

  Number ranges
  - Every ZAEHLRING row owns the generator GEN_NUMMER_<ID>; its value is the last
    counter handed out. The after-insert trigger of ZAEHLRING creates it inside the
    inserting transaction (a rolled-back insert leaves no generator behind). An
    existing generator of that name is kept with its value. Deleting a range keeps
    its generator, so a range that comes back under the same ID never repeats a number.
  - SP_FORMAT_NUMMER turns counter and date into the number text (mask language);
    the client's EvaluateNumberMask (src/kit/numbermask.cpp) follows the same rules
    and the same limits.
  - SP_GET_NUMMER draws the next number of a range.

  Names that reach EXECUTE STATEMENT (generator and table names) are checked first:
  only A-Z, 0-9, "_" and "$", starting with a letter, at most 63 characters, and the
  object must exist in the catalogue. Values always travel as parameters.
*/

CREATE OR ALTER EXCEPTION E_UNGUELTIGER_NAME 'Ungültiger Objektname';
CREATE OR ALTER EXCEPTION E_UNGUELTIGER_WERT 'Ungültiger Wert';
COMMIT;

SET TERM ^ ;

/* 1 when NAME is a plain upper-case identifier (A-Z, 0-9, "_", "$", first a letter). */
CREATE OR ALTER FUNCTION FN_SQL_NAME_OK (NAME VARCHAR(63))
RETURNS SMALLINT
AS
  DECLARE VARIABLE I INTEGER;
  DECLARE VARIABLE L INTEGER;
  DECLARE VARIABLE C INTEGER;
BEGIN
  IF (NAME IS NULL) THEN RETURN 0;
  L = CHAR_LENGTH(NAME);
  IF (L = 0 OR L > 63) THEN RETURN 0;
  I = 1;
  WHILE (I <= L) DO
  BEGIN
    C = ASCII_VAL(SUBSTRING(NAME FROM I FOR 1));
    IF (NOT (C BETWEEN 65 AND 90)) THEN
    BEGIN
      IF (I = 1) THEN RETURN 0;
      IF (NOT (C BETWEEN 48 AND 57 OR C = 95 OR C = 36)) THEN RETURN 0;
    END
    I = I + 1;
  END
  RETURN 1;
END^

/*
  Mask language. MASKE is evaluated for the counter ZAEHLER and the time stamp DATUM
  (NULL: now). One row; NR is NULL only when ZAEHLER is NULL.

  - MASKE is trimmed (characters up to blank); empty gives ZAEHLER in decimal.
  - Repeated while text is left: keyword = text before the first "(" without blanks
    and "_", upper-cased (no "(": empty keyword); argument = text up to the next ")"
    (no ")": empty argument, the text stays).
    DATUM in the keyword: date picture; TEXT: the argument as it is; ZAHL: number
    picture, the mask then has a number part; empty keyword: stop; other: skipped.
    A keyword ending in GROSS upper-cases its part.
  - Date picture: J, T, Z (either case) become Y, D, T. Letters are read as runs,
    case-insensitively: d, dd day; ddd "Mo".."So"; dddd and longer "Montag"..;
    m, mm month; mmm "Jan" "Feb" "Mär" "Apr" "Mai" "Jun" "Jul" "Aug" "Sep" "Okt"
    "Nov" "Dez"; mmmm and longer "Januar".."Dezember"; y, yy two-digit year, three
    or more four-digit year; h hh, n nn, s ss hour, minute, second; t "hh:nn",
    tt and longer "hh:nn:ss". "/" gives ".", text in '...' or "..." is copied
    without the quotes (an open quote runs to the end), anything else is copied.
  - Number picture: right-trimmed; "%" put in front unless it has one; "d" appended
    unless it ends in d, D, x or X. Then exactly one conversion %[flags][width][.prec]
    with flags "-", "0", "+", " " and conversion d/D (decimal), x (hex), X (HEX);
    width and precision are capped at 30; "%%" is "%". Negative counters are "-" and
    the magnitude. Any other conversion, a second one or a lone "%" at the end is an
    error.
  - No number part: ZAEHLER in decimal is appended at the end.
  - The result is at most 100 characters: a part that does not fit is an error.
  - An error ends the evaluation; the text built so far is the result (no counter
    appended).
*/
CREATE OR ALTER PROCEDURE SP_FORMAT_NUMMER (
  MASKE   VARCHAR(200),
  ZAEHLER BIGINT,
  DATUM   TIMESTAMP)
RETURNS (
  NR      VARCHAR(100))
AS
  DECLARE VARIABLE M VARCHAR(200);
  DECLARE VARIABLE ERG VARCHAR(100) = '';
  DECLARE VARIABLE KW VARCHAR(200);
  DECLARE VARIABLE ARG VARCHAR(200);
  DECLARE VARIABLE TEIL VARCHAR(2000);
  DECLARE VARIABLE P INTEGER;
  DECLARE VARIABLE HAT_ZAHL SMALLINT = 0;
  DECLARE VARIABLE D TIMESTAMP;

  /* Removes characters up to blank (code <= 32) at the end, with BEIDE = 1 also at the start. */
  DECLARE FUNCTION STUTZEN (S VARCHAR(200), BEIDE SMALLINT) RETURNS VARCHAR(200)
  AS
    DECLARE VARIABLE B INTEGER = 1;
    DECLARE VARIABLE E INTEGER;
  BEGIN
    E = CHAR_LENGTH(S);
    IF (BEIDE = 1) THEN
      WHILE (B <= E AND ASCII_VAL(SUBSTRING(S FROM B FOR 1)) <= 32) DO B = B + 1;
    WHILE (E >= B AND ASCII_VAL(SUBSTRING(S FROM E FOR 1)) <= 32) DO E = E - 1;
    RETURN SUBSTRING(S FROM B FOR E - B + 1);
  END

  DECLARE FUNCTION DATUM_TEXT (BILD VARCHAR(200), T TIMESTAMP) RETURNS VARCHAR(2000)
  AS
    DECLARE VARIABLE F VARCHAR(200);
    DECLARE VARIABLE R VARCHAR(2000) = '';
    DECLARE VARIABLE I INTEGER = 1;
    DECLARE VARIABLE K INTEGER;
    DECLARE VARIABLE L INTEGER;
    DECLARE VARIABLE N INTEGER;
    DECLARE VARIABLE C VARCHAR(1);
    DECLARE VARIABLE LC VARCHAR(1);
    DECLARE VARIABLE JAHR INTEGER;
    DECLARE VARIABLE MONAT INTEGER;
    DECLARE VARIABLE TAG INTEGER;
    DECLARE VARIABLE WTAG INTEGER;
    DECLARE VARIABLE STD INTEGER;
    DECLARE VARIABLE MINU INTEGER;
    DECLARE VARIABLE SEK INTEGER;
    DECLARE VARIABLE ZEIT VARCHAR(5);
  BEGIN
    F = REPLACE(REPLACE(REPLACE(REPLACE(REPLACE(REPLACE(BILD,
          'J', 'Y'), 'j', 'y'), 'T', 'D'), 't', 'd'), 'Z', 'T'), 'z', 't');
    L = CHAR_LENGTH(F);
    JAHR = EXTRACT(YEAR FROM T);
    MONAT = EXTRACT(MONTH FROM T);
    TAG = EXTRACT(DAY FROM T);
    WTAG = EXTRACT(WEEKDAY FROM T);
    STD = EXTRACT(HOUR FROM T);
    MINU = EXTRACT(MINUTE FROM T);
    SEK = FLOOR(EXTRACT(SECOND FROM T));
    ZEIT = LPAD(CAST(STD AS VARCHAR(2)), 2, '0') || ':' || LPAD(CAST(MINU AS VARCHAR(2)), 2, '0');
    WHILE (I <= L) DO
    BEGIN
      C = SUBSTRING(F FROM I FOR 1);
      IF (C = '"' OR C = '''') THEN
      BEGIN
        K = POSITION(C, F, I + 1);
        IF (K = 0) THEN
        BEGIN
          R = R || SUBSTRING(F FROM I + 1);
          I = L + 1;
        END
        ELSE
        BEGIN
          R = R || SUBSTRING(F FROM I + 1 FOR K - I - 1);
          I = K + 1;
        END
      END
      ELSE
      BEGIN
        LC = LOWER(C);
        IF (LC IN ('y', 'm', 'd', 'h', 'n', 's', 't')) THEN
        BEGIN
          K = I + 1;
          WHILE (K <= L AND LOWER(SUBSTRING(F FROM K FOR 1)) = LC) DO K = K + 1;
          N = K - I;
          I = K;
          IF (LC = 'y') THEN
          BEGIN
            IF (N <= 2) THEN R = R || LPAD(CAST(MOD(JAHR, 100) AS VARCHAR(2)), 2, '0');
            ELSE R = R || LPAD(CAST(JAHR AS VARCHAR(4)), 4, '0');
          END
          ELSE IF (LC = 'm') THEN
          BEGIN
            IF (N = 1) THEN R = R || CAST(MONAT AS VARCHAR(2));
            ELSE IF (N = 2) THEN R = R || LPAD(CAST(MONAT AS VARCHAR(2)), 2, '0');
            ELSE IF (N = 3) THEN
              R = R || TRIM(DECODE(MONAT, 1, 'Jan', 2, 'Feb', 3, 'Mär', 4, 'Apr', 5, 'Mai',
                       6, 'Jun', 7, 'Jul', 8, 'Aug', 9, 'Sep', 10, 'Okt', 11, 'Nov', 'Dez'));
            ELSE
              R = R || TRIM(DECODE(MONAT, 1, 'Januar', 2, 'Februar', 3, 'März', 4, 'April',
                       5, 'Mai', 6, 'Juni', 7, 'Juli', 8, 'August', 9, 'September',
                       10, 'Oktober', 11, 'November', 'Dezember'));
          END
          ELSE IF (LC = 'd') THEN
          BEGIN
            IF (N = 1) THEN R = R || CAST(TAG AS VARCHAR(2));
            ELSE IF (N = 2) THEN R = R || LPAD(CAST(TAG AS VARCHAR(2)), 2, '0');
            ELSE IF (N = 3) THEN
              R = R || TRIM(DECODE(WTAG, 1, 'Mo', 2, 'Di', 3, 'Mi', 4, 'Do', 5, 'Fr',
                       6, 'Sa', 'So'));
            ELSE
              R = R || TRIM(DECODE(WTAG, 1, 'Montag', 2, 'Dienstag', 3, 'Mittwoch',
                       4, 'Donnerstag', 5, 'Freitag', 6, 'Samstag', 'Sonntag'));
          END
          ELSE IF (LC = 'h') THEN
          BEGIN
            IF (N = 1) THEN R = R || CAST(STD AS VARCHAR(2));
            ELSE R = R || LPAD(CAST(STD AS VARCHAR(2)), 2, '0');
          END
          ELSE IF (LC = 'n') THEN
          BEGIN
            IF (N = 1) THEN R = R || CAST(MINU AS VARCHAR(2));
            ELSE R = R || LPAD(CAST(MINU AS VARCHAR(2)), 2, '0');
          END
          ELSE IF (LC = 's') THEN
          BEGIN
            IF (N = 1) THEN R = R || CAST(SEK AS VARCHAR(2));
            ELSE R = R || LPAD(CAST(SEK AS VARCHAR(2)), 2, '0');
          END
          ELSE
          BEGIN
            IF (N = 1) THEN R = R || ZEIT;
            ELSE R = R || ZEIT || ':' || LPAD(CAST(SEK AS VARCHAR(2)), 2, '0');
          END
        END
        ELSE
        BEGIN
          IF (C = '/') THEN R = R || '.';
          ELSE R = R || C;
          I = I + 1;
        END
      END
    END
    RETURN R;
  END

  /* The number part; NULL on error. */
  DECLARE FUNCTION ZAHL_TEXT (BILD VARCHAR(200), Z BIGINT) RETURNS VARCHAR(2000)
  AS
    DECLARE VARIABLE F VARCHAR(210);
    DECLARE VARIABLE R VARCHAR(2000) = '';
    DECLARE VARIABLE I INTEGER = 1;
    DECLARE VARIABLE L INTEGER;
    DECLARE VARIABLE C VARCHAR(1);
    DECLARE VARIABLE A INTEGER;
    DECLARE VARIABLE BENUTZT SMALLINT = 0;
    DECLARE VARIABLE LINKS SMALLINT;
    DECLARE VARIABLE NULLEN SMALLINT;
    DECLARE VARIABLE PLUS SMALLINT;
    DECLARE VARIABLE LEER SMALLINT;
    DECLARE VARIABLE BREITE INTEGER;
    DECLARE VARIABLE HAT_PREZ SMALLINT;
    DECLARE VARIABLE PREZ INTEGER;
    DECLARE VARIABLE V BIGINT;
    DECLARE VARIABLE S VARCHAR(40);
    DECLARE VARIABLE VZ VARCHAR(1);
    DECLARE VARIABLE KOERPER VARCHAR(100);
  BEGIN
    F = BILD;
    L = CHAR_LENGTH(F);
    WHILE (L > 0 AND ASCII_VAL(SUBSTRING(F FROM L FOR 1)) <= 32) DO L = L - 1;
    F = SUBSTRING(F FROM 1 FOR L);
    IF (POSITION('%' IN F) = 0) THEN F = '%' || F;
    C = SUBSTRING(F FROM CHAR_LENGTH(F) FOR 1);
    IF (C NOT IN ('d', 'D', 'x', 'X')) THEN F = F || 'd';
    L = CHAR_LENGTH(F);
    WHILE (I <= L) DO
    BEGIN
      C = SUBSTRING(F FROM I FOR 1);
      I = I + 1;
      IF (C <> '%') THEN
        R = R || C;
      ELSE
      BEGIN
        IF (I > L) THEN RETURN NULL;
        IF (SUBSTRING(F FROM I FOR 1) = '%') THEN
        BEGIN
          R = R || '%';
          I = I + 1;
        END
        ELSE
        BEGIN
          LINKS = 0;
          NULLEN = 0;
          PLUS = 0;
          LEER = 0;
          WHILE (I <= L) DO
          BEGIN
            A = ASCII_VAL(SUBSTRING(F FROM I FOR 1));
            IF (A = 45) THEN LINKS = 1;
            ELSE IF (A = 48) THEN NULLEN = 1;
            ELSE IF (A = 43) THEN PLUS = 1;
            ELSE IF (A = 32) THEN LEER = 1;
            ELSE LEAVE;
            I = I + 1;
          END
          BREITE = 0;
          WHILE (I <= L AND ASCII_VAL(SUBSTRING(F FROM I FOR 1)) BETWEEN 48 AND 57) DO
          BEGIN
            BREITE = MINVALUE(BREITE * 10 + ASCII_VAL(SUBSTRING(F FROM I FOR 1)) - 48, 30);
            I = I + 1;
          END
          HAT_PREZ = 0;
          PREZ = 0;
          IF (I <= L AND ASCII_VAL(SUBSTRING(F FROM I FOR 1)) = 46) THEN
          BEGIN
            HAT_PREZ = 1;
            I = I + 1;
            WHILE (I <= L AND ASCII_VAL(SUBSTRING(F FROM I FOR 1)) BETWEEN 48 AND 57) DO
            BEGIN
              PREZ = MINVALUE(PREZ * 10 + ASCII_VAL(SUBSTRING(F FROM I FOR 1)) - 48, 30);
              I = I + 1;
            END
          END
          IF (I > L) THEN RETURN NULL;
          C = SUBSTRING(F FROM I FOR 1);
          I = I + 1;
          IF (C NOT IN ('d', 'D', 'x', 'X')) THEN RETURN NULL;
          IF (BENUTZT = 1) THEN RETURN NULL;
          BENUTZT = 1;

          IF (C = 'x' OR C = 'X') THEN
          BEGIN
            S = '';
            V = Z;
            IF (V = 0) THEN S = '0';
            WHILE (V <> 0) DO
            BEGIN
              S = SUBSTRING('0123456789abcdef' FROM ABS(MOD(V, 16)) + 1 FOR 1) || S;
              V = V / 16;
            END
            IF (C = 'X') THEN S = UPPER(S);
          END
          ELSE
          BEGIN
            S = CAST(Z AS VARCHAR(21));
            IF (Z < 0) THEN S = SUBSTRING(S FROM 2);
          END
          IF (CHAR_LENGTH(S) < PREZ) THEN S = LPAD(S, PREZ, '0');
          VZ = '';
          IF (Z < 0) THEN VZ = '-';
          ELSE IF (PLUS = 1) THEN VZ = '+';
          ELSE IF (LEER = 1) THEN VZ = ' ';
          KOERPER = VZ || S;
          IF (CHAR_LENGTH(KOERPER) < BREITE) THEN
          BEGIN
            IF (LINKS = 1) THEN
              KOERPER = RPAD(KOERPER, BREITE, ' ');
            ELSE IF (NULLEN = 1 AND HAT_PREZ = 0) THEN
              KOERPER = VZ || LPAD(S, BREITE - CHAR_LENGTH(VZ), '0');
            ELSE
              KOERPER = LPAD(KOERPER, BREITE, ' ');
          END
          R = R || KOERPER;
        END
      END
    END
    RETURN R;
  END
BEGIN
  NR = NULL;
  IF (ZAEHLER IS NULL) THEN
  BEGIN
    SUSPEND;
    EXIT;
  END
  D = COALESCE(DATUM, CURRENT_TIMESTAMP);
  M = STUTZEN(COALESCE(MASKE, ''), 1);
  IF (CHAR_LENGTH(M) = 0) THEN
  BEGIN
    NR = CAST(ZAEHLER AS VARCHAR(21));
    SUSPEND;
    EXIT;
  END

  WHILE (CHAR_LENGTH(M) > 0) DO
  BEGIN
    KW = '';
    P = POSITION('(' IN M);
    IF (P > 0) THEN
    BEGIN
      KW = UPPER(REPLACE(REPLACE(SUBSTRING(M FROM 1 FOR P - 1), ' ', ''), '_', ''));
      M = SUBSTRING(M FROM P + 1);
    END
    ARG = '';
    P = POSITION(')' IN M);
    IF (P > 0) THEN
    BEGIN
      ARG = SUBSTRING(M FROM 1 FOR P - 1);
      M = SUBSTRING(M FROM P + 1);
    END

    TEIL = NULL;
    IF (POSITION('DATUM' IN KW) > 0) THEN
      TEIL = DATUM_TEXT(ARG, D);
    ELSE IF (POSITION('TEXT' IN KW) > 0) THEN
      TEIL = ARG;
    ELSE IF (POSITION('ZAHL' IN KW) > 0) THEN
    BEGIN
      TEIL = ZAHL_TEXT(ARG, ZAEHLER);
      IF (TEIL IS NULL) THEN
      BEGIN
        NR = ERG;
        SUSPEND;
        EXIT;
      END
      HAT_ZAHL = 1;
    END
    ELSE IF (CHAR_LENGTH(KW) = 0) THEN
      LEAVE;

    IF (TEIL IS NOT NULL) THEN
    BEGIN
      IF (CHAR_LENGTH(KW) >= 5 AND SUBSTRING(KW FROM CHAR_LENGTH(KW) - 4) = 'GROSS') THEN
        TEIL = UPPER(TEIL);
      IF (CHAR_LENGTH(ERG) + CHAR_LENGTH(TEIL) > 100) THEN
      BEGIN
        NR = ERG;
        SUSPEND;
        EXIT;
      END
      ERG = ERG || TEIL;
    END
  END

  IF (HAT_ZAHL = 0) THEN
  BEGIN
    TEIL = CAST(ZAEHLER AS VARCHAR(21));
    IF (CHAR_LENGTH(ERG) + CHAR_LENGTH(TEIL) <= 100) THEN ERG = ERG || TEIL;
  END
  NR = ERG;
  SUSPEND;

  WHEN ANY DO
  BEGIN
    /* Nothing above is expected to fail; should it, the text built so far stands. */
    NR = ERG;
    SUSPEND;
  END
END^

/* Creates the generator GEN_NUMMER_<ZAEHLRING_ID> in the current transaction unless it exists. */
CREATE OR ALTER PROCEDURE SP_CREATE_NUMMER_GEN (
  ZAEHLRING_ID INTEGER)
AS
  DECLARE VARIABLE GEN VARCHAR(63);
BEGIN
  IF (ZAEHLRING_ID IS NULL) THEN EXIT;
  GEN = 'GEN_NUMMER_' || ZAEHLRING_ID;
  IF (NOT EXISTS (SELECT 1 FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = :GEN)) THEN
    EXECUTE STATEMENT 'CREATE SEQUENCE "' || GEN || '"';
END^

/*
  Value of a generator: GEN_ID(GENNAME, INKREMENT). With INKREMENT 0 (or NULL) the
  current value, unchanged. GENNAME is compared upper-case and must start with GEN_.
  One row; N is NULL when the name is not allowed or the generator does not exist.
*/
CREATE OR ALTER PROCEDURE SP_GET_NUMMER_INTERN (
  GENNAME   VARCHAR(63),
  INKREMENT BIGINT)
RETURNS (
  N         BIGINT)
AS
  DECLARE VARIABLE G VARCHAR(63);
BEGIN
  N = NULL;
  G = UPPER(TRIM(GENNAME));
  IF (FN_SQL_NAME_OK(G) = 1 AND G STARTING WITH 'GEN_'
      AND EXISTS (SELECT 1 FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = :G)) THEN
    EXECUTE STATEMENT ('SELECT GEN_ID("' || G || '", CAST(:INK AS BIGINT)) FROM RDB$DATABASE')
      (INK := COALESCE(INKREMENT, 0))
      INTO :N;
  SUSPEND;
END^

/*
  Sets a generator's value (the "last value" of a number range).
  NEUER_WERT NULL or -1: nothing happens (the page sends -1 when the counter was not edited).
  NEUER_WERT below -1: E_UNGUELTIGER_WERT. GENNAME must be a GEN_ name, else
  E_UNGUELTIGER_NAME. A missing GEN_NUMMER_<digits> generator is created; any other
  missing generator is E_UNGUELTIGER_NAME.
*/
CREATE OR ALTER PROCEDURE SP_SET_NUMMER (
  GENNAME    VARCHAR(63),
  NEUER_WERT BIGINT)
AS
  DECLARE VARIABLE G VARCHAR(63);
  DECLARE VARIABLE ALT BIGINT;
  DECLARE VARIABLE RING_ID VARCHAR(63);
BEGIN
  IF (NEUER_WERT IS NULL OR NEUER_WERT = -1) THEN EXIT;
  IF (NEUER_WERT < -1) THEN
    EXCEPTION E_UNGUELTIGER_WERT 'Ungültiger Zählerstand: ' || NEUER_WERT;
  G = UPPER(TRIM(GENNAME));
  IF (FN_SQL_NAME_OK(G) = 0 OR NOT (G STARTING WITH 'GEN_')) THEN
    EXCEPTION E_UNGUELTIGER_NAME 'Ungültiger Generatorname: ' || COALESCE(SUBSTRING(GENNAME FROM 1 FOR 63), '<leer>');
  IF (NOT EXISTS (SELECT 1 FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = :G)) THEN
  BEGIN
    RING_ID = SUBSTRING(G FROM 12);
    IF (G STARTING WITH 'GEN_NUMMER_' AND CHAR_LENGTH(RING_ID) BETWEEN 1 AND 9
        AND RING_ID SIMILAR TO '[0-9]+') THEN
      EXECUTE PROCEDURE SP_CREATE_NUMMER_GEN(CAST(RING_ID AS INTEGER));
    ELSE
      EXCEPTION E_UNGUELTIGER_NAME 'Generator existiert nicht: ' || G;
  END
  /* GEN_ID works without DDL rights and takes effect at once, like the counter itself. */
  EXECUTE STATEMENT ('SELECT GEN_ID("' || G || '", 0) FROM RDB$DATABASE') INTO :ALT;
  EXECUTE STATEMENT ('SELECT GEN_ID("' || G || '", CAST(:D AS BIGINT)) FROM RDB$DATABASE')
    (D := NEUER_WERT - ALT)
    INTO :ALT;
END^

/*
  Next number of a number range.

  Range: ZAEHLRING rows whose IDENT equals IDENT ignoring case and surrounding blanks,
  with NUR_LESEN <> 1 (a read-only range hands out no numbers), valid at DATUM
  (NULL: today; GUELTIG_VON/GUELTIG_BIS NULL are open bounds). SUB_IDENT picks the row
  with that SUB_IDENT; when there is none (or SUB_IDENT is NULL) the identifier's
  general row (SUB_IDENT NULL or 0) serves. Among several rows the one with the latest
  GUELTIG_VON wins, then the highest ID.

  ANR: when ANR holds a number and FORCE_NEW is not 1, ANR comes back unchanged (also
  when no range matches) - unless the range is EINDEUTIG and another record already
  carries that number, in which case a new number is drawn.

  Drawing: the range's generator GEN_NUMMER_<ID> is incremented (atomic, outside the
  transaction, so concurrent callers never share a counter); the first counter is at
  least STARTWERT. The counter and DATUM (with the current time of day) are formatted
  by FORMAT_MASKE (SP_FORMAT_NUMMER).

  EINDEUTIG = 1 with RELATION_NAME/FIELD_NAME naming an existing text column: a number
  that another row of that table already holds (another ID than SELF_ID; within
  ABS(SUB_IDENT_FIELD) = the range's SUB_IDENT when both are set) is skipped and the
  next counter tried, at most 100 times.

  Result: one row. NR is NULL when IDENT is blank, no range matches, the mask gives
  an empty text or no unique number was found.
*/
CREATE OR ALTER PROCEDURE SP_GET_NUMMER (
  IDENT     VARCHAR(60),
  SUB_IDENT INTEGER,
  DATUM     DATE,
  ANR       VARCHAR(100),
  SELF_ID   INTEGER,
  FORCE_NEW INTEGER)
RETURNS (
  NR        VARCHAR(100))
AS
  DECLARE VARIABLE ZR_ID INTEGER;
  DECLARE VARIABLE ZR_SUB INTEGER;
  DECLARE VARIABLE STARTWERT BIGINT;
  DECLARE VARIABLE MASKE VARCHAR(40);
  DECLARE VARIABLE EINDEUTIG SMALLINT;
  DECLARE VARIABLE REL VARCHAR(63);
  DECLARE VARIABLE FLD VARCHAR(63);
  DECLARE VARIABLE SUBFLD VARCHAR(63);
  DECLARE VARIABLE PRUEF_SQL VARCHAR(1000);
  DECLARE VARIABLE GEN VARCHAR(63);
  DECLARE VARIABLE STICHTAG DATE;
  DECLARE VARIABLE V BIGINT;
  DECLARE VARIABLE KANDIDAT VARCHAR(100);
  DECLARE VARIABLE VERSUCH INTEGER = 0;
  DECLARE VARIABLE BEHALTEN SMALLINT;
  DECLARE VARIABLE TREFFER INTEGER;

  /* 1 when SP_NAME is a column of the table TAB_NAME (names upper-case). */
  DECLARE FUNCTION HAT_SPALTE (TAB_NAME VARCHAR(63), SP_NAME VARCHAR(63)) RETURNS SMALLINT
  AS
  BEGIN
    IF (EXISTS (SELECT 1 FROM RDB$RELATION_FIELDS
                WHERE RDB$RELATION_NAME = :TAB_NAME AND RDB$FIELD_NAME = :SP_NAME)) THEN
      RETURN 1;
    RETURN 0;
  END
BEGIN
  NR = NULL;
  STICHTAG = COALESCE(DATUM, CURRENT_DATE);
  BEHALTEN = 0;
  IF (TRIM(COALESCE(ANR, '')) <> '' AND COALESCE(FORCE_NEW, 0) <> 1) THEN BEHALTEN = 1;

  ZR_ID = NULL;
  IF (TRIM(COALESCE(IDENT, '')) <> '') THEN
    SELECT FIRST 1 Z.ID, Z.SUB_IDENT, Z.STARTWERT, Z.FORMAT_MASKE, COALESCE(Z.EINDEUTIG, 0),
           UPPER(TRIM(Z.RELATION_NAME)), UPPER(TRIM(Z.FIELD_NAME)), UPPER(TRIM(Z.SUB_IDENT_FIELD))
    FROM ZAEHLRING Z
    WHERE UPPER(TRIM(Z.IDENT)) = UPPER(TRIM(:IDENT))
      AND COALESCE(Z.NUR_LESEN, 0) <> 1
      AND ((:SUB_IDENT IS NOT NULL AND Z.SUB_IDENT = :SUB_IDENT) OR COALESCE(Z.SUB_IDENT, 0) = 0)
      AND (Z.GUELTIG_VON IS NULL OR Z.GUELTIG_VON <= :STICHTAG)
      AND (Z.GUELTIG_BIS IS NULL OR Z.GUELTIG_BIS >= :STICHTAG)
    ORDER BY CASE WHEN Z.SUB_IDENT = :SUB_IDENT THEN 0 ELSE 1 END,
             Z.GUELTIG_VON DESC NULLS LAST, Z.ID DESC
    INTO :ZR_ID, :ZR_SUB, :STARTWERT, :MASKE, :EINDEUTIG, :REL, :FLD, :SUBFLD;

  IF (ZR_ID IS NULL) THEN
  BEGIN
    IF (BEHALTEN = 1) THEN NR = ANR;
    SUSPEND;
    EXIT;
  END

  /* Uniqueness check against the numbered table, when it can be resolved. */
  PRUEF_SQL = NULL;
  IF (EINDEUTIG = 1 AND FN_SQL_NAME_OK(REL) = 1 AND FN_SQL_NAME_OK(FLD) = 1
      AND HAT_SPALTE(REL, FLD) = 1) THEN
  BEGIN
    PRUEF_SQL = 'SELECT COUNT(*) FROM "' || REL || '" WHERE "' || FLD || '" = CAST(:NUM AS VARCHAR(100))';
    IF (HAT_SPALTE(REL, 'ID') = 1) THEN
      PRUEF_SQL = PRUEF_SQL || ' AND (CAST(:SID AS INTEGER) IS NULL OR "ID" <> CAST(:SID AS INTEGER))';
    ELSE
      PRUEF_SQL = PRUEF_SQL || ' AND (CAST(:SID AS INTEGER) IS NULL OR 1 = 1)';
    IF (COALESCE(ZR_SUB, 0) <> 0 AND FN_SQL_NAME_OK(SUBFLD) = 1 AND HAT_SPALTE(REL, SUBFLD) = 1) THEN
      PRUEF_SQL = PRUEF_SQL || ' AND ABS("' || SUBFLD || '") = CAST(:SUB AS INTEGER)';
    ELSE
      PRUEF_SQL = PRUEF_SQL || ' AND (CAST(:SUB AS INTEGER) IS NULL OR 1 = 1)';
  END

  IF (BEHALTEN = 1) THEN
  BEGIN
    TREFFER = 0;
    IF (PRUEF_SQL IS NOT NULL) THEN
      EXECUTE STATEMENT (PRUEF_SQL) (NUM := ANR, SID := SELF_ID, SUB := ZR_SUB) INTO :TREFFER;
    IF (TREFFER = 0) THEN
    BEGIN
      NR = ANR;
      SUSPEND;
      EXIT;
    END
  END

  GEN = 'GEN_NUMMER_' || ZR_ID;
  WHILE (VERSUCH < 100) DO
  BEGIN
    VERSUCH = VERSUCH + 1;
    V = NULL;
    SELECT N FROM SP_GET_NUMMER_INTERN(:GEN, 1) INTO :V;
    IF (V IS NULL) THEN
    BEGIN
      /* Range without generator (e.g. rows copied in with the trigger inactive). */
      IN AUTONOMOUS TRANSACTION DO
        EXECUTE PROCEDURE SP_CREATE_NUMMER_GEN(:ZR_ID);
      SELECT N FROM SP_GET_NUMMER_INTERN(:GEN, 1) INTO :V;
    END
    IF (V < COALESCE(STARTWERT, 0)) THEN
      SELECT N FROM SP_GET_NUMMER_INTERN(:GEN, :STARTWERT - :V) INTO :V;

    KANDIDAT = NULL;
    SELECT NR FROM SP_FORMAT_NUMMER(:MASKE, :V, :STICHTAG + CURRENT_TIME) INTO :KANDIDAT;
    IF (COALESCE(KANDIDAT, '') = '') THEN LEAVE;

    TREFFER = 0;
    IF (PRUEF_SQL IS NOT NULL) THEN
      EXECUTE STATEMENT (PRUEF_SQL) (NUM := KANDIDAT, SID := SELF_ID, SUB := ZR_SUB) INTO :TREFFER;
    IF (TREFFER = 0) THEN
    BEGIN
      NR = KANDIDAT;
      LEAVE;
    END
  END
  SUSPEND;
END^

/* ------------------------------------------------------------------ */
/* Number-range triggers                                               */
/* ------------------------------------------------------------------ */

/* A new range (or a range whose ID changes) gets its counter generator. */
CREATE OR ALTER TRIGGER AIU_ZAEHLRING_GENERATOR FOR ZAEHLRING
ACTIVE AFTER INSERT OR UPDATE POSITION 0
AS
BEGIN
  IF (INSERTING OR NEW.ID IS DISTINCT FROM OLD.ID) THEN
    EXECUTE PROCEDURE SP_CREATE_NUMMER_GEN(NEW.ID);
END^

/* ------------------------------------------------------------------ */
/* Defects                                                             */
/* ------------------------------------------------------------------ */

/*
  Names of the defect kinds of a defect (FE_ART rows with DD NULL) joined by ", ",
  in the kinds' SORTIERUNG order, each kind once. One row; NULL without kinds.
*/
CREATE OR ALTER PROCEDURE SP_GET_FEHLERARTEN (
  FEHLER_ID INTEGER)
RETURNS (
  FEHLERARTEN VARCHAR(4000))
AS
  DECLARE VARIABLE NAME VARCHAR(40);
BEGIN
  FEHLERARTEN = NULL;
  FOR SELECT TRIM(A.BEZEICHNUNG)
      FROM APP$FEARTEN A
      WHERE EXISTS (SELECT 1 FROM FE_ART F
                    WHERE F.FEHLER_ID = :FEHLER_ID AND F.FEHLART_ID = A.ID AND F.DD IS NULL)
        AND COALESCE(TRIM(A.BEZEICHNUNG), '') <> ''
      ORDER BY A.SORTIERUNG, A.ID
      INTO :NAME
  DO
  BEGIN
    IF (FEHLERARTEN IS NULL) THEN
      FEHLERARTEN = NAME;
    ELSE IF (CHAR_LENGTH(FEHLERARTEN) + 2 + CHAR_LENGTH(NAME) <= 4000) THEN
      FEHLERARTEN = FEHLERARTEN || ', ' || NAME;
  END
  SUSPEND;
END^

/*
  Cost total of a defect: the sum of ANZAHL * KOSTEN over its FKOSTEN rows (NULL
  counts as 0). When KOSTENARTIKEL is not zero (magnitude above 0.001) and the sum
  exceeds KOSTENARTIKEL * FEHLERANZAHL (NULL pieces count as 0), the total is
  KOSTENARTIKEL * FEHLERANZAHL. One row.
*/
CREATE OR ALTER PROCEDURE SP_GET_FKOSTEN (
  FEHLER_ID     INTEGER,
  FEHLERANZAHL  INTEGER,
  KOSTENARTIKEL NUMERIC(18,4))
RETURNS (
  FEHLERKOSTEN  NUMERIC(18,4))
AS
  DECLARE VARIABLE GRENZE NUMERIC(18,4);
BEGIN
  SELECT COALESCE(SUM(COALESCE(K.ANZAHL, 0) * COALESCE(K.KOSTEN, 0)), 0)
  FROM FKOSTEN K
  WHERE K.FEHLER_ID = :FEHLER_ID
  INTO :FEHLERKOSTEN;
  IF (ABS(COALESCE(KOSTENARTIKEL, 0)) > 0.001) THEN
  BEGIN
    GRENZE = KOSTENARTIKEL * COALESCE(FEHLERANZAHL, 0);
    IF (FEHLERKOSTEN > GRENZE) THEN FEHLERKOSTEN = GRENZE;
  END
  SUSPEND;
END^

/* ------------------------------------------------------------------ */
/* Data import                                                         */
/* ------------------------------------------------------------------ */

/*
  Inserts or updates the article with the external number DIZEVAVO (the first by ID
  when several share it) and sets the passed columns; empty texts are stored as NULL.
  A new article gets AKTIV = 1 and DC = now; an existing one keeps AKTIV and DC.
  LID: -ID after an insert, +ID after an update, 0 when DIZEVAVO is blank.
*/
CREATE OR ALTER PROCEDURE SP_IMPORT_ARTIKEL (
  AFFORM      INTEGER,
  AFQUAL      INTEGER,
  AFFB        INTEGER,
  KURZB_ID    INTEGER,
  FARBE_ID    INTEGER,
  DIZEVAVO    VARCHAR(20),
  BEZEICHNUNG VARCHAR(255))
RETURNS (
  LID         INTEGER)
AS
  DECLARE VARIABLE NUMMER VARCHAR(20);
  DECLARE VARIABLE ART_ID INTEGER;
BEGIN
  LID = 0;
  NUMMER = TRIM(DIZEVAVO);
  IF (COALESCE(NUMMER, '') <> '') THEN
  BEGIN
    ART_ID = NULL;
    SELECT FIRST 1 A.ID FROM ARTIKEL A WHERE A.DIZEVAVO = :NUMMER ORDER BY A.ID INTO :ART_ID;
    IF (ART_ID IS NOT NULL) THEN
    BEGIN
      UPDATE ARTIKEL SET
        AFFORM = :AFFORM,
        AFQUAL = :AFQUAL,
        AFFB = :AFFB,
        KURZB_ID = :KURZB_ID,
        FARBE_ID = :FARBE_ID,
        BEZEICHNUNG = NULLIF(:BEZEICHNUNG, '')
      WHERE ID = :ART_ID;
      LID = ART_ID;
    END
    ELSE
    BEGIN
      INSERT INTO ARTIKEL (DIZEVAVO, AFFORM, AFQUAL, AFFB, KURZB_ID, FARBE_ID, BEZEICHNUNG, AKTIV, DC)
      VALUES (:NUMMER, :AFFORM, :AFQUAL, :AFFB, :KURZB_ID, :FARBE_ID, NULLIF(:BEZEICHNUNG, ''), 1,
              CURRENT_TIMESTAMP)
      RETURNING ID INTO :ART_ID;
      LID = -ART_ID;
    END
  END
  SUSPEND;
END^

/*
  Inserts or updates the material with the number MATNUMMER (the first by ID when
  several share it) and sets the passed columns; empty texts are stored as NULL.
  A new material gets DC = now. LID: -ID after an insert, +ID after an update, 0
  when MATNUMMER is blank.
*/
CREATE OR ALTER PROCEDURE SP_IMPORT_MATERIAL (
  MATNUMMER   VARCHAR(20),
  FARBE       INTEGER,
  ABM         INTEGER,
  MATERIALNR  INTEGER,
  NAME1       VARCHAR(50),
  NAME2       VARCHAR(50),
  VARBEZ      VARCHAR(40),
  LIEFERER_ID INTEGER,
  KURZNAME_ID INTEGER,
  EKPREIS     NUMERIC(18,4))
RETURNS (
  LID         INTEGER)
AS
  DECLARE VARIABLE NUMMER VARCHAR(20);
  DECLARE VARIABLE MAT_ID INTEGER;
BEGIN
  LID = 0;
  NUMMER = TRIM(MATNUMMER);
  IF (COALESCE(NUMMER, '') <> '') THEN
  BEGIN
    MAT_ID = NULL;
    SELECT FIRST 1 M.ID FROM MATERIAL M WHERE M.MATNUMMER = :NUMMER ORDER BY M.ID INTO :MAT_ID;
    IF (MAT_ID IS NOT NULL) THEN
    BEGIN
      UPDATE MATERIAL SET
        FARBE = :FARBE,
        ABM = :ABM,
        MATERIALNR = :MATERIALNR,
        NAME1 = NULLIF(:NAME1, ''),
        NAME2 = NULLIF(:NAME2, ''),
        VARBEZ = NULLIF(:VARBEZ, ''),
        LIEFERER_ID = :LIEFERER_ID,
        KURZNAME_ID = :KURZNAME_ID,
        EKPREIS = :EKPREIS
      WHERE ID = :MAT_ID;
      LID = MAT_ID;
    END
    ELSE
    BEGIN
      INSERT INTO MATERIAL (MATNUMMER, FARBE, ABM, MATERIALNR, NAME1, NAME2, VARBEZ, LIEFERER_ID,
                            KURZNAME_ID, EKPREIS, DC)
      VALUES (:NUMMER, :FARBE, :ABM, :MATERIALNR, NULLIF(:NAME1, ''), NULLIF(:NAME2, ''),
              NULLIF(:VARBEZ, ''), :LIEFERER_ID, :KURZNAME_ID, :EKPREIS, CURRENT_TIMESTAMP)
      RETURNING ID INTO :MAT_ID;
      LID = -MAT_ID;
    END
  END
  SUSPEND;
END^

/*
  Sets the generator GEN_<TABLE_NAME>_ID to the highest ID of the table (0 when it is
  empty) and returns that value as NEUER_WERT. The name is compared upper-case; a name
  that is not a plain identifier or no table of the database raises E_UNGUELTIGER_NAME.
  A table without ID column or without that generator is left alone (NEUER_WERT NULL).
*/
CREATE OR ALTER PROCEDURE SP_SET_GEN_TO_MAX_ID (
  TABLE_NAME VARCHAR(63))
RETURNS (
  NEUER_WERT BIGINT)
AS
  DECLARE VARIABLE T VARCHAR(63);
  DECLARE VARIABLE G VARCHAR(63);
  DECLARE VARIABLE ALT BIGINT;
BEGIN
  NEUER_WERT = NULL;
  T = UPPER(TRIM(TABLE_NAME));
  IF (FN_SQL_NAME_OK(T) = 0 OR CHAR_LENGTH(T) > 56) THEN
    EXCEPTION E_UNGUELTIGER_NAME 'Ungültiger Tabellenname: ' || COALESCE(SUBSTRING(TABLE_NAME FROM 1 FOR 63), '<leer>');
  IF (NOT EXISTS (SELECT 1 FROM RDB$RELATIONS
                  WHERE RDB$RELATION_NAME = :T AND RDB$VIEW_BLR IS NULL
                    AND COALESCE(RDB$SYSTEM_FLAG, 0) = 0)) THEN
    EXCEPTION E_UNGUELTIGER_NAME 'Tabelle existiert nicht: ' || T;
  G = 'GEN_' || T || '_ID';
  IF (EXISTS (SELECT 1 FROM RDB$RELATION_FIELDS WHERE RDB$RELATION_NAME = :T AND RDB$FIELD_NAME = 'ID')
      AND EXISTS (SELECT 1 FROM RDB$GENERATORS WHERE RDB$GENERATOR_NAME = :G)) THEN
  BEGIN
    EXECUTE STATEMENT 'SELECT COALESCE(MAX("ID"), 0) FROM "' || T || '"' INTO :NEUER_WERT;
    EXECUTE STATEMENT 'SELECT GEN_ID("' || G || '", 0) FROM RDB$DATABASE' INTO :ALT;
    EXECUTE STATEMENT ('SELECT GEN_ID("' || G || '", CAST(:D AS BIGINT)) FROM RDB$DATABASE')
      (D := NEUER_WERT - ALT)
      INTO :ALT;
  END
  SUSPEND;
END^

/* ------------------------------------------------------------------ */
/* Correspondence: client and staff data at a date                     */
/* ------------------------------------------------------------------ */

/*
  Insurers of a client (KTKLIENT.PATIENT_ID = PERSON.ID) valid at DATUM (NULL: today):
  the row with the latest DATUM_VON not after DATUM (NULL DATUM_VON counts as always)
  whose DATUM_BIS is NULL or not before DATUM; ties by highest ID. One row; all NULL
  when the client has no valid row.
*/
CREATE OR ALTER PROCEDURE SP_GET_KTKLIENT (
  PERSON_ID   INTEGER,
  DATUM       DATE)
RETURNS (
  KK_ID       INTEGER,
  KK_NR       VARCHAR(20),
  PK_ID       INTEGER,
  PFLEGESTUFE INTEGER,
  PK_NR       VARCHAR(20),
  SA_ID       INTEGER,
  SA_NR       VARCHAR(20),
  BH_ID       INTEGER,
  BH_NR       VARCHAR(20))
AS
  DECLARE VARIABLE STICHTAG DATE;
BEGIN
  STICHTAG = COALESCE(DATUM, CURRENT_DATE);
  KK_ID = NULL; KK_NR = NULL; PK_ID = NULL; PFLEGESTUFE = NULL; PK_NR = NULL;
  SA_ID = NULL; SA_NR = NULL; BH_ID = NULL; BH_NR = NULL;
  SELECT FIRST 1 K.KK_ID, K.KK_NR, K.PK_ID, K.PFLEGESTUFE, K.PK_NR, K.SA_ID, K.SA_NR, K.BH_ID, K.BH_NR
  FROM KTKLIENT K
  WHERE K.PATIENT_ID = :PERSON_ID
    AND (K.DATUM_VON IS NULL OR K.DATUM_VON <= :STICHTAG)
    AND (K.DATUM_BIS IS NULL OR K.DATUM_BIS >= :STICHTAG)
  ORDER BY K.DATUM_VON DESC NULLS LAST, K.ID DESC
  INTO :KK_ID, :KK_NR, :PK_ID, :PFLEGESTUFE, :PK_NR, :SA_ID, :SA_NR, :BH_ID, :BH_NR;
  SUSPEND;
END^

/*
  Employment data of a staff member at DATUM (NULL: today): BERUF of the person, and
  URLAUBSANSPRUCH and QUALIFIKATION (QUALIFIK.ID) of the PERSONAL row when its
  employment period (EINSTELLUNG_VON/EINSTELLUNG_BIS, NULL bounds open) covers DATUM.
  One row; NULL columns when nothing applies.
*/
CREATE OR ALTER PROCEDURE SP_GET_AVERTRAG (
  PERSON_ID       INTEGER,
  DATUM           DATE)
RETURNS (
  BERUF           VARCHAR(40),
  URLAUBSANSPRUCH NUMERIC(5,1),
  QUALIFIKATION   INTEGER,
  EINSTELLUNG_VON DATE,
  EINSTELLUNG_BIS DATE)
AS
  DECLARE VARIABLE STICHTAG DATE;
BEGIN
  STICHTAG = COALESCE(DATUM, CURRENT_DATE);
  BERUF = NULL; URLAUBSANSPRUCH = NULL; QUALIFIKATION = NULL;
  EINSTELLUNG_VON = NULL; EINSTELLUNG_BIS = NULL;
  SELECT P.BERUF FROM PERSON P WHERE P.ID = :PERSON_ID INTO :BERUF;
  SELECT FIRST 1 S.URLAUBSANSPRUCH, S.QUALIFIKATION, S.EINSTELLUNG_VON, S.EINSTELLUNG_BIS
  FROM PERSONAL S
  WHERE S.PERSON_ID = :PERSON_ID
    AND (S.EINSTELLUNG_VON IS NULL OR S.EINSTELLUNG_VON <= :STICHTAG)
    AND (S.EINSTELLUNG_BIS IS NULL OR S.EINSTELLUNG_BIS >= :STICHTAG)
  ORDER BY S.ID
  INTO :URLAUBSANSPRUCH, :QUALIFIKATION, :EINSTELLUNG_VON, :EINSTELLUNG_BIS;
  SUSPEND;
END^

SET TERM ; ^

COMMIT;
