#pragma once
// "Change Music Folder Names in Orvalis": replaces a text in the stored folder of every
// song and in the path of every play-list track, after the music moved on disk. It changes the
// catalogue only; no file or folder is moved or renamed. Modal; it closes after a completed
// change and on Cancel, and stays open after a refusal or a No.
#include "platform/ui/Forms.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace reports {

class frmChangeFilePath : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit frmChangeFilePath(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLabel *lblOrigPath = nullptr;
    QLineEdit *txtOrigPath = nullptr;
    QPushButton *cmdBrowseOrig = nullptr;
    QLabel *lblNewPath = nullptr;
    QLineEdit *txtNewPath = nullptr;
    QPushButton *cmdBrowseNew = nullptr;
    QLabel *Label2 = nullptr;
    QPushButton *OKButton = nullptr;
    QPushButton *CancelButton = nullptr;

    void cmdBrowseOrig_Click();
    void cmdBrowseNew_Click();
    void OKButton_Click();
    void CancelButton_Click();

    // The question before the change; T1 and T2 as typed.
    static QString question(const QString &T1, const QString &T2, long songs, long tracks);

private:
    void browse(QLineEdit *box, const QString &caption);
};

} // namespace reports
