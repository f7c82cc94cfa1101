#pragma once
// The commands that act on the catalogue as a whole: compact it, empty it, delete the songs the
// grid shows or the duplicate songs, and open another catalogue file.
//
// Compact, Delete all and Open Database replace the catalogue under the program: they close the
// main window (with a flag set so that its unload does not end the program), close Db and run
// the start-up again, which re-opens DatabasePath and shows a new main window. A failure once the
// main window has closed brings the program back on the catalogue that was open, so the user is
// never left without a window while a usable catalogue exists.
#include <QList>
#include <QString>
#include <QVariant>
#include <functional>

namespace songlist {
class NameList;
}

namespace reports {

class DatabaseUpkeep {
public:
    explicit DatabaseUpkeep(songlist::NameList &w) : w_(w) {}

    void OpenDatabase_Click();
    void mnuCompactDatabase_Click();
    void mnuDeleteAll_Click();
    void mnuDeleteDisplayed_Click();
    void mnuDeleteDuplicates_Click();
    void mnuDeleteDuplicatesAlbum_Click();

    // "Old file size: ... bytes" and "New file size: ... bytes" below a first line, the sizes
    // grouped in thousands as the user's locale writes them.
    static QString sizesMessage(const QString &firstLine, qint64 oldSize, qint64 newSize);

    // Compacts the closed catalogue at `path` into `path` + ".temp" and puts that copy in its
    // place; returns the new file's length. A failure leaves the catalogue as it was and removes
    // a copy this call made (a copy that was there before is left alone: the compaction refuses
    // to overwrite it).
    static qint64 compactInPlace(const QString &path);

    // The step that puts the compacted copy in the catalogue's place; tests replace it to make
    // it fail. Empty = the database layer's rename.
    using ReplaceStep = std::function<void(const QString &copy, const QString &target)>;
    static ReplaceStep &replaceStepHook();

    // The RecordIDs of the rows of the grid's recordset, in its order (none when nothing is bound).
    QList<QVariant> displayedRecordIds() const;

private:
    void deleteDuplicates(bool albums);
    // Compact and Delete all after their questions: closes the main window and Db, compacts,
    // reports the sizes under `title` and starts again.
    void compactAndRestart(const QString &progressCaption, const QString &title, const QString &firstLine,
                           bool emptyFirst);

    songlist::NameList &w_;
};

} // namespace reports
