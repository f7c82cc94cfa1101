#include "core/frmMessage.h"

#include "core/AppState.h"
#include "core/RegistryOptions.h"
#include "platform/settings/Options.h"
#include "platform/ui/PromptService.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QStyle>

namespace core {

using namespace platform::ui;
namespace settings = platform::settings;

frmMessage::frmMessage(QWidget *parent) : Form<QDialog>(parent) {
    setClientSizeTwips(this, 6090, 1440);

    imgVBInformation = new QLabel(this);
    imgVBInformation->setObjectName(QStringLiteral("imgVBInformation"));
    placeTwips(imgVBInformation, 120, 120, 480, 480);
    imgVBInformation->setPixmap(
        style()->standardIcon(QStyle::SP_MessageBoxInformation).pixmap(imgVBInformation->size()));

    lblMessage = new QLabel(this);
    lblMessage->setObjectName(QStringLiteral("lblMessage"));
    lblMessage->setWordWrap(true);
    lblMessage->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(lblMessage, 720, 120, 4944, 192);

    chkShowAgain = new QCheckBox(QStringLiteral("&Don't show this message again"), this);
    chkShowAgain->setObjectName(QStringLiteral("chkShowAgain"));
    placeTwips(chkShowAgain, 240, 768, 3396, 255);

    cmdOK = new QPushButton(QStringLiteral("&OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    placeTwips(cmdOK, 3744, 720, 972, 372);

    cmdCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    placeTwips(cmdCancel, 4836, 720, 972, 372);

    cmdOK->setDefault(true);
    setTabOrder(chkShowAgain, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    chkShowAgain->setFocus();
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    // Load: the screen font, then the label's height for one line of text as the base the
    // window grows from.
    applyScreenFont(this, g().ScreenFontName);
    lblMessage->setText(QStringLiteral(" "));
    lblMessage->resize(lblMessage->width(), lblMessage->heightForWidth(lblMessage->width()));
    labelHeight_ = lblMessage->height();
}

void frmMessage::Message(const QString &Text) {
    lblMessage->setText(platform::ui::displayText(Text));
    const int grown = lblMessage->heightForWidth(lblMessage->width());
    lblMessage->resize(lblMessage->width(), grown);
    const int growth = grown - labelHeight_;
    labelHeight_ = grown;  // a second Message grows from this text, not the first one
    setFixedHeight(height() + growth);
    for (QWidget *c : {static_cast<QWidget *>(chkShowAgain), static_cast<QWidget *>(cmdOK),
                       static_cast<QWidget *>(cmdCancel)})
        c->move(c->x(), c->y() + growth);
}

bool frmMessage::Display(const QString &Key) {
    bool ok = false;
    const int silenced = settings::GetSetting(settings::OptionsSection, Key, QStringLiteral("0")).trimmed().toInt(&ok);
    if (ok && silenced != 0) {
        // Silenced: counts as confirmed. The window is unloaded so the next warning starts from
        // its designed layout.
        close();
        return false;
    }
    Key_ = Key;
    Cancelled = false;
    okPressed_ = false;
    bool cancelled = true;  // a close that is not OK is a Cancel
    result_ = &cancelled;
    centreOnScreen(this);
    showModal(this);
    return cancelled;
}

void frmMessage::cmdOK_Click() {
    Cancelled = false;
    okPressed_ = true;
    if (result_)
        *result_ = false;
    result_ = nullptr;
    RegistryOptions::setWarningCheckbox(Key_, chkShowAgain->isChecked() ? QStringLiteral("1") : QStringLiteral("0"));
    close();
}

void frmMessage::cmdCancel_Click() {
    Cancelled = true;
    if (result_)
        *result_ = true;
    result_ = nullptr;
    close();
}

void frmMessage::reject() {
    if (!okPressed_) {
        Cancelled = true;
        if (result_)
            *result_ = true;
    }
    result_ = nullptr;
    QDialog::reject();
}

} // namespace core
