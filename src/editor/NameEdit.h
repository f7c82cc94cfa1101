#pragma once
// The song editor: one song record with a control per field. It shows the main grid's current
// row (View/Edit) or a new song, blank or filled from the template song (Add), checks what the
// user types as the focus leaves a box, and asks before unsaved changes are lost.
//
// The window keeps no record of its own: what it shows lives in its controls, and the row it
// belongs to is the current row of the main window's data control. Controls are public members
// whose objectName is their member name; handlers are public Control_Event methods.
#include "platform/ui/Forms.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <optional>

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace platform::ui {
class LeaveChecks;
}

namespace editor {

class NameEdit : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit NameEdit(QWidget *parent = nullptr);
    ~NameEdit() override;

    // Designed client size (twips).
    static constexpr int DesignWidth = 12000;
    static constexpr int DesignHeight = 7700;

    // The genre list (148 names) and the rating list (6 items, the last a blank).
    static const QStringList &genreNames();
    static const QStringList &ratingItems();
    // The four record sources of the duplicate views, where nothing can be saved or added.
    static bool isDuplicateView(const QString &recordSource);
    // Marks the editable field labels (dark blue boxes), which keep their text on Add New.
    static constexpr const char *FieldLabelProperty = "fieldLabel";

    // ---- data controls, in the order their fields are shown ---------------------------------
    QLineEdit *txtSongName = nullptr, *txtID = nullptr, *txtBPM = nullptr, *txtArtist = nullptr;
    QComboBox *cmbGenre = nullptr;
    QLineEdit *txtAlbum = nullptr, *txtComposer = nullptr, *txtPathName = nullptr, *txtFileName = nullptr,
              *txtBitrate = nullptr, *txtDuration = nullptr, *txtTrackText = nullptr, *txtFileSize = nullptr;
    QComboBox *cmbRating = nullptr;
    QLineEdit *txtYear = nullptr, *txtPurchaseDate = nullptr, *txtDate2_Desc = nullptr, *txtDate2 = nullptr;
    QLineEdit *txtMiscField1_Desc = nullptr, *txtMiscField1 = nullptr, *txtMiscField2_Desc = nullptr,
              *txtMiscField2 = nullptr, *txtMiscField3_Desc = nullptr, *txtMiscField3 = nullptr;
    QLineEdit *txtCode = nullptr;
    QLabel *lblDateUpdated = nullptr;
    QLineEdit *txtPic1File = nullptr, *txtPic2File = nullptr, *txtPic3File = nullptr, *txtPic4File = nullptr,
              *txtPic5File = nullptr, *txtPic6File = nullptr, *txtPic7File = nullptr, *txtPic8File = nullptr;
    QPlainTextEdit *txtNotes = nullptr;
    QList<QLineEdit *> txtPicFile;  // txtPic1File .. txtPic8File

    // ---- other controls ----------------------------------------------------------------------
    QLabel *lblTodaysDate = nullptr;
    QLabel *lblNotesInstruction = nullptr;
    QCheckBox *ProperFlag = nullptr;
    QToolButton *ImageKeyboard = nullptr;
    QComboBox *cmbHeader = nullptr;
    QPushButton *cmdAddToPlaylist = nullptr;
    QLineEdit *txtSongAddedToPlaylist = nullptr;
    QPushButton *cmdSave = nullptr, *cmdCancel = nullptr, *cmdAddNew = nullptr, *cmdNext = nullptr,
                *cmdPrev = nullptr, *cmdDelete = nullptr, *cmdMakeDefault = nullptr, *cmdClearDefault = nullptr,
                *cmdCategories = nullptr, *cmdBrowseFile = nullptr, *cmdBrowsePath = nullptr,
                *cmdEditTags = nullptr, *cmdWebLookup = nullptr, *cmdPlay = nullptr;
    QList<QPushButton *> cmdPicture;  // cmdPicture1 .. cmdPicture8
    QMenu *mnuWebLookup = nullptr;
    QAction *mnuWebLookupLyrics = nullptr, *mnuWebLookupImages = nullptr, *mnuWebLookupCoverVersions = nullptr;
    QMenu *mnuFile = nullptr;
    QAction *mnuFilePasteImage = nullptr;

    // The window's leave and lost-focus checks.
    platform::ui::LeaveChecks &checks() { return *checks_; }

