/* Gerundo database: ten tables, identifiers and codes assigned on insert, the table of claims of
   the desks that share it (GERUNDO_LOCK), and the stock-takes (LELTAR and its three tables).
   Runs unchanged in isql-fb against an empty WIN1250 database:
     isql-fb -q -ch WIN1250 -user SYSDBA Dudoz.fdb -i db/schema.sql
   The program's own tool (gerundo-mkdb) creates Dudoz.fdb from this same file, and
   "gerundo-mkdb --upgrade Dudoz.fdb" adds to an existing file every table, index, sequence,
   procedure and trigger below that it lacks (GERUNDO_LOCK with its rows, the on-site count, the
   stock-take tables), and compares the on-site count with the tables.

   Text columns are VARCHAR in the database's default character set WIN1250. Names and addresses
   sort in Hungarian order (PXW_HUN); ear tags and codes compare byte-wise. There are no foreign
   keys: outgoing rows with empty codes are valid and registers may lose rows only archives use. */

/* Identifier and code of a new row. The code is the sequence number in decimal while it fits in
   five characters (an empty database gives the n-th carrier and partner the code n). From
   100000 on it is a letter followed by four base-36 digits: still unique, still five characters,
   and never all digits, so it cannot meet a decimal code. */
CREATE EXCEPTION GERUNDO_CODES_EXHAUSTED 'No five-character code is left for this table';
SET TERM ^ ;
CREATE OR ALTER FUNCTION GERUNDO_CODE (N BIGINT) RETURNS VARCHAR(5)
AS
  DECLARE DIGITS CHAR(36) = '0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ';
  DECLARE M BIGINT;
  DECLARE S VARCHAR(5) = '';
  DECLARE I INTEGER = 0;
BEGIN
  IF (N <= 99999) THEN
    RETURN CAST(N AS VARCHAR(5));
  M = N - 100000;
  WHILE (I < 4) DO
  BEGIN
    S = SUBSTRING(DIGITS FROM MOD(M, 36) + 1 FOR 1) || S;
    M = M / 36;
    I = I + 1;
  END
  IF (M >= 26) THEN
    EXCEPTION GERUNDO_CODES_EXHAUSTED;
  RETURN SUBSTRING(DIGITS FROM M + 11 FOR 1) || S;
