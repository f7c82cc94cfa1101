#pragma once
// Shows a heading and a text that the caller fills in before showing the window.
#include "platform/ui/Forms.h"

#include <QDialog>

class QLabel;
class QPushButton;
class QScrollArea;

namespace core {

class frmHelp : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit frmHelp(QWidget *parent = nullptr);

    QLabel *lblHeading1 = nullptr;
    QLabel *lblBody1 = nullptr;
    QPushButton *OKButton = nullptr;
    QScrollArea *bodyArea = nullptr; // holds lblBody1

    void OKButton_Click();
};

} // namespace core
