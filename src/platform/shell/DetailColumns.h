#pragma once
// The detail columns a folder reports for its items, and how their texts are formatted.
//
// Column numbers follow the two tables the import knows: one for Windows major version 5 and
// below, one for 6 and above (the version is a parameter, usually core::g().WinMajorVersion).
// Both tables number name 0, size 1, type 2 and attributes 6.
//
//   detail      version <= 5   version >= 6
//   Name             0              0
//   Size             1              1
//   Type             2              2
//   Attributes       6              6
//   Title           10             21
//   Artist          16             13
//   Album           17             14
//   Year            18             15
//   Track           19             26
//   Genre           20             16
//   Duration        21             27
//   BitRate         22             28
//   Comment         14             24
//   Composer         -            220
//   BPM              -            237 (231, 219, 204, 243, 235 and 227 stay empty)
#include <QString>
#include <QtGlobal>

namespace platform::shell {

enum class Detail {
    None, // a column this layer does not fill: its text is empty
    Name,
    Size,
    Type,
    Attributes,
    Title,
    Artist,
    Composer,
    Album,
    Genre,
    Year,
    Comment,
    Track,
    Duration,
    BitRate,
    BPM
};

// What a column number shows under the given Windows major version.
Detail detailOfColumn(int column, int winMajorVersion);
// The column number of a detail under the given version; -1 when that table has none.
int columnOfDetail(Detail detail, int winMajorVersion);
// True for the details that come from the file's tags or audio properties (reading them opens
// the file); false for name, size, type and attributes, which come from the directory entry.
bool isTagDetail(Detail detail);

// File size as the size column shows it: "N bytes" below 1024 bytes; otherwise three
// significant digits, cut (not rounded), in KB, MB or GB of 1024, with "." as decimal point
// ("1.00 KB", "845 KB", "0.97 MB", "4.52 MB", "45.2 MB", "1.02 GB"). A unit is used up to
// 1000 of it, then the next one takes over. The duplicate key of the catalogue holds this text,
// so it must never depend on the locale.
QString sizeText(qint64 bytes);
// Playing time as "hh:mm:ss", always 8 characters (hours are held at 99:59:59). Negative
// seconds give the empty text.
QString durationText(qint64 seconds);
// Bit rate in kbit/s as "128kbps"; 0 or less gives the empty text.
QString bitRateText(int kbps);

} // namespace platform::shell
