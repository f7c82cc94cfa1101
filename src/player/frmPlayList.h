#pragma once
// The play-list window: pick a play list, see its tracks in their stored order, reorder them by
// dragging, add the main grid's song, and reach the list and track commands of the menus.
// One instance, shown modally (platform::ui::form<frmPlayList>()); other windows reload it
// through LoadHeaderCombo and LoadDetailListbox after they change lists or tracks.
//
// The track list shows one line per track (item data, Qt::UserRole = ListTrackID) and then
// one blank line (item data 0): the drop target after the last track.
#include "platform/ui/Forms.h"

#include <QDialog>

class QAction;
class QComboBox;
class QLabel;
class QMenu;
class QMenuBar;
class QPushButton;
class QListWidget;

namespace platform::ui {
class DragListWidget;
}

namespace player {

class frmPlayList : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit frmPlayList(QWidget *parent = nullptr);
    ~frmPlayList() override;

    static constexpr int TrackData = Qt::UserRole;  // a line's ListTrackID
    static constexpr int MaxLines = 32000;          // loading stops once the list holds more

    // ---- controls ----------------------------------------------------------------------
    QComboBox *cmbHeader = nullptr;
    platform::ui::DragListWidget *lbDetail = nullptr;
    QLabel *lblNumSongs = nullptr;
    QLabel *lblSongTitle = nullptr;
    QLabel *lblMsg = nullptr;
    QLabel *lblInstructions = nullptr;
    QLabel *Label3 = nullptr;
    QLabel *Label2 = nullptr;
    QLabel *Label1 = nullptr;
    QPushButton *cmdAddHeader = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdPlay = nullptr;
    QPushButton *cmdPlay1 = nullptr;
    QPushButton *cmdHelpPlayList = nullptr;
    QPushButton *cmdClose = nullptr;

    QMenuBar *menuBar = nullptr;
    QMenu *mnuFile = nullptr;
    QAction *mnuFileCopyMusic = nullptr;
    QAction *mnuFileMakePlayListFile = nullptr;
    QAction *mnuFileDisplayOnly = nullptr;
    QAction *mnuFilePopulate = nullptr;
    QAction *mnuFileClose = nullptr;
    QMenu *mnuEdit = nullptr;
    QAction *mnuAddAllSongs = nullptr;
    QAction *mnuEditAddSong = nullptr;
    QAction *mnuEditChangeFileNamePath = nullptr;
    QAction *mnuEditDeleteSong = nullptr;
    QAction *mnuEditEditSong = nullptr;
    QAction *mnuEditSeparator1 = nullptr;
    QAction *mnuEditDelete = nullptr;
    QAction *mnuEditPlayList = nullptr;
    QMenu *mnuReports = nullptr;
    QAction *mnuReportsDetail = nullptr;
    QAction *mnuReportsDetailWithFilenames = nullptr;
    QAction *mnuHelp = nullptr;

    // A drag has moved over the track list since it last got the focus: its order is saved
    // when it loses the focus, when the window unloads first, and before any command that
    // reloads or reads the stored tracks (a key such as Delete leaves the focus where it is).
    bool DragOrderChanged = false;

    // ---- public procedures -------------------------------------------------------------
    static void SetDropDownHeight(QComboBox *Combo, int Rows);
    void ReOrderTracksAfterDrag();
    void LoadDetailListbox();
    void LoadHeaderCombo();

    // ---- handlers ----------------------------------------------------------------------
    void Form_Activate();
    void cmbHeader_Click();
    // Selects the entry reading `name` (as setting the combo's text does) and runs the
    // selection handling when one is found. False when no entry reads so.
    bool selectList(const QString &name);
    void lbDetail_Click();
    void lbDetail_DblClick();
    void lbDetail_KeyDown(int KeyCode);
    void lbDetail_GotFocus();
    void lbDetail_LostFocus();
    void lbDetail_MouseUp(int Button, const QPoint &pos);
    void cmdAddHeader_Click();
    void cmdOK_Click();
    // Play the chosen list: whole in the player, or one track at a time from the selected one.
    void cmdPlay_Click();
    void cmdPlay1_Click();
    void cmdClose_Click();
    void cmdHelpPlayList_Click();
    void mnuHelp_Click();

    // The Edit and File menus.
    void mnuAddAllSongs_Click();
    void mnuEditAddSong_Click();
    void mnuEditChangeFileNamePath_Click();
    void mnuEditDeleteSong_Click();
    void mnuEditEditSong_Click();
    void mnuEditDelete_Click();
    void mnuEditPlayList_Click();
    void mnuFileClose_Click();
    // The File and Reports menus' commands that reach outside the window: files, copies, the
    // main grid's view of the list and its reports.
    void mnuFileCopyMusic_Click();
    void mnuFileMakePlayListFile_Click();
    void mnuFileDisplayOnly_Click();
    void mnuFilePopulate_Click();
    void mnuReportsDetail_Click();
    void mnuReportsDetailWithFilenames_Click();

    // Moves the selected line to `NewIndex` (above the line there; the blank line takes it to
    // the end). Nothing happens for a negative index or when no line is selected.
    static void MoveListItem(QListWidget *List, int NewIndex);

    // The key of the chosen list (0 when none is chosen).
    long chosenListId() const;
    // The help text of the window (paragraphs joined by two line breaks).
    static QString helpText();
    // The refusal of Add All when the list, holding `held` tracks, cannot take `adding` more.
    static QString limitText(long held, long adding);
    // The count query of the main grid's displayed songs for a record source, or "" when it
    // cannot be formed (no "Order By" or "From" outside quoted literals).
    static QString countSql(const QString &recordSource);

protected:
    void formUnload() override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *e) override;

private:
    void buildControls();
    void load();
    void setTrackCommands(bool enabled);
    // The last track line selected (index count - 2).
    void selectLastTrack();
    bool mainGridHasRecords() const;
    void reduceEditMenu(bool reduced);
    // Saves the order a drag left on screen, if one is pending, so that a reload shows it.
    void savePendingDrag();

    bool loading_ = false;
    bool unloading_ = false;
    bool inClick_ = false;
};

} // namespace player
