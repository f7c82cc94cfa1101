#pragma once
// Changes the folder in which the program looks for its catalogue at the next start.
#include "platform/ui/Forms.h"

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

namespace core {

class frmDatabaseLocation : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit frmDatabaseLocation(QWidget *parent = nullptr);

    QLabel *lblSavedLocation = nullptr;
    QLineEdit *txtPathName = nullptr;
    QPushButton *cmdBrowsePath = nullptr;
    QPushButton *cmdSave = nullptr;
    QPushButton *cmdCancel = nullptr;
    QLabel *lblCaution = nullptr;

    void cmdBrowsePath_Click();
    void cmdSave_Click();
    void cmdCancel_Click();
};

} // namespace core