    // ---- the window's own state --------------------------------------------------------------
    // The Duration the shown record started with: the stored value a new record's checks compare
    // with and put back (a new record has no stored row of its own).
    QString StartDuration;
    QString StartPathName;
    // What showing a record put into a box, and the stored value it stands for. A box that still
    // holds that text is written back as the stored value, so a save changes nothing the user
    // did not touch (a date's seconds, the line ends and blanks of the notes).
    struct GivenValue {
        QString shown;
        QVariant stored;
        std::optional<QVariant> storedIfShown(const QString &now) const {
            return now == shown ? std::optional<QVariant>(stored) : std::nullopt;
        }
    };
    GivenValue GivenPurchaseDate, GivenDate2, GivenNotes;
    // A write reached the row (set by MoveFormToData, cleared when a duplicate ID refuses the
    // save); kept from one opening to the next.
    static inline bool RecordWritten = false;

    // ---- life --------------------------------------------------------------------------------
    // The tool tips of cmdAddToPlaylist and cmbHeader name the current play list.
    void showCurrentPlayList();

    // The load sequence; false when its error trap unloaded the window.
    bool Form_Load();
    // Copies the main grid's current row into the controls.
    void MoveDataToForm();
    // Remembers the values the checks of a new record compare with (after a record is shown).
    void rememberStartValues();
    // The stored value of a field for the checks: the grid's current row in View/Edit; for a
    // new record the start value of Duration and PathName, else empty.
    QString storedValue(const QString &field);
    // The close sequence; Cancel = true keeps the window open.
    void Form_Unload(bool &Cancel);
    // The notes as the catalogue keeps them: the stored text itself while the box still holds
    // what it was given, else the box's text with its paragraph ends as CR LF.
    QString notesText() const;
    // Puts a stored notes text into the box and remembers it for notesText().
    void showNotes(const QVariant &stored);

    // ---- save ----------------------------------------------------------------------------------
    // Writes the boxes into the catalogue row (no checks of its own).
    void MoveFormToData();
    // The save command. `closeAfter`: the Save button's own click closes the window after a
    // write; the record commands' calls leave it open on the saved song. True when written.
    bool cmdSave_Click(bool closeAfter = true);
    void cmdBrowseFile_Click();
    void cmdBrowsePath_Click();
    void cmdEditTags_Click();
    // The window's key preview. KeyCode / KeyAscii set to 0 swallow the key.
    void Form_KeyDown(int &KeyCode, int Shift);
    void Form_KeyPress(int &KeyAscii);
    void ImageKeyboard_Click();
    void cmdCancel_Click();
    // CB_SETDROPPEDWIDTH: the list of the combo box is at least Width pixels wide.
    static void SetComboDropDownWidth(QComboBox *Combo, int Width);

    // ---- record commands ---------------------------------------------------------------------
    void cmdAddNew_Click();
    void cmdNext_Click();
    void cmdPrev_Click();
    void cmdDelete_Click();
    void cmdMakeDefault_Click();
    void cmdClearDefault_Click();
    void cmdCategories_Click();

    // ---- picture slots (slot 1 to 8) ---------------------------------------------------------
    void cmdPicture_Click(int slot);
    void cmdPicture_MouseDown(int slot, int Button, const QPoint &pos);
    void mnuFilePasteImage_Click();
    bool GetFileName();

    // ---- field rules -------------------------------------------------------------------------
    void txtDuration_Validate(bool &Cancel);
    void txtFileName_Validate(bool &Cancel);
    void txtPathName_Validate(bool &Cancel);
    void txtBPM_Validate(bool &Cancel);
    // True when the focus is to go back into the box.
    bool txtPurchaseDate_LostFocus();
    bool txtDate2_LostFocus();
    void txtNameBox_KeyPress(QLineEdit *box, int &KeyAscii);
    void txtNotes_DblClick();
    void txtMiscField_DblClick(int index);

    // ---- web look-ups and play lists ---------------------------------------------------------
    void cmdWebLookup_Click();
    void cmdWebLookup_MouseDown(int Button, const QPoint &pos);
    void mnuWebLookupLyrics_Click();
    void mnuWebLookupImages_Click();
    void mnuWebLookupCoverVersions_Click();
    void cmbHeader_Click();
    void cmdPlay_Click();
    void cmdAddToPlaylist_Click();

    // Sets a box's text whole, even past its typing limit.
    static void setBoxText(QLineEdit *box, const QString &text);
    // The most characters typing and pasting may put into a box (0 = no limit).
    static int typingLimit(const QLineEdit *box);

protected:
    void closeEvent(QCloseEvent *e) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The controls, area by area, in the order they are made: the fields, the tool and button
    // rows, the picture slots; then the pop-up menus, the Tab order and the field checks.
    void buildControls();
    void buildFieldArea();
    void buildCommandArea();
    void buildPictureSlots();
    void buildMenus();
    void orderTabs();
    void wireFieldRules();
    void wireChanges();

    platform::ui::LeaveChecks *checks_ = nullptr;
};

} // namespace editor
