#pragma once
// The picture window: one of the eight pictures of the song open in the song editor, fitted into
// a 4:3 display box. The user replaces it by a file or the clipboard's picture, steps to the
// song's other stored pictures, deletes it into the deleted-pictures folder, or saves: the
// window's closing stores the picture as a JPEG file in the pictures folder and writes its name
// into the editor's slot.
//
// The editor hands over the slot (core::g().CurrentPictureSlot), the picture's path or, to
// paste, the name to store it under (the main window's CMDialog1 FileName) and the paste flag
// (core::g().PastingImage). Controls are public members named as their objectName.
#include "pictures/PictureRules.h"
#include "platform/ui/Forms.h"

#include <QDialog>
#include <QImage>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace pictures {

class PictureForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit PictureForm(QWidget *parent = nullptr);

    QLabel *picResized = nullptr;
    QLabel *picOriginal = nullptr;
    QPushButton *cmdCancel = nullptr, *cmdClose = nullptr, *cmdLoadFile = nullptr, *cmdDelete = nullptr,
                *cmdClipboardPaste = nullptr, *cmdNext = nullptr, *cmdPrev = nullptr;

    // The picture shown came from the clipboard and is stored when the window closes.
    bool PictureChanged = false;
    // The size the picture is painted at in the display box (twips).
    long ResizedWidth = 0;
    long ResizedHeight = 0;

    // The opening. False when it failed: its message was shown and the window closed, having
    // changed nothing.
    bool Form_Load();

    void cmdCancel_Click();
    void cmdClose_Click();
    void cmdDelete_Click();
    void cmdClipboardPaste_Click();
    void cmdLoadFile_Click();
    void cmdNext_Click();
    void cmdPrev_Click();

    // The picture at its own size, and the display box's image (what closing stores).
    const QImage &original() const { return original_; }
    const QImage &boxImage() const { return box_; }
    const PictureLayout &layout() const { return layout_; }
    bool viewOnly() const { return viewOnly_; }

    // The screen the opening lays the window out for; tests set one (nullopt: the real one).
    static ScreenInfo screen();
    static void setScreenOverride(std::optional<ScreenInfo> screen);

    // The hand-over name and the editor's slot boxes (reached by name; nullptr when the editor
    // or the box is not there).
    static QString handOverName();
    static void setHandOverName(const QString &name);
    static QLineEdit *slotBox(int slot);

protected:
    // Closing stores the picture first (unless Cancel or Delete has the focus); a failed
    // store is reported and keeps the window open.
    void closeEvent(QCloseEvent *e) override;
    void keyPressEvent(QKeyEvent *e) override;

private:
    void applyLayout(bool clipboardHasPicture);
    // Clears the box and paints the picture at the fitted size.
    void fitAndPaint(double factor);
    void showBox();
    bool slotCounts(int slot) const;
    void moveToSlot(int slot);
    void showReadFailure(int number, const QString &description);
    // Who else names the picture file `name`: the other songs by name, and this song's other
    // slots (shown or stored) as "picture N of this song".
    QStringList otherUsers(const QString &name) const;
    // Throws the store's failure.
    void storeOnClosing();
    // False when the store failed (its message shown).
    bool closingStored();

    QImage original_;
    QImage box_;
    PictureLayout layout_;
    ScreenInfo screen_;
    bool viewOnly_ = false;
    bool openFailed_ = false;
    bool deleted_ = false;
};

// Registers the picture window's opener under songlist::OtherWindows::PictureForm (it runs the
// opening, sets the caption passed (when one is), and shows the window modally unless the
// opening closed it) and the main window's picture commands (MainWindowPictures).
void registerWindows();

} // namespace pictures
