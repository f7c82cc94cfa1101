#pragma once
// "Change FileName Path": replaces a text in the path of every track of every play
// list (the songs' own folders stay as they are). Opened from the play-list window, which is
// not reloaded afterwards. Modal; it closes after a completed change and on Cancel.
#include "platform/ui/Forms.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace reports {

class frmChangeFileNamePath : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit frmChangeFileNamePath(QWidget *parent = nullptr);

    QLabel *Label1 = nullptr;
    QLabel *lblOrigPath = nullptr;
    QLineEdit *txtOrig = nullptr;
    QLabel *lblNewPath = nullptr;
    QLineEdit *txtNew = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();
};

} // namespace reports
