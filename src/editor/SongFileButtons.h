#pragma once
// The buttons beside the folder and file-name boxes: Rename (or Browse for a music file),
// Move (pick a folder) and Edit tags (the folder in the file manager). They only fill the
// boxes; the file itself is renamed or moved by the next save.
#include <QString>

namespace editor {

class NameEdit;

class SongFileButtons {
public:
    explicit SongFileButtons(NameEdit &w) : w_(w) {}

    void cmdBrowseFile_Click();
    void cmdBrowsePath_Click();
    void cmdEditTags_Click();

    // The new file name for an answer to the rename prompt: the current name's extension (its
    // tail from the last ".") is appended unless the answer already ends in it, letter case
    // aside. A current name without "." gives the answer as it stands.
    static QString renamedFileName(const QString &answer, const QString &currentName);

    static const QString &musicFilter();

private:
    NameEdit &w_;
};

} // namespace editor
