#include "core/frmFontForm.h"

#include "core/AppState.h"
#include "core/modMain.h"
#include "core/RegistryOptions.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QFontDatabase>
#include <QLineEdit>
#include <QPushButton>

namespace core {

using namespace platform::ui;

frmFontForm::frmFontForm(QWidget *parent) : Form<QDialog>(parent) {
    setWindowTitle(QStringLiteral("Font Selection"));
    setClientSizeTwips(this, 4260, 1500);
    const QFont arial(QStringLiteral("Arial"), 8);

    cmbFonts = new QComboBox(this);
    cmbFonts->setObjectName(QStringLiteral("cmbFonts"));
    cmbFonts->setEditable(true);
    cmbFonts->setInsertPolicy(QComboBox::NoInsert);
    placeTwips(cmbFonts, 240, 240, 3780, 315);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    placeTwips(cmdOK, 840, 840, 1095, 375);

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    placeTwips(cmdCancel, 2280, 840, 1095, 375);

    for (QWidget *c : {static_cast<QWidget *>(cmbFonts), static_cast<QWidget *>(cmdOK),
                       static_cast<QWidget *>(cmdCancel)})
        c->setFont(arial);
    cmdOK->setDefault(true);
    // Enter in the font box chooses the font: the editable box keeps the key from the window.
    connect(cmbFonts->lineEdit(), &QLineEdit::returnPressed, cmdOK, &QPushButton::click);
    setTabOrder(cmbFonts, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    // Load: every font name the platform lists, in its order; the current one shown.
    cmbFonts->addItems(QFontDatabase::families());
    cmbFonts->setEditText(g().ScreenFontName);
    cmbFonts->installEventFilter(this);
    cmbFonts->setFocus();
}

bool frmFontForm::eventFilter(QObject *watched, QEvent *event) {
    // The focus coming back from the closing list is not a new arrival.
    if (watched == cmbFonts && event->type() == QEvent::FocusIn &&
        static_cast<QFocusEvent *>(event)->reason() != Qt::PopupFocusReason) {
        try {
            modMain::ShowComboDropDown(cmbFonts);
        } catch (...) {
        }
    }
    return Form<QDialog>::eventFilter(watched, event);
}

void applyFontToMainWindow(const QString &fontName) {
    QWidget *main = loadedForm(QStringLiteral("NameList"));
    if (!main)
        return;
    try {
        applyScreenFont(main, fontName, 8);
        if (auto *b = main->findChild<QWidget *>(QStringLiteral("cmdShowSelected"))) {
            QFont f = b->font();
            f.setFamily(QStringLiteral("Small Fonts"));
            f.setPointSize(6);
            b->setFont(f);
        }
    } catch (...) {
        // every error is ignored here: the font is still saved
    }
}

void frmFontForm::cmdOK_Click() {
    const QString text = cmbFonts->currentText();
    if (text > QStringLiteral(" ")) {
        g().ScreenFontName = text;
        applyFontToMainWindow(text);
        RegistryOptions::setFont(text);  // a refused write is reported there
    }
    close();
}

void frmFontForm::cmdCancel_Click() { close(); }

} // namespace core