END^
SET TERM ; ^
CREATE TABLE SZALLITO (
  IDS INTEGER NOT NULL,
  SKOD VARCHAR(5),
  SRENDSZAM VARCHAR(25),
  SNEV VARCHAR(75) COLLATE PXW_HUN,
  SCIM VARCHAR(75) COLLATE PXW_HUN,
  SJOVASZAM VARCHAR(25),
  CONSTRAINT PK_SZALLITO PRIMARY KEY (IDS)
);
CREATE TABLE FELADO (
  IDF INTEGER NOT NULL,
  FKOD VARCHAR(5),
  FNEV VARCHAR(75) COLLATE PXW_HUN,
  FCIM VARCHAR(75) COLLATE PXW_HUN,
  FTENYKOD VARCHAR(25),
  FSZNEV VARCHAR(75) COLLATE PXW_HUN,
  FSZCIM VARCHAR(75) COLLATE PXW_HUN,
  CONSTRAINT PK_FELADO PRIMARY KEY (IDF)
);
CREATE TABLE BESZALL (
  IDB INTEGER NOT NULL,
  BKOD VARCHAR(5),
  BSKOD VARCHAR(5),
  BFKOD VARCHAR(5),
  BFULSZAM VARCHAR(25),
  BSZKELT DATE,
  BVKELT DATE,
  BHKAT VARCHAR(25),
  BEUBIZ VARCHAR(45),
  CONSTRAINT PK_BESZALL PRIMARY KEY (IDB)
);
CREATE TABLE KISZALL (
  IDK INTEGER NOT NULL,
  KKOD VARCHAR(5),
  KSKOD VARCHAR(5) DEFAULT '',
  KIKELT DATE,
  KFULSZAM VARCHAR(25),
  KHKOD VARCHAR(5),
  KFKOD VARCHAR(5) DEFAULT '',
  KHKAT VARCHAR(25),
  KEUBIZBE VARCHAR(45),
  KEUBIZKI VARCHAR(45),
  CONSTRAINT PK_KISZALL PRIMARY KEY (IDK)
);
CREATE TABLE FULSZAM (
  IDU INTEGER NOT NULL,
  UKOD VARCHAR(5),
  UFULTOL VARCHAR(25),
  UFULIG VARCHAR(25),
  CONSTRAINT PK_FULSZAM PRIMARY KEY (IDU)
);
CREATE TABLE FULSZAM0 (
  IDU INTEGER NOT NULL,
  UKOD VARCHAR(5),
  UFULTOL VARCHAR(25),
  UFULIG VARCHAR(25),
  CONSTRAINT PK_FULSZAM0 PRIMARY KEY (IDU)
);
CREATE TABLE BESZALL0 (
  IDB INTEGER NOT NULL,
  BKOD VARCHAR(5),
  BSKOD VARCHAR(5),
  BFKOD VARCHAR(5),
  BFULSZAM VARCHAR(25),
  BSZKELT DATE,
  BVKELT DATE,
  BHKAT VARCHAR(25),
  BEUBIZ VARCHAR(45),
  CONSTRAINT PK_BESZALL0 PRIMARY KEY (IDB)
);
CREATE TABLE KISZALL0 (
  IDK INTEGER NOT NULL,
  KKOD VARCHAR(5),
  KSKOD VARCHAR(5) DEFAULT '',
  KIKELT DATE,
  KFULSZAM VARCHAR(25),
  KHKOD VARCHAR(5),
  KFKOD VARCHAR(5) DEFAULT '',
  KHKAT VARCHAR(25),
  KEUBIZBE VARCHAR(45),
  KEUBIZKI VARCHAR(45),
  CONSTRAINT PK_KISZALL0 PRIMARY KEY (IDK)
);
CREATE TABLE PARTNER (
  IDP INTEGER NOT NULL,
  PKOD VARCHAR(5),
  PNEV VARCHAR(75) COLLATE PXW_HUN,
  PIRSZAM VARCHAR(4),
  PHELYSEG VARCHAR(75) COLLATE PXW_HUN,
  PUTCA VARCHAR(75) COLLATE PXW_HUN,
  PHSZAM VARCHAR(10),
  PSZLANEV VARCHAR(75) COLLATE PXW_HUN,
  PSZLAIRSZAM VARCHAR(4),
  PSZLAHELYSEG VARCHAR(75) COLLATE PXW_HUN,
  PSZLAUTCA VARCHAR(75) COLLATE PXW_HUN,
  PSZLAHSZAM VARCHAR(10),
  PTEL VARCHAR(45),
  PEMAIL VARCHAR(45),
  PBANKSZLA VARCHAR(25),
  PBANKNEV VARCHAR(75) COLLATE PXW_HUN,
  PADOSZAM VARCHAR(25),
  PCEGJEGYZ VARCHAR(45),
  PMEMO VARCHAR(1000),
  CONSTRAINT PK_PARTNER PRIMARY KEY (IDP)
);
CREATE TABLE KISZALL1 (
  KIKELT DATE,
  KFULSZAM VARCHAR(25),
  KVKOD VARCHAR(25),
  KHKAT VARCHAR(25),
  KEUBE VARCHAR(45),
  KEUKI VARCHAR(45),
  IDK INTEGER NOT NULL,
  KKOD VARCHAR(5),
  CONSTRAINT PK_KISZALL1 PRIMARY KEY (IDK)
);
/* Work that desks sharing this database through a Firebird server must not do at the same time:
   refilling the work tables FULSZAM, FULSZAM0 and KISZALL1, and moving or deleting departures by
   whole days. A desk claims the work by updating its row in a transaction of its own that it never
   commits (nowait): another desk's update then fails at once, and that desk says the work is busy.
   The claim ends with that transaction, and with the connection of a desk that dies. */
