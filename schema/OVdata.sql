-- The catalogue: tables, fields, indexes and the shipped saved query.
--
-- Run by the database layer when it creates a catalogue (the build makes the empty catalogue
-- that ships with the program from this file). The layer's own tables (saved queries, settings
-- of the file) exist before this script runs.
--
-- Conventions the layer relies on:
-- - Fields keep the order listed here; RecordID comes first.
-- - Counters are INTEGER PRIMARY KEY AUTOINCREMENT, so a deleted key is never handed out again.
-- - Declared types tell the layer how to convert values: INTEGER (Long), DOUBLE, DATETIME
--   (stored as text "yyyy-MM-dd HH:mm:ss"), TEXT.
-- - Text is compared case-blind (JETTEXT); the columns that hold file names and folders order
--   case-blind but compare exactly (JETPATH), since two files may differ only in case.
-- - An index is named "<table>__<IndexName>"; the layer shows it as <IndexName> on its table.
--   A table's counter is its "PrimaryKey" index. Only keys are unique.
-- - No foreign keys: deleting a song leaves its category links and play-list tracks.

CREATE TABLE tblContacts (
    RecordID        INTEGER PRIMARY KEY AUTOINCREMENT,
    SongName        TEXT COLLATE JETTEXT,
    Artist          TEXT COLLATE JETTEXT,
    AlbumName       TEXT COLLATE JETTEXT,
    Composer        TEXT COLLATE JETTEXT,
    Genre           TEXT COLLATE JETTEXT,
    Year            TEXT COLLATE JETTEXT,
    TrackText       TEXT COLLATE JETTEXT,
    TrackNum        INTEGER,
    Duration        TEXT COLLATE JETTEXT,
    BPM             TEXT COLLATE JETTEXT,
    bitRate         TEXT COLLATE JETTEXT,
    FileType        TEXT COLLATE JETTEXT,
    FileSize        TEXT COLLATE JETTEXT,
    FileSizeNum     DOUBLE,
    PathName        TEXT COLLATE JETPATH,
    FileName        TEXT COLLATE JETPATH,
    Rating          TEXT COLLATE JETTEXT,
    ID              TEXT COLLATE JETTEXT,
    Code            TEXT COLLATE JETTEXT,
    Notes           TEXT COLLATE JETTEXT,
    PurchaseDate    DATETIME,
    Date2           DATETIME,
    Date2_Desc      TEXT COLLATE JETTEXT,
    MiscField1      TEXT COLLATE JETTEXT,
    MiscField2      TEXT COLLATE JETTEXT,
    MiscField3      TEXT COLLATE JETTEXT,
    MiscField1_Desc TEXT COLLATE JETTEXT,
    MiscField2_Desc TEXT COLLATE JETTEXT,
    MiscField3_Desc TEXT COLLATE JETTEXT,
    PicturePath1    TEXT COLLATE JETTEXT,
    PicturePath2    TEXT COLLATE JETTEXT,
    PicturePath3    TEXT COLLATE JETTEXT,
    PicturePath4    TEXT COLLATE JETTEXT,
    PicturePath5    TEXT COLLATE JETTEXT,
    PicturePath6    TEXT COLLATE JETTEXT,
    PicturePath7    TEXT COLLATE JETTEXT,
    PicturePath8    TEXT COLLATE JETTEXT,
    Selected        TEXT COLLATE JETTEXT DEFAULT ' ',
    DateUpdated     DATETIME,
    Lyrics          TEXT COLLATE JETTEXT,
    Credits         TEXT COLLATE JETTEXT
);
CREATE INDEX tblContacts__PathFile     ON tblContacts (PathName, FileName);
CREATE INDEX tblContacts__SongName     ON tblContacts (SongName);
CREATE INDEX tblContacts__AlbumName    ON tblContacts (AlbumName);
CREATE INDEX tblContacts__Artist       ON tblContacts (Artist);
CREATE INDEX tblContacts__Bitrate      ON tblContacts (bitRate);
CREATE INDEX tblContacts__BPM          ON tblContacts (BPM);
CREATE INDEX tblContacts__Composer     ON tblContacts (Composer);
CREATE INDEX tblContacts__Date2        ON tblContacts (Date2);
CREATE INDEX tblContacts__DateUpdated  ON tblContacts (DateUpdated);
CREATE INDEX tblContacts__Duration     ON tblContacts (Duration);
CREATE INDEX tblContacts__FileName     ON tblContacts (FileName);
CREATE INDEX tblContacts__FileSizeNum  ON tblContacts (FileSizeNum);
CREATE INDEX tblContacts__Genre        ON tblContacts (Genre);
CREATE INDEX tblContacts__ID           ON tblContacts (ID);
CREATE INDEX tblContacts__MiscField1   ON tblContacts (MiscField1);
CREATE INDEX tblContacts__MiscField2   ON tblContacts (MiscField2);
CREATE INDEX tblContacts__MiscField3   ON tblContacts (MiscField3);
CREATE INDEX tblContacts__PathName     ON tblContacts (PathName);
CREATE INDEX tblContacts__PurchaseDate ON tblContacts (PurchaseDate);
CREATE INDEX tblContacts__Rating       ON tblContacts (Rating);
CREATE INDEX tblContacts__TrackNum     ON tblContacts (TrackNum);
CREATE INDEX tblContacts__FileType     ON tblContacts (FileType);
CREATE INDEX tblContacts__Code         ON tblContacts (Code);
CREATE INDEX tblContacts__Year         ON tblContacts (Year);
-- The grid's sorts on text fields, each covered whole, so that a sort reads its rows in order
-- from the index instead of sorting every song (the single-field indexes above leave the ties
-- to a sort). They lack the "__", so the layer does not show them among the table's indexes.
-- A catalogue made without them gets them at its next compaction.
CREATE INDEX tblContacts_SortAlbum    ON tblContacts (AlbumName, TrackNum);
CREATE INDEX tblContacts_SortArtist   ON tblContacts (Artist, SongName);
CREATE INDEX tblContacts_SortComposer ON tblContacts (Composer, SongName);
CREATE INDEX tblContacts_SortGenre    ON tblContacts (Genre, Artist, SongName);
CREATE INDEX tblContacts_SortRating   ON tblContacts (Rating, SongName);
CREATE INDEX tblContacts_SortSong     ON tblContacts (SongName, Artist);
CREATE INDEX tblContacts_SortYear     ON tblContacts (Year, Artist, SongName);

