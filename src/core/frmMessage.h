#pragma once
// A warning the user may silence: the text, OK, Cancel and "Don't show this message again".
// Each warning has its own key in the "Options" settings; "1" there means the warning is no
// longer shown and counts as confirmed. Cancel, Escape and the close box all count as Cancel.
#include "platform/ui/Forms.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QPushButton;

namespace core {

class frmMessage : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    static inline const QString FileNameWarningKey = QStringLiteral("Checkbox FileName Change Warning");
    static inline const QString PathNameWarningKey = QStringLiteral("Checkbox PathName Change Warning");

    explicit frmMessage(QWidget *parent = nullptr);

    QLabel *imgVBInformation = nullptr;
    QLabel *lblMessage = nullptr;
    QCheckBox *chkShowAgain = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    // Shows the warning of `Key` modally unless the user silenced it. True when the user
    // cancelled (Cancel, Escape or the close box); false after OK or when silenced. The window
    // is unloaded afterwards in every case.
    bool Display(const QString &Key);
    // Sets the warning text; the window grows downwards to fit it.
    void Message(const QString &Text);

    void cmdOK_Click();
    void cmdCancel_Click();

    bool Cancelled = false;

protected:
    void reject() override;

private:
    int labelHeight_ = 0;          // pixels: one line of text until Message grows it
    bool okPressed_ = false;
    QString Key_;
    bool *result_ = nullptr;       // Display's answer, kept outside the window that unloads
};

} // namespace core