CREATE TABLE GERUNDO_LOCK (
  NAME VARCHAR(31) NOT NULL,
  TAKEN TIMESTAMP,
  CONSTRAINT PK_GERUNDO_LOCK PRIMARY KEY (NAME)
);
INSERT INTO GERUNDO_LOCK (NAME) VALUES ('FULSZAM');
INSERT INTO GERUNDO_LOCK (NAME) VALUES ('FULSZAM0');
INSERT INTO GERUNDO_LOCK (NAME) VALUES ('KISZALL1');
INSERT INTO GERUNDO_LOCK (NAME) VALUES ('KISZALL');
/* Stock-takes: the register checked against the animals seen in the yard. They only report: nothing
   of the register changes. Identifiers come from identity columns, so that "gerundo-mkdb --upgrade"
   adds these tables whole with their CREATE TABLE. Several desks add to one stock-take at once and
   never update the same row: a scan is a row of its own (LELTARTETEL), and each connection that
   scans keeps a row of its own (LELTARGEP), touched with every scan. Closing updates the stock-take
   and every desk row in one nowait transaction, so a scan still in flight at another desk makes the
   closing fail (and try again) instead of slipping past the lists it freezes (LELTARLISTA). */
CREATE TABLE LELTAR (
  IDL INTEGER GENERATED BY DEFAULT AS IDENTITY NOT NULL,
  LKEZDET TIMESTAMP DEFAULT CURRENT_TIMESTAMP NOT NULL,
  LFELHASZNALO VARCHAR(31) DEFAULT CURRENT_USER,
  LGEP VARCHAR(63),
  LLEZARVA TIMESTAMP,
  LLEZARTA VARCHAR(31),
  LLEZAROGEP VARCHAR(63),
  CONSTRAINT PK_LELTAR PRIMARY KEY (IDL)
);
CREATE TABLE LELTARGEP (
  GLELTAR INTEGER NOT NULL,
  GKAPCSOLAT BIGINT NOT NULL,
  GFELHASZNALO VARCHAR(31) DEFAULT CURRENT_USER,
  GGEP VARCHAR(63),
  GKEZDET TIMESTAMP DEFAULT CURRENT_TIMESTAMP NOT NULL,
  GUTOLSO TIMESTAMP,
  GDB INTEGER DEFAULT 0 NOT NULL,
  CONSTRAINT PK_LELTARGEP PRIMARY KEY (GLELTAR, GKAPCSOLAT)
);
CREATE TABLE LELTARTETEL (
  IDT BIGINT GENERATED BY DEFAULT AS IDENTITY NOT NULL,
  TLELTAR INTEGER NOT NULL,
  TFULSZAM VARCHAR(25) NOT NULL,
  TIDO TIMESTAMP DEFAULT CURRENT_TIMESTAMP NOT NULL,
  TFELHASZNALO VARCHAR(31) DEFAULT CURRENT_USER,
  TGEP VARCHAR(63),
  CONSTRAINT PK_LELTARTETEL PRIMARY KEY (IDT)
);
/* A closed stock-take's three lists as they stood when it was closed: M found (on site and seen),
   H missing (on site, not seen), N not on site in the register but seen. */
CREATE TABLE LELTARLISTA (
  RLELTAR INTEGER NOT NULL,
  RLISTA CHAR(1) NOT NULL,
  RFULSZAM VARCHAR(25) NOT NULL,
  RBESZKELT DATE,
  RNAPOK INTEGER,
  RFELADO VARCHAR(75) COLLATE PXW_HUN,
  RELSO TIMESTAMP,
  RDB INTEGER,
  RMOZGAS VARCHAR(40),
  RMDATUM DATE,
  RMPARTNER VARCHAR(75) COLLATE PXW_HUN,
  CONSTRAINT PK_LELTARLISTA PRIMARY KEY (RLELTAR, RLISTA, RFULSZAM)
);
/* One sequence per table gives both the identifier and the code of a new row. */
CREATE SEQUENCE GEN_SZALLITO;
CREATE SEQUENCE GEN_FELADO;
CREATE SEQUENCE GEN_BESZALL;
CREATE SEQUENCE GEN_KISZALL;
CREATE SEQUENCE GEN_FULSZAM;
CREATE SEQUENCE GEN_FULSZAM0;
CREATE SEQUENCE GEN_BESZALL0;
CREATE SEQUENCE GEN_KISZALL0;
CREATE SEQUENCE GEN_PARTNER;
CREATE SEQUENCE GEN_KISZALL1;