CREATE TABLE tblSettings (
    Type     TEXT COLLATE JETTEXT,
    Name     TEXT COLLATE JETTEXT,
    Setting1 TEXT COLLATE JETTEXT,
    Setting8 TEXT COLLATE JETTEXT
);

CREATE TABLE tblCategoryDesc (
    CategoryNumber INTEGER PRIMARY KEY AUTOINCREMENT,
    CategoryDesc   TEXT COLLATE JETTEXT
);

CREATE TABLE tblCategoryID (
    ID             INTEGER,
    CategoryNumber INTEGER
);
CREATE UNIQUE INDEX tblCategoryID__PrimaryKey ON tblCategoryID (ID, CategoryNumber);
-- The songs of one category, from its own links: the category view starts from them instead of
-- walking a sort index over every song. Not shown among the table's indexes; a catalogue made
-- without it gets it at its next compaction.
CREATE INDEX tblCategoryID_Category ON tblCategoryID (CategoryNumber, ID);

CREATE TABLE tblPlayListHeader (
    ListID      INTEGER PRIMARY KEY AUTOINCREMENT,
    ListName    TEXT COLLATE JETTEXT,
    Notes       TEXT COLLATE JETTEXT,
    LastUpdated DATETIME
);

CREATE TABLE tblPlayListDetail (
    ListID          INTEGER,
    ListTrackID     INTEGER,
    SongTitle       TEXT COLLATE JETTEXT,
    ArtistName      TEXT COLLATE JETTEXT,
    AlbumName       TEXT COLLATE JETTEXT,
    Track           TEXT COLLATE JETTEXT,
    FileName        TEXT COLLATE JETPATH,
    Duration        TEXT COLLATE JETTEXT,
    Year            TEXT COLLATE JETTEXT,
    Rating          TEXT COLLATE JETTEXT,
    ContactRecordID INTEGER DEFAULT 0,
    Notes           TEXT COLLATE JETTEXT,
    LastUpdated     DATETIME
);
CREATE INDEX tblPlayListDetail__ListID ON tblPlayListDetail (ListID, ListTrackID);

CREATE TABLE tblOrphanFileNames (
    RecordIdOrphan INTEGER
);

-- The grid's source while one category is shown: one row per link of a song to a category.
INSERT INTO orv_queries (Name, SQL) VALUES ('qryContacts',
    'SELECT tblContacts.*, tblCategoryID.CategoryNumber FROM tblContacts INNER JOIN tblCategoryID ON tblContacts.RecordID = tblCategoryID.ID');
