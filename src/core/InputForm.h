#pragma once
// The one shared text prompt: a modal window with a prompt, a text box, OK and Cancel.
// Cancel and an empty answer look the same to ShowInputForm's callers: both give "".
#include "platform/ui/Forms.h"
#include "platform/ui/PromptService.h"

#include <QDialog>
#include <optional>

class QLabel;
class QLineEdit;
class QPushButton;

namespace core {

class InputForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit InputForm(QWidget *parent = nullptr);

    QLabel *lblMessage = nullptr;
    QLineEdit *txtInput = nullptr;
    QPushButton *cmdOK = nullptr;
    QPushButton *cmdCancel = nullptr;

    // Shows the typed text as stars.
    void setPassword(bool on);
    // True after Cancel (or Escape): the text box has been emptied.
    bool cancelled() const { return cancelled_; }

    void cmdOK_Click();
    void cmdCancel_Click();

protected:
    // Escape and the close box cancel: the typed text must not count as an answer.
    void reject() override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void txtInput_Click();
    bool cancelled_ = false;
};

// Asks one question with a fresh input window (loaded, shown modally, unloaded). nullopt when
// cancelled or closed. The Qt prompt service uses it for every input prompt.
std::optional<QString> askWithInputForm(const platform::ui::InputRequest &request);
// Makes the Qt prompt service ask for texts with the input window (done at start-up).
void installInputForm();

} // namespace core

namespace modMain {

// Asks for a text through the prompt service. The answer exactly as typed (not trimmed); ""
// after Cancel or when the window was closed.
QString ShowInputForm(const QString &Prompt, const QString &Title, const QString &Default = {},
                      bool Password = false);

} // namespace modMain