SET TERM ^ ;
CREATE TRIGGER SZALLITO_BI FOR SZALLITO ACTIVE BEFORE INSERT POSITION 0 AS
  DECLARE N BIGINT;
BEGIN
  N = NEXT VALUE FOR GEN_SZALLITO;
  IF (NEW.IDS IS NULL) THEN NEW.IDS = N;
  IF (NEW.SKOD IS NULL OR NEW.SKOD = '') THEN NEW.SKOD = GERUNDO_CODE(N);
END^
CREATE TRIGGER FELADO_BI FOR FELADO ACTIVE BEFORE INSERT POSITION 0 AS
  DECLARE N BIGINT;
BEGIN
  N = NEXT VALUE FOR GEN_FELADO;
  IF (NEW.IDF IS NULL) THEN NEW.IDF = N;
  IF (NEW.FKOD IS NULL OR NEW.FKOD = '') THEN NEW.FKOD = GERUNDO_CODE(N);
END^
CREATE TRIGGER BESZALL_BI FOR BESZALL ACTIVE BEFORE INSERT POSITION 0 AS
  DECLARE N BIGINT;
BEGIN
  N = NEXT VALUE FOR GEN_BESZALL;
  IF (NEW.IDB IS NULL) THEN NEW.IDB = N;
  IF (NEW.BKOD IS NULL OR NEW.BKOD = '') THEN NEW.BKOD = GERUNDO_CODE(N);
END^
CREATE TRIGGER KISZALL_BI FOR KISZALL ACTIVE BEFORE INSERT POSITION 0 AS
  DECLARE N BIGINT;
BEGIN
  N = NEXT VALUE FOR GEN_KISZALL;
  IF (NEW.IDK IS NULL) THEN NEW.IDK = N;
  IF (NEW.KKOD IS NULL OR NEW.KKOD = '') THEN NEW.KKOD = GERUNDO_CODE(N);
END^
CREATE TRIGGER FULSZAM_BI FOR FULSZAM ACTIVE BEFORE INSERT POSITION 0 AS
  DECLARE N BIGINT;
BEGIN
  N = NEXT VALUE FOR GEN_FULSZAM;
  IF (NEW.IDU IS NULL) THEN NEW.IDU = N;
  IF (NEW.UKOD IS NULL OR NEW.UKOD = '') THEN NEW.UKOD = GERUNDO_CODE(N);
END^
CREATE TRIGGER FULSZAM0_BI FOR FULSZAM0 ACTIVE BEFORE INSERT POSITION 0 AS
  DECLARE N BIGINT;
BEGIN
  N = NEXT VALUE FOR GEN_FULSZAM0;
  IF (NEW.IDU IS NULL) THEN NEW.IDU = N;
  IF (NEW.UKOD IS NULL OR NEW.UKOD = '') THEN NEW.UKOD = GERUNDO_CODE(N);
END^
CREATE TRIGGER BESZALL0_BI FOR BESZALL0 ACTIVE BEFORE INSERT POSITION 0 AS
  DECLARE N BIGINT;
BEGIN
  N = NEXT VALUE FOR GEN_BESZALL0;
  IF (NEW.IDB IS NULL) THEN NEW.IDB = N;
  IF (NEW.BKOD IS NULL OR NEW.BKOD = '') THEN NEW.BKOD = GERUNDO_CODE(N);
