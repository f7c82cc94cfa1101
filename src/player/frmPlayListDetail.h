#pragma once
// The track dialog of the play-list window: adds a track for a music file the catalogue does not
// hold, or edits the selected track. The opener sets DetailAddMode or DetailEditMode while it
// shows the dialog; the dialog turns the mode into its caption at load and acts on the caption.
#include "platform/ui/Forms.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace platform::ui {
class LeaveChecks;
}

namespace player {

class frmPlayList;

class frmPlayListDetail : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit frmPlayListDetail(QWidget *parent = nullptr);

    static constexpr const char *AddCaption = "Add a new song title that is not in database to this Play List";
    static constexpr const char *EditCaption = "Edit an existing song";
    static constexpr const char *NotesSuffix = "  *added manually, when song was not cataloged in database*";

    QLabel *lblSongName = nullptr;
    QLabel *lblArtistName = nullptr;
    QLabel *lblFileName = nullptr;
    QLabel *lblNotes = nullptr;
    QLineEdit *txtSongName = nullptr;
    QLineEdit *txtArtistName = nullptr;
    QLineEdit *txtFileName = nullptr;
    QLineEdit *txtNotes = nullptr;
    QPushButton *cmdBrowse = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    void LoadDetail();
    void cmdOK_Click();
    void cmdCancel_Click();
    void cmdBrowse_Click();
    // The warning on leaving the file name box; never keeps the focus.
    bool txtFileName_Validate();

private:
    frmPlayList *owner() const;
    // Reloads the track list, selects the saved track's line and closes.
    void finish(long trackId);

    platform::ui::LeaveChecks *checks_ = nullptr;
};

} // namespace player
