#pragma once
// The tag fields of a new song record, and the step that fills them from the folder's detail
// columns. The import driver, for each new tblContacts record, after it has set PathName,
// FileName, FileType, FileSize and FileSizeNum:
//
//     import::SongFields f = import::tagFieldsForNewSong(extension, fileType, winMajorVersion,
//                                                        folder + fileName, fileName,
//                                                        [&](int c) { return shell.getDetailsOf(item, c); });
//     for (const auto &[field, value] : f.values())
//         try { songs.setValue(field, value); } catch (...) {}   // a refused value leaves the field unset
//
// then applies its own bit-rate step, DateUpdated and Update. Every value is already cut to its
// field width, and the rules for an empty song name or artist are applied.
#include <QPair>
#include <QString>
#include <QVariant>
#include <QVector>
#include <functional>
#include <optional>

namespace import {

// Values for the tag fields of tblContacts. A field left empty (nullopt) is not set by the step
// and stays Null in the new record; an empty QString is stored as the empty text.
struct SongFields {
    std::optional<QString> SongName;
    std::optional<QString> Artist;
    std::optional<QString> AlbumName;
    std::optional<QString> Composer;
    std::optional<QString> Genre;
    std::optional<QString> Year;
    std::optional<QString> TrackText;
    std::optional<double> TrackNum;
    std::optional<QString> Duration;
    std::optional<QString> BPM;
    std::optional<QString> bitRate;
    std::optional<QString> Notes;

    // The fields that are set, as (field name, value) pairs for Recordset::setValue.
    QVector<QPair<QString, QVariant>> values() const;
};

// The text of one detail column of the current item (ShellFolder::getDetailsOf). It may throw:
// a column that cannot be delivered leaves its field unset and the next column is read.
using ColumnReader = std::function<QString(int column)>;

// The song fields from the detail columns: the table for Windows major version 5 and below
// (title 10, artist 16, album 17, genre 20, duration 21, year 18, comment 14, bit rate 22,
// track 19; no composer or BPM) or the one for 6 and above (title 21, artist 13, composer 220,
// album 14, genre 16, duration 27, year 15, comment 24, BPM 237 then 231, 219, 204, 243, 235,
// 227, bit rate 28, track 26). `fileName` is the record's FileName, the song name when the
// title is empty.
SongFields shellColumnFields(const ColumnReader &column, int winMajorVersion, const QString &fileName);

// Chooses the source of a new record's tag fields: Vorbis comments for the extensions ".flac"
// and ".ogg" (any version); the MP4 atoms for FileType "M4A" below version 6; the detail
// columns otherwise. `extension` is lower case with its dot, `fileType` the stored FileType,
// `filePath` the full path of the file.
SongFields tagFieldsForNewSong(const QString &extension, const QString &fileType, int winMajorVersion,
                               const QString &filePath, const QString &fileName, const ColumnReader &column);

// --- Text rules shared by the readers ---

// True when the text sorts at or below a single blank by character codes: the empty text,
// one blank, or a text starting with a control character.
bool atOrBelowBlank(const QString &text);
// The first n characters of a text, never splitting a surrogate pair.
QString firstChars(const QString &text, int n);
// Whether a text reads as a number: blanks around, an optional sign, digits with "," as
// thousands separator, an optional "." fraction and an optional exponent ("7", " 07 ",
// "1,234.5", "1e3"; not "", "3/12", "7a").
bool isNumeric(const QString &text);
// The number a numeric text stands for; nullopt when isNumeric() is false.
std::optional<double> numericValue(const QString &text);

} // namespace import