END^
CREATE TRIGGER KISZALL0_BI FOR KISZALL0 ACTIVE BEFORE INSERT POSITION 0 AS
  DECLARE N BIGINT;
BEGIN
  N = NEXT VALUE FOR GEN_KISZALL0;
  IF (NEW.IDK IS NULL) THEN NEW.IDK = N;
  IF (NEW.KKOD IS NULL OR NEW.KKOD = '') THEN NEW.KKOD = GERUNDO_CODE(N);
END^
CREATE TRIGGER PARTNER_BI FOR PARTNER ACTIVE BEFORE INSERT POSITION 0 AS
  DECLARE N BIGINT;
BEGIN
  N = NEXT VALUE FOR GEN_PARTNER;
  IF (NEW.IDP IS NULL) THEN NEW.IDP = N;
  IF (NEW.PKOD IS NULL OR NEW.PKOD = '') THEN NEW.PKOD = GERUNDO_CODE(N);
END^
CREATE TRIGGER KISZALL1_BI FOR KISZALL1 ACTIVE BEFORE INSERT POSITION 0 AS
  DECLARE N BIGINT;
BEGIN
  N = NEXT VALUE FOR GEN_KISZALL1;
  IF (NEW.IDK IS NULL) THEN NEW.IDK = N;
  IF (NEW.KKOD IS NULL OR NEW.KKOD = '') THEN NEW.KKOD = GERUNDO_CODE(N);
END^
SET TERM ; ^

/* Codes are the keys deliveries refer to. */
CREATE UNIQUE INDEX UX_SZALLITO_SKOD ON SZALLITO (SKOD);
CREATE UNIQUE INDEX UX_FELADO_FKOD ON FELADO (FKOD);

/* Ear tags join arrivals with departures (on site, pick list NOT EXISTS, checks, archiving); dates
   find the day lists; codes find the uses of a carrier or partner before a delete. */
CREATE INDEX IX_BESZALL_FULSZAM ON BESZALL (BFULSZAM);
CREATE INDEX IX_BESZALL_SKOD ON BESZALL (BSKOD);
CREATE INDEX IX_BESZALL_FKOD ON BESZALL (BFKOD);
CREATE INDEX IX_KISZALL_FULSZAM ON KISZALL (KFULSZAM);
CREATE INDEX IX_KISZALL_SKOD ON KISZALL (KSKOD);
CREATE INDEX IX_KISZALL_FKOD ON KISZALL (KFKOD);
CREATE INDEX IX_BESZALL0_FULSZAM ON BESZALL0 (BFULSZAM);
CREATE INDEX IX_KISZALL0_FULSZAM ON KISZALL0 (KFULSZAM);
CREATE INDEX IX_KISZALL0_KIKELT ON KISZALL0 (KIKELT);
CREATE INDEX IX_KISZALL1_FULSZAM ON KISZALL1 (KFULSZAM);
CREATE INDEX IX_FULSZAM_FULTOL ON FULSZAM (UFULTOL);
/* A sender's ear tags are gathered from the live and the archived arrivals by the sender's code;
   the sender's runs are listed and looked up by their first ear tag. */
CREATE INDEX IX_BESZALL0_FKOD ON BESZALL0 (BFKOD);
CREATE INDEX IX_FULSZAM0_FULTOL ON FULSZAM0 (UFULTOL);
/* Ear tags as numbers: zero-padded to the column's width, digit strings sort as their values do.
   The delivery papers count the day's ear tags of a range through these. */
CREATE INDEX IX_BESZALL_FULSZAM_NUM ON BESZALL COMPUTED BY (LPAD(BFULSZAM, 25, '0'));
CREATE INDEX IX_KISZALL_FULSZAM_NUM ON KISZALL COMPUTED BY (LPAD(KFULSZAM, 25, '0'));
/* The story of one ear tag reads all four tables by its number, the archives too. */
CREATE INDEX IX_BESZALL0_FULSZAM_NUM ON BESZALL0 COMPUTED BY (LPAD(BFULSZAM, 25, '0'));
CREATE INDEX IX_KISZALL0_FULSZAM_NUM ON KISZALL0 COMPUTED BY (LPAD(KFULSZAM, 25, '0'));

