#pragma once
// The editor's save: the checks of the song name, file name, folder and ID, the rename or move
// of the music file with the play-list tracks following, the write of the row and of a new
// song's category, then the window closing or the grid showing the saved song.
//
// Every check runs before anything is changed. The intended move is then recorded in the
// catalogue (core::PendingFileMoves) and committed, the file is moved, and the play-list
// tracks, the row, the rows of other songs following the file and the category row are written
// in one transaction that also clears the record; when that fails it is rolled back and the
// file moved back, so a refused or failed save changes nothing and the window keeps the user's
// edits. A process ended between the move and the commit is finished at the next start.
#include <QList>
#include <QString>
#include <functional>
#include <optional>

namespace editor {

class NameEdit;

class SaveCommand {
public:
    explicit SaveCommand(NameEdit &w) : w_(w) {}

    enum class Result { Written, Refused, Failed, Unchanged };

    // True when the record was written.
    bool cmdSave_Click(bool closeAfter) { return save(closeAfter) == Result::Written; }
    // The save with its outcome. `closeAfter` false is the record commands' road: the window
    // stays open whatever happens (nothing to write included) unless refreshing the grid after
    // a write failed, and the grid stands on the saved song.
    Result save(bool closeAfter);
    // The checks and the write up to the commit, without what the window does afterwards.
    Result checkAndWrite();

    // The ID test: another song (not the edited one) with this ID.
    static QString idQuerySql(bool leaveOutOwnRow);
    // Points the play-list tracks of the old path (second value) at the new one (first).
    static QString playListUpdateSql();
    // The songs other than the edited one (third value) stored with a folder (first) and file
    // name (second); the caller keeps only exact matches, letter case counting.
    static QString otherSongsSql();
    // The rename question's first line: "2 other songs use this file." ("1 other song uses").
    static QString otherSongsText(qsizetype count);
    // Run after the file has been moved and before the catalogue is written; tests set it to
    // stop the save there as a killed process would.
    static std::function<void()> &afterFileMovedHook();
    // The category number in the grid's category clause: the text after its first "=",
    // trimmed; "" when it has none.
    static QString categoryNumber(const QString &categoryClause);

private:
    struct Move {
        QString from, to;
        QList<qint64> others; // songs of the same file that follow it
    };
    enum class Outcome { Go, Refused };

    Outcome renameCheck(std::optional<Move> &move);
    Outcome folderAndFileCheck();
    Outcome idCheck();
    void writeAll(const std::optional<Move> &move);

    NameEdit &w_;
    // The stored file was missing, so the new name is saved without a rename on disk.
    QString missingFile_;
};

} // namespace editor
