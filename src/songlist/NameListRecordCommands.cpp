// The main window's record commands, the openers of other windows, the reports and upkeep
// commands and the music import, each forwarded to the class or window that does the work.
#include "songlist/NameList.h"

#include "import/ImportCommands.h"
#include "import/ImportHost.h"
#include "import/MusicImport.h"
#include "songlist/OtherWindows.h"
#include "songlist/RecordCommands.h"
#include "songlist/ShowCategoryAssign.h"

#include <QLineEdit>

namespace songlist {

// ============================================================================ record commands

void NameList::cmdAdd_Click() { RecordCommands(*this).cmdAdd_Click(); }
void NameList::AddMenu_Click() { cmdAdd_Click(); }
void NameList::cmdEdit_Click() { RecordCommands(*this).cmdEdit_Click(); }
void NameList::EditViewMenu_Click() { cmdEdit_Click(); }
void NameList::cmdDelete_Click() { RecordCommands(*this).cmdDelete_Click(); }
void NameList::mnuPopupDelete_Click() { cmdDelete_Click(); }

void NameList::cmdPlay_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::PlayCurrentSong)); }
void NameList::mnuPlayCurrentSong_Click() { cmdPlay_Click(); }
void NameList::mnuPopupPlay_Click() { cmdPlay_Click(); }
void NameList::mnuPopupAddToPlaylist_Click() {
    OtherWindows::open(QString::fromLatin1(OtherWindows::PopupAddToPlaylist));
}
void NameList::cmdPlayAll_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::PlayAllSongs)); }
void NameList::mnuPlayAllSongs_Click() { cmdPlayAll_Click(); }
void NameList::mnuPlayFolder_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::PlayFolder)); }
void NameList::mnuPlayFolderAndSubfolders_Click() {
    OtherWindows::open(QString::fromLatin1(OtherWindows::PlayFolderAndSubfolders));
}
void NameList::mnuFileCopy_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::CopyDisplayedFiles)); }
void NameList::mnuPopupCopyFile_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::CopyCurrentFile)); }
void NameList::DisplayRecCntMenu_Click() { RecordCommands(*this).DisplayRecCntMenu_Click(); }
void NameList::cmdCount_Click() { DisplayRecCntMenu_Click(); }

// ============================================================================ openers of other windows

void NameList::Category_Click() {
    OtherWindows::open(QString::fromLatin1(OtherWindows::CategoryForm));
    txtLocate->setFocus();
}
void NameList::cmdCategory_Click() { Category_Click(); }
void NameList::SelectionCriteria_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::CriteriaForm)); }
void NameList::cmdFilter_Click() { SelectionCriteria_Click(); }
void NameList::AssignCatgMenu_Click() {
    if (recordCount() > 0)
        modMain::ShowCategoryAssign();
}
void NameList::cmdAssignCatg_Click() { modMain::ShowCategoryAssign(); }
void NameList::mnuPopupAssignToCategory_Click() { modMain::ShowCategoryAssign(); }
void NameList::AssignAllToCatg_Click() {
    if (recordCount() > 0)
        OtherWindows::open(QString::fromLatin1(OtherWindows::CatgAssignAll));
}
void NameList::RemoveAllFromCatg_Click() { AssignAllToCatg_Click(); }
void NameList::cmdNotes_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::MemoForm)); }
void NameList::cmdPlayList_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::frmPlayList)); }
void NameList::mnuChangePaths_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::frmChangeFilePath)); }
void NameList::mnuReplace_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::frmReplace)); }
void NameList::mnuFindInvalidFilenames_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::mnuFindInvalidFilenames)); }
void NameList::OphanedPictures_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::OphanedPictures)); }

// ============================================================================ reports

void NameList::mnuArtistRpt_Click() {
    if (recordCount() >= 1)
        OtherWindows::open(QString::fromLatin1(OtherWindows::ShowListReport), QStringLiteral("Artist"));
}
void NameList::mnuSongRpt_Click() {
    if (recordCount() >= 1)
        OtherWindows::open(QString::fromLatin1(OtherWindows::ShowListReport), QStringLiteral("Song"));
}
void NameList::mnuPathRpt_Click() {
    if (recordCount() >= 1)
        OtherWindows::open(QString::fromLatin1(OtherWindows::ShowListReport), QStringLiteral("Path"));
}
void NameList::StatisticsReport_Click() {}
void NameList::OpenDatabase_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::OpenDatabase)); }
void NameList::mnuCompactDatabase_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::CompactDatabase)); }
void NameList::mnuDeleteAll_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::DeleteAll)); }
void NameList::mnuDeleteDisplayed_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::DeleteDisplayed)); }
void NameList::mnuDeleteDuplicates_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::DeleteDuplicates)); }
void NameList::mnuDeleteDuplicatesAlbum_Click() {
    OtherWindows::open(QString::fromLatin1(OtherWindows::DeleteDuplicatesAlbum));
}
void NameList::mnuRptLinesPerPage_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::mnuRptLinesPerPage)); }
void NameList::Export_Click() {
    if (recordCount() >= 1)
        OtherWindows::open(QString::fromLatin1(OtherWindows::ExportToCsv), QStringLiteral("False"));
}
void NameList::ExportWithNotes_Click() {
    if (recordCount() >= 1)
        OtherWindows::open(QString::fromLatin1(OtherWindows::ExportToCsv), QStringLiteral("True"));
}

// ============================================================================ music import

namespace {

// The main window as the import and its commands see it.
class ImportHostOf : public import::ImportHost {
public:
    explicit ImportHostOf(NameList &w) : w_(w) {}
    QWidget *window() const override { return &w_; }
    void setWindowVisible(bool visible) override { w_.setVisible(visible); }
    void showAllSongs() override { w_.ShowAllMenu_Click(); }
    void showCurrentArtistButton() override {
        if (w_.recordCount() > 0)
            w_.showArtistButton(w_.currentText(QStringLiteral("Artist")));
    }
    void focusGrid() override {
        if (w_.Table1->isVisible() && w_.Table1->isEnabled())
            w_.Table1->setFocus();
    }
    void loadMusicFiles(const QString &folder, const QString &fileName, bool driveMode) override {
        w_.LoadMusicFiles(folder, fileName, driveMode);
    }

private:
    NameList &w_;
};

} // namespace

void NameList::LoadMusicFiles(const QString &Folder, const QString &FileName, bool driveMode) {
    ImportHostOf host(*this);
    import::LoadMusicFiles(host, Folder, FileName, driveMode);
}

void NameList::AddMusicFolder_Click() {
    ImportHostOf host(*this);
    import::AddFolderCommand(host);
}

void NameList::AddOneMusicFile_Click() {
    ImportHostOf host(*this);
    import::AddFileCommand(host);
}

void NameList::ScanFiles_Click() {
    ImportHostOf host(*this);
    import::ScanFilesCommand(host);
}

} // namespace songlist