/* A stock-take's scans by ear tag: its lists, its counts and the answer to each scan. */
CREATE INDEX IX_LELTARTETEL_FULSZAM ON LELTARTETEL (TLELTAR, TFULSZAM);

/* The delivery lists land on their newest row, or on a remembered one, by walking an index from
   there in either direction, and the engine walks an index one way only: so each list order has an
   ascending and a descending index, driven from the delivery table (the joined registers are found
   by their unique codes). The lists in date order are ordered by date, ear tag and identifier (the
   identifier settles the order of equal dates and ear tags). The ascending date index serves the
   day lists' searches by date as well; a date index of its own would draw the engine into sorting
   a range of dates instead of walking this one. */
CREATE DESCENDING INDEX IX_BESZALL_IDB_DESC ON BESZALL (IDB);
CREATE INDEX IX_BESZALL_SZKELT_FULSZAM ON BESZALL (BSZKELT, BFULSZAM, IDB);
CREATE DESCENDING INDEX IX_BESZALL_SZKELT_FULSZAM_DESC ON BESZALL (BSZKELT, BFULSZAM, IDB);
CREATE DESCENDING INDEX IX_KISZALL_IDK_DESC ON KISZALL (IDK);
CREATE INDEX IX_KISZALL_KIKELT_FULSZAM ON KISZALL (KIKELT, KFULSZAM, IDK);
CREATE DESCENDING INDEX IX_KISZALL_KIKELT_FULSZAM_DESC ON KISZALL (KIKELT, KFULSZAM, IDK);

/* The animals on site, kept by the engine in the transaction of every change, whoever makes it.
   An animal is on site while its ear tag has more arrivals (BESZALL rows) than departures (KISZALL
   rows). Ear tags compare as the joins of arrivals and departures compare them (byte-wise, trailing
   blanks aside, leading zeros significant); rows without an ear tag (NULL or blank) are no animal.
   GERUNDO_ONSITE_TAG holds arrivals minus departures of every ear tag where that is not zero.
   The count is the sum of GERUNDO_ONSITE_COUNT, one row per transaction that took animals on or
   off site (its PART is kept in the transaction's context until it commits), instead of one shared
   row: desks writing different animals never touch the same row, which nowait would refuse the
   second. Only two writes of one ear tag at the same time meet, on its GERUNDO_ONSITE_TAG row.
   Every 4096th row folds the committed rows into one (GERUNDO_ONSITE_COMPACT), so reading the sum
   stays cheap at any size. */
CREATE TABLE GERUNDO_ONSITE_TAG (
  FULSZAM VARCHAR(25) NOT NULL,
  BALANCE INTEGER NOT NULL,
  CONSTRAINT PK_GERUNDO_ONSITE_TAG PRIMARY KEY (FULSZAM)
);
CREATE TABLE GERUNDO_ONSITE_COUNT (
  PART BIGINT NOT NULL,
  ANIMALS BIGINT NOT NULL,
  CONSTRAINT PK_GERUNDO_ONSITE_COUNT PRIMARY KEY (PART)
);
/* STALE is set (FLAG 1) when the triggers or the procedure that keep the count are altered or
   dropped: what was written meanwhile may have bypassed them, so the program compares the count with
   the tables at its next start and repairs it (gerundo-mkdb --upgrade always does). COMPACTION is
   claimed by the one folding of the count rows that may run at a time. */
CREATE TABLE GERUNDO_ONSITE_STATE (
  NAME VARCHAR(31) NOT NULL,
  FLAG SMALLINT DEFAULT 0 NOT NULL,
  TAKEN TIMESTAMP,
  CONSTRAINT PK_GERUNDO_ONSITE_STATE PRIMARY KEY (NAME)
);
INSERT INTO GERUNDO_ONSITE_STATE (NAME, FLAG) VALUES ('STALE', 0);
INSERT INTO GERUNDO_ONSITE_STATE (NAME, FLAG) VALUES ('COMPACTION', 0);
CREATE SEQUENCE GEN_GERUNDO_ONSITE_COUNT;

