#pragma once
// The music import: adds one tblContacts record for every music file of a folder tree, of one
// file, or of a whole mounted volume that is not catalogued yet, and counts those that are.
//
// The folder list comes from the breadth-first walk; each folder is read through the shell
// layer and written in one transaction of its own, so a cancelled or failing scan keeps what
// the folders before it stored. A catalogue that refuses writes (locked by another program,
// read-only, on a full or failing disk) stops the import at the first refused write: that
// folder is rolled back and an error box says how many new songs were not stored and why.
// Progress shows in ScanFolderForm (folder tree, one file) or
// ScanDriveForm (volume); the main window is hidden meanwhile and shows all songs afterwards,
// followed by the "Done" box with the counts and the elapsed time. A path is text, so a music
// file or folder whose name is not valid UTF-8 cannot be catalogued: the "Done" box says how
// many were passed over and names the first few.
//
// The tags of new files are read on worker threads (TagReadAhead) while this thread stores the
// files before them; storing, progress, Cancel and every count stay on this thread, in file order.
#include <QString>
#include <QStringList>
#include <QTime>
#include <QVariant>
#include <functional>

namespace import {

class ImportHost;

// The counts of one import.
struct ImportResult {
    long added = 0;      // records stored
    long present = 0;    // music files already in the catalogue
    long read = 0;       // folder items looked at
    long expected = 0;   // items expected from the plain directory listings (0 for a volume)
    bool cancelled = false;
    int elapsedSeconds = 0;
    long notAdded = 0;   // new music files not stored because the catalogue refused writes
    QString refusal;     // the message shown then ("" when the catalogue took every write)
    // Passed over because their names are not valid UTF-8, so no text path opens them again:
    // music files, folders (with all they hold), and the first few of both as the "Done" box
    // shows them (relative to the imported folder, the bad bytes as escapes).
    long undecodableFiles = 0;
    long undecodableFolders = 0;
    QStringList undecodableNames;
};

class MusicImport {
public:
    explicit MusicImport(ImportHost &host);

    // The step that lets the event loop run while input waits; core::yieldForInput by default.
    // The scan window's Cancel button reaches the import only through it.
    void setInputYield(std::function<void()> yield) { yield_ = std::move(yield); }
    // Whether the folder items show names without their extensions, so that the extension has
    // to come from the type text. This platform's folder items always show extensions.
    void setHideExtensions(bool hide) { hideExtensions_ = hide; }
    // How long a write waits for another program's lock on the catalogue before the import
    // gives up (Cancel ends the wait at once).
    void setLockWaitMs(int ms) { lockWaitMs_ = ms; }

    // Imports `Folder` (ending in "/") and every folder below it; with `FileName` only that
    // file of `Folder`; with `driveMode` the volume whose root is `Folder`. Callers clear
    // core::g().CancelScan first. Errors never leave it.
    ImportResult run(QString Folder, const QString &FileName, bool driveMode);

private:
    ImportHost &host_;
    std::function<void()> yield_;
    bool hideExtensions_ = false;
    int lockWaitMs_ = 5000;
};

// The main window's import procedure, for NameList::LoadMusicFiles.
ImportResult LoadMusicFiles(ImportHost &host, const QString &Folder, const QString &FileName,
                            bool driveMode = false);

// ---- the import's small rules ------------------------------------------------------------

// The extension of an item name when it is one the import takes (".mp3", ".m4a", ".wma",
// ".wav", ".aac", ".flac", ".ogg", ".mp4"), judged by its last four characters in lower case;
// "" otherwise.
QString acceptedExtension(const QString &itemName);

// The extension a file's type text stands for when names are shown without extensions; ""
// when the item is to be skipped. A "video" type is tried as ".m4a", ".ogg" and ".flac" in
// turn against the files of `folder`.
QString extensionFromTypeText(const QString &typeText, const QString &folder, const QString &itemName);

// The number a text starts with: blanks skipped anywhere, an optional sign, digits and at most
// one "."; 0 when it does not start with one ("96kbps" gives 96; "1,234" gives 1).
double leadingNumber(const QString &text);

// The stored bit rate as the import finishes it: Null becomes ""; a text whose leading number
// is below 99 gets a "0" in front ("96kbps" becomes "096kbps").
QString finishedBitRate(const QVariant &stored);

// Seconds since midnight, rounded to a whole second.
int secondsSinceMidnight(const QTime &time);
// end - start, plus a day when the import ran past midnight.
int elapsedSeconds(int start, int end);

// The text of the "Done" box; the paragraph on names that are not valid UTF-8 (below) follows
// the counts when it is not empty.
QString doneText(long added, long present, int seconds, const QString &undecodable = {});
// That paragraph: how many music files and folders were passed over for their names, and the
// first of them; "" when none was.
QString undecodableText(long files, long folders, const QStringList &firstNames);
// A name's bytes for showing: what is valid UTF-8 as its characters, every other byte (and
// every control character) as an escape such as "\xE9".
QString escapedName(const QByteArray &name);
// What the import says instead when the catalogue refused its writes: how many new songs were
// not stored and why, then the counts of the "Done" box.
QString refusedText(long notAdded, const QString &catalogue, const QString &reason, long added, long present);

} // namespace import
