#pragma once
// The editor's save: the checks of the song name, file name, folder and ID, the rename or move
// of the music file with the play-list tracks following, the write of the row and of a new
// song's category, then the window closing or the grid showing the saved song.
//
// Every check runs before anything is changed. The file is then moved, and the play-list
// tracks, the row and the category row are written in one transaction; when that fails it is
// rolled back and the file moved back, so a refused or failed save changes nothing and the
// window keeps the user's edits.
#include <QString>
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
    // The category number in the grid's category clause: the text after its first "=",
    // trimmed; "" when it has none.
    static QString categoryNumber(const QString &categoryClause);

private:
    struct Move {
        QString from, to;
    };
    enum class Outcome { Go, Refused };

    Outcome renameCheck(std::optional<Move> &move);
    Outcome folderAndFileCheck();
    Outcome idCheck();
    void writeAll(const std::optional<Move> &move);

    NameEdit &w_;
};

} // namespace editor