SET TERM ^ ;
/* Folds the committed count rows into one, in a transaction of its own that commits at once (rows
   of transactions still running are not seen and stay as they are). Another fold running at the
   same moment holds COMPACTION: then nothing is done, and the rows wait for the next fold. */
CREATE PROCEDURE GERUNDO_ONSITE_COMPACT
AS
  DECLARE TOTAL BIGINT = 0;
  DECLARE FOLDED INTEGER = 0;
  DECLARE ANIMALS BIGINT;
BEGIN
  BEGIN
    IN AUTONOMOUS TRANSACTION DO
    BEGIN
      UPDATE GERUNDO_ONSITE_STATE SET TAKEN = CURRENT_TIMESTAMP WHERE NAME = 'COMPACTION';
      /* The value is taken before its row is deleted: a deleted row's fields read as NULL. */
      FOR SELECT ANIMALS FROM GERUNDO_ONSITE_COUNT INTO :ANIMALS AS CURSOR PART DO
      BEGIN
        TOTAL = TOTAL + ANIMALS;
        FOLDED = FOLDED + 1;
        DELETE FROM GERUNDO_ONSITE_COUNT WHERE CURRENT OF PART;
      END
      IF (FOLDED > 0 AND TOTAL <> 0) THEN
        INSERT INTO GERUNDO_ONSITE_COUNT (PART, ANIMALS) VALUES (NEXT VALUE FOR GEN_GERUNDO_ONSITE_COUNT, :TOTAL);
    END
    WHEN ANY DO
    BEGIN
      /* Busy elsewhere: the caller's change stands, the fold is left to the next one. */
    END
  END
END^

/* An arrival (STEP 1) or a departure (STEP -1) of TAG comes (or, deleted, goes with the opposite
   sign): its balance moves, and the count with it when the animal comes on or leaves the site. */
CREATE PROCEDURE GERUNDO_ONSITE_MOVE (TAG VARCHAR(25), STEP INTEGER)
AS
  DECLARE BEFORE_MOVE INTEGER;
  DECLARE AFTER_MOVE INTEGER;
  DECLARE ANIMALS INTEGER = 0;
  DECLARE PART BIGINT;
  DECLARE FOUND INTEGER = 0;
  DECLARE DONE INTEGER;
BEGIN
  IF (TAG IS NULL OR TAG = '') THEN
    EXIT;
  /* One statement reads and changes the balance: what it returns is what it wrote. The commonest
     moves, a new animal's arrival and its departure, insert and delete the row. */
  MERGE INTO GERUNDO_ONSITE_TAG T USING RDB$DATABASE ON T.FULSZAM = :TAG
    WHEN MATCHED AND T.BALANCE + :STEP = 0 THEN DELETE
    WHEN MATCHED THEN UPDATE SET BALANCE = T.BALANCE + :STEP
    WHEN NOT MATCHED THEN INSERT (FULSZAM, BALANCE) VALUES (:TAG, :STEP)
    RETURNING OLD.BALANCE, NEW.BALANCE INTO :BEFORE_MOVE, :AFTER_MOVE;
  BEFORE_MOVE = COALESCE(BEFORE_MOVE, 0);
  AFTER_MOVE = COALESCE(AFTER_MOVE, 0);
  IF (BEFORE_MOVE <= 0 AND AFTER_MOVE > 0) THEN
    ANIMALS = 1;
  ELSE IF (BEFORE_MOVE > 0 AND AFTER_MOVE <= 0) THEN
    ANIMALS = -1;
  IF (ANIMALS = 0) THEN
    EXIT;
  /* This transaction's row of the count; a new one when it has none yet, or when the one it had
     was undone with a failed statement (the context outlives the undo). */
  PART = RDB$GET_CONTEXT('USER_TRANSACTION', 'GERUNDO_ONSITE_PART');
  IF (PART IS NOT NULL) THEN
  BEGIN
    UPDATE GERUNDO_ONSITE_COUNT SET ANIMALS = ANIMALS + :ANIMALS WHERE PART = :PART;
    FOUND = ROW_COUNT;
  END
  IF (FOUND = 0) THEN
  BEGIN
    PART = NEXT VALUE FOR GEN_GERUNDO_ONSITE_COUNT;
    INSERT INTO GERUNDO_ONSITE_COUNT (PART, ANIMALS) VALUES (:PART, :ANIMALS);
    DONE = RDB$SET_CONTEXT('USER_TRANSACTION', 'GERUNDO_ONSITE_PART', :PART);
    IF (MOD(PART, 4096) = 0) THEN
      EXECUTE PROCEDURE GERUNDO_ONSITE_COMPACT;
  END
