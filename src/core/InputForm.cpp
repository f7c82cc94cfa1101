#include "core/InputForm.h"

#include "core/AppState.h"
#include "platform/ui/OnScreenKeyboard.h"
#include "platform/ui/QtPrompts.h"

#include <QFont>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

namespace core {

using namespace platform::ui;

InputForm::InputForm(QWidget *parent) : Form<QDialog>(parent) {
    setClientSizeTwips(this, 6300, 3660);
    const QFont arial(QStringLiteral("Arial"), 8);

    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(lblMessage, 564, 180, 5160, 2004);

    txtInput = new QLineEdit(this);
    txtInput->setObjectName(QStringLiteral("txtInput"));
    placeTwips(txtInput, 540, 2340, 5220, 360);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    placeTwips(cmdOK, 2040, 2892, 930, 330);

    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    placeTwips(cmdCancel, 3324, 2892, 915, 330);

    for (QWidget *c : {static_cast<QWidget *>(lblMessage), static_cast<QWidget *>(txtInput),
                       static_cast<QWidget *>(cmdOK), static_cast<QWidget *>(cmdCancel)})
        c->setFont(arial);
    // Enter in the text box is the one road to OK; no button is the dialog's default.
    cmdOK->setAutoDefault(false);
    cmdCancel->setAutoDefault(false);
    setTabOrder(txtInput, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    txtInput->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
    connect(txtInput, &QLineEdit::returnPressed, this, [this] { cmdOK_Click(); });
    txtInput->installEventFilter(this);

    // Load: centred on the screen, near the top in tablet mode, in the screen font.
    centreOnScreen(this);
    if (g().TabletModeOn)
        setTopTwips(this, 1000);
    applyScreenFont(this, g().ScreenFontName);
}

void InputForm::setPassword(bool on) {
    txtInput->setEchoMode(on ? QLineEdit::Password : QLineEdit::Normal);
    txtInput->setStyleSheet(on ? QStringLiteral("lineedit-password-character: 42;") : QString());
}

void InputForm::cmdOK_Click() {
    cancelled_ = false;
    hide();
}

void InputForm::cmdCancel_Click() {
    txtInput->clear();
    cancelled_ = true;
    hide();
}

void InputForm::reject() {
    cmdCancel_Click();
    QDialog::reject();
}

void InputForm::txtInput_Click() {
    if (g().TabletModeOn)
        startOnScreenKeyboard();
}

bool InputForm::eventFilter(QObject *watched, QEvent *event) {
    if (watched == txtInput && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        try {
            txtInput_Click();
        } catch (...) {
        }
    }
    return Form<QDialog>::eventFilter(watched, event);
}

std::optional<QString> askWithInputForm(const InputRequest &request) {
    // A window left over from an earlier question must not lend its text or mask.
    unloadForm(formName<InputForm>());
    InputForm *f = form<InputForm>();
    f->lblMessage->setText(platform::ui::displayText(request.prompt));
    f->setWindowTitle(request.title);
    if (!request.defaultText.isEmpty())
        f->txtInput->setText(request.defaultText);
    if (request.masked)
        f->setPassword(true);
    if (request.inputFont)
        f->txtInput->setFont(*request.inputFont);
    QPointer<InputForm> guard(f);
    showModal(f);
    std::optional<QString> answer;
    // Closed by its close box, the window is already unloaded: that counts as Cancel.
    if (guard && isLoaded(guard.data()) && !guard->cancelled())
        answer = guard->txtInput->text();
    if (guard)
        unloadForm(guard.data());
    return answer;
}

void installInputForm() { QtPrompts::setInputWindow(&askWithInputForm); }

namespace {
// Every input prompt of the Qt prompt service uses the input window, also where a caller asks
// the service directly.
const bool inputFormInstalled = (installInputForm(), true);
} // namespace

} // namespace core

namespace modMain {

QString ShowInputForm(const QString &Prompt, const QString &Title, const QString &Default, bool Password) {
    core::installInputForm();
    platform::ui::InputRequest r;
    r.prompt = Prompt;
    r.title = Title;
    r.defaultText = Default;
    r.masked = Password;
    return platform::ui::prompts().input(r).value_or(QString());
}

} // namespace modMain
