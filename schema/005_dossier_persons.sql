/* Company dossier: the persons of the company (contacts and staff) as the page
   "Ansprechpartner" behind the last page of the group "Firma". A page list without a "Firma"
   group gets a group "Personen" with that page at its end; a list that already shows the person
   register, and a database without the list, are left as they are. */
SET TERM ^ ;
EXECUTE BLOCK
AS
  DECLARE VARIABLE grp INTEGER;
  DECLARE VARIABLE nxt INTEGER;
  DECLARE VARIABLE last_pos INTEGER;
BEGIN
  IF (NOT EXISTS (SELECT 1 FROM APP$GLOBALLISTE WHERE LISTE = 'Betriebsmappe')) THEN
    EXIT;
  IF (EXISTS (SELECT 1 FROM APP$GLOBALLISTE
              WHERE LISTE = 'Betriebsmappe' AND UPPER(TEXT) CONTAINING '=TPERSONFORM')) THEN
    EXIT;
  SELECT MAX(POS) FROM APP$GLOBALLISTE WHERE LISTE = 'Betriebsmappe' INTO :last_pos;
  SELECT MIN(POS) FROM APP$GLOBALLISTE
    WHERE LISTE = 'Betriebsmappe' AND UPPER(TRIM(TEXT)) STARTING WITH '(FIRMA,'
    INTO :grp;
  IF (grp IS NULL) THEN
  BEGIN
    INSERT INTO APP$GLOBALLISTE (LISTE, POS, TEXT, OBJ) VALUES ('Betriebsmappe', :last_pos + 1, '(Personen,5)', 0);
    INSERT INTO APP$GLOBALLISTE (LISTE, POS, TEXT, OBJ) VALUES ('Betriebsmappe', :last_pos + 2, 'Ansprechpartner=TPersonForm', 0);
    EXIT;
  END
  /* the next group after "Firma" */
  SELECT MIN(POS) FROM APP$GLOBALLISTE
    WHERE LISTE = 'Betriebsmappe' AND POS > :grp
      AND (TRIM(TEXT) STARTING WITH '(' OR TRIM(TEXT) STARTING WITH '[')
    INTO :nxt;
  IF (nxt IS NULL) THEN
  BEGIN
    INSERT INTO APP$GLOBALLISTE (LISTE, POS, TEXT, OBJ) VALUES ('Betriebsmappe', :last_pos + 1, 'Ansprechpartner=TPersonForm', 0);
    EXIT;
  END
  /* make room in two steps: (LISTE, POS) is unique at every row */
  UPDATE APP$GLOBALLISTE SET POS = POS + 100000 WHERE LISTE = 'Betriebsmappe' AND POS >= :nxt;
  UPDATE APP$GLOBALLISTE SET POS = POS - 99999 WHERE LISTE = 'Betriebsmappe' AND POS >= 100000 + :nxt;
  INSERT INTO APP$GLOBALLISTE (LISTE, POS, TEXT, OBJ) VALUES ('Betriebsmappe', :nxt, 'Ansprechpartner=TPersonForm', 0);
END^
SET TERM ; ^
COMMIT;