END^

/* Every change of the live tables, by the program or any other: insert, delete, and an update
   that changes the ear tag (the old one loses the row, the new one gains it). */
CREATE TRIGGER BESZALL_ONSITE FOR BESZALL ACTIVE AFTER INSERT OR UPDATE OR DELETE POSITION 0 AS
BEGIN
  IF (DELETING OR (UPDATING AND OLD.BFULSZAM IS DISTINCT FROM NEW.BFULSZAM)) THEN
    EXECUTE PROCEDURE GERUNDO_ONSITE_MOVE (OLD.BFULSZAM, -1);
  IF (INSERTING OR (UPDATING AND OLD.BFULSZAM IS DISTINCT FROM NEW.BFULSZAM)) THEN
    EXECUTE PROCEDURE GERUNDO_ONSITE_MOVE (NEW.BFULSZAM, 1);
END^
CREATE TRIGGER KISZALL_ONSITE FOR KISZALL ACTIVE AFTER INSERT OR UPDATE OR DELETE POSITION 0 AS
BEGIN
  IF (DELETING OR (UPDATING AND OLD.KFULSZAM IS DISTINCT FROM NEW.KFULSZAM)) THEN
    EXECUTE PROCEDURE GERUNDO_ONSITE_MOVE (OLD.KFULSZAM, 1);
  IF (INSERTING OR (UPDATING AND OLD.KFULSZAM IS DISTINCT FROM NEW.KFULSZAM)) THEN
    EXECUTE PROCEDURE GERUNDO_ONSITE_MOVE (NEW.KFULSZAM, -1);
END^

/* A commit (a commit with retaining too) closes the transaction's row of the count: once committed
   it may be folded, so the transaction's later moves take a row of their own. */
CREATE TRIGGER GERUNDO_ONSITE_COMMIT ACTIVE ON TRANSACTION COMMIT POSITION 0 AS
  DECLARE DONE INTEGER;
BEGIN
  IF (RDB$GET_CONTEXT('USER_TRANSACTION', 'GERUNDO_ONSITE_PART') IS NOT NULL) THEN
    DONE = RDB$SET_CONTEXT('USER_TRANSACTION', 'GERUNDO_ONSITE_PART', NULL);
END^

/* Whoever alters or drops what keeps the count may write around it meanwhile: the count is then
   compared with the tables at the program's next start. */
CREATE TRIGGER GERUNDO_ONSITE_WATCH ACTIVE AFTER ALTER TRIGGER OR DROP TRIGGER OR ALTER PROCEDURE
  OR DROP PROCEDURE POSITION 0 AS
BEGIN
  IF (RDB$GET_CONTEXT('DDL_TRIGGER', 'OBJECT_NAME') IN ('BESZALL_ONSITE', 'KISZALL_ONSITE',
                                                        'GERUNDO_ONSITE_MOVE')) THEN
    UPDATE GERUNDO_ONSITE_STATE SET FLAG = 1 WHERE NAME = 'STALE';
END^
SET TERM ; ^

COMMIT;
