#pragma once
// File, folder and text procedures every subsystem uses. Paths use "/".
#include <QString>

namespace mCommon {

// True when `path` names an existing file (hidden and read-only ones included; a folder is not
// a file). When no such file exists and the last part of the path holds "*" or "?", that part
// is matched as a pattern against the files of its folder ("*.*" matches every file).
bool FileExists(const QString &path);

// True when a file, or a link to one, is at exactly this path. Unlike FileExists no pattern is
// matched: "*" and "?" are legal in a name here.
bool FileAt(const QString &path);

// True when any directory entry is at the path, a link to nothing included.
bool EntryExists(const QString &path);

// True when the folder exists; accepted with or without its trailing "/". "" is false.
bool FolderExists(QString folder);

// True when the name can be one entry of a folder on this system: not blank, not "." or ".."
// (blanks around them ignored), and holding neither "/" nor the NUL character. Every other
// character, "\", ":", "?" and "*" among them, is legal in a Linux file name.
bool IsValidFileName(QString name);

// True when both paths name one existing file (same device and inode), however they are spelt:
// another letter case on a case-blind mount, a linked folder, a second hard link. False when
// either is missing.
bool SameFile(const QString &a, const QString &b);

// True when both paths exist and name one directory entry: the same device and inode without
// following a final link. A linked folder on the way, a second hard link and another letter
// case on a case-blind mount are one entry; a file link and the file it points to are two.
// A rename may change the spelling of one entry but must never replace another.
bool SameEntry(const QString &a, const QString &b);

// True when the text holds a double quote or an apostrophe.
bool ContainsQuote(const QString &text);

// The text without leading and trailing blanks (blanks only, not other white space).
QString TrimBlanks(const QString &text);

// Position of the first `words` (case-blind) that stands outside a quoted literal of an SQL or
// criteria text, or -1. A literal is quoted with ' or ", and a doubled quote inside it stands for
// one quote character.
qsizetype FindOutsideQuotes(const QString &text, const QString &words);

// Appends "/" unless the path already ends in one; "" stays "".
void AddBackslash(QString &path);

// Deletes the file if it exists, read-only or not. Throws core::FileError when the delete fails.
void KillFile(const QString &path);

// The operating system's version as major and minor number with two decimals ("6.02").
QString GetWindowsVersion();
// The text GetWindowsVersion gives for a version: major + minor / 100 with two decimals.
QString FormatWindowsVersion(int major, int minor);

} // namespace mCommon
