#pragma once
// Chooses the screen font: the font name every control of every window is given. The main
// window takes it at once; the other windows when they are next loaded.
#include "platform/ui/Forms.h"

#include <QDialog>

class QComboBox;
class QPushButton;

namespace core {

class frmFontForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit frmFontForm(QWidget *parent = nullptr);

    QComboBox *cmbFonts = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
};

// Gives the main window's controls the font at size 8, and its selected-songs button the
// font "Small Fonts" at size 6. Nothing happens when the main window is not loaded.
void applyFontToMainWindow(const QString &fontName);

} // namespace core
