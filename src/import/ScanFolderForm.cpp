#include "import/ScanFolderForm.h"

#include "core/AppState.h"

#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace import {

using namespace platform::ui;

namespace {

QLabel *label(QWidget *parent, const char *name, const QString &text, Qt::Alignment align, int l, int t, int w, int h) {
    auto *lbl = new QLabel(text, parent);
    lbl->setObjectName(QString::fromLatin1(name));
    lbl->setAlignment(align | Qt::AlignVCenter);
    placeTwips(lbl, l, t, w, h);
    return lbl;
}

} // namespace

ScanFolderForm::ScanFolderForm(QWidget *parent) : Form<QDialog>(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Form1"));
    setClientSizeTwips(this, 7275, 3990);

    Msg = new QLabel(QStringLiteral(" "), this);
    Msg->setObjectName(QStringLiteral("Msg"));
    Msg->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    Msg->setWordWrap(true);
    placeTwips(Msg, 420, 192, 6396, 1740);

    lblRecsReadLabel = label(this, "lblRecsReadLabel", QString(), Qt::AlignRight, 360, 2196, 1416, 276);
    lblRecsRead = label(this, "lblRecsRead", QString(), Qt::AlignLeft, 1800, 2196, 1908, 276);
    lblRecsAddedLabel = label(this, "lblRecsAddedLabel", QString(), Qt::AlignRight, 360, 2544, 1416, 276);
    lblRecsAdded = label(this, "lblRecsAdded", QString(), Qt::AlignLeft, 1800, 2544, 1908, 276);

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    placeTwips(cmdCancel, 2940, 3000, 1380, 348);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    Frame1 = new QFrame(this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Frame1->setFrameShape(QFrame::Box);
    placeTwips(Frame1, 384, 3396, FrameWidth, 396);
    Frame1->hide();

    Label1 = new QLabel(Frame1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAutoFillBackground(true);
    Label1->setBackgroundRole(QPalette::Highlight);
    setLabel1Width(12);
    Label1->hide();

    // Load: centred on the screen, every control in the screen font.
    centreOnScreen(this);
    applyScreenFont(this, core::g().ScreenFontName);
}

void ScanFolderForm::setLabel1Width(int twips) {
    label1Width_ = twips;
    // The import widens the bar for every item; only a change the screen can show moves it.
    const int pixels = twipsToPixelsX(twips);
    if (pixels == label1Pixels_)
        return;
    label1Pixels_ = pixels;
    placeTwips(Label1, 48, 120, twips, 240);
}

void ScanFolderForm::cmdCancel_Click() { close(); }

void ScanFolderForm::reject() {
    // Escape closes the window like its close box, so the import hears of it.
    if (closing_)
        Form<QDialog>::reject();
    else
        close();
}

void ScanFolderForm::closeEvent(QCloseEvent *e) {
    closing_ = true;
    Form<QDialog>::closeEvent(e);
    closing_ = false;
}

void ScanFolderForm::formUnload() { core::g().CancelScan = true; }

} // namespace import
