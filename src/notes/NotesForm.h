#pragma once
// The song notes window: a large plain-text window on the Notes box of the song editor. It
// copies the editor's text in, lets the user edit and search it, and copies it back while the
// editor's record is marked changed; the editor saves the song as usual. Its place and size are
// remembered for the rest of the run.
#include "notes/TextFind.h"
#include "platform/ui/Forms.h"

#include <QDialog>

class QPlainTextEdit;
class QPushButton;
class QToolButton;

namespace notes {

class NotesForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    NotesForm();

    QPlainTextEdit *txtNotes = nullptr;
    QPushButton *cmdExit = nullptr;
    QPushButton *cmdFindNext = nullptr;
    QPushButton *cmdFind = nullptr;
    QToolButton *ImageKeyboard = nullptr;
    TextFind finder;

    void Form_Load();
    void Form_Resize();
    void txtNotes_Change();
    void cmdFind_Click() { finder.cmdFind_Click(); }
    void cmdFindNext_Click() { finder.cmdFindNext_Click(); }
    void cmdExit_Click() { close(); }
    void ImageKeyboard_Click();

protected:
    void formUnload() override;
    void resizeEvent(QResizeEvent *e) override;
    void closeEvent(QCloseEvent *e) override;
    void reject() override; // Esc closes as Exit does, so the text is copied back

private:
    bool closing_ = false;
};

} // namespace notes
