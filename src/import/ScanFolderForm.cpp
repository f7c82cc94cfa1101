#include "import/ScanFolderForm.h"

#include "core/AppState.h"

#include <QLabel>
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

ScanFolderForm::ScanFolderForm(QWidget *parent) : core::ProgressForm(3396, parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Form1"));
    setClientSizeTwips(this, 7275, 3990);

    lblRecsReadLabel = label(this, "lblRecsReadLabel", QString(), Qt::AlignRight, 360, 2196, 1416, 276);
    lblRecsRead = label(this, "lblRecsRead", QString(), Qt::AlignLeft, 1800, 2196, 1908, 276);
    lblRecsAddedLabel = label(this, "lblRecsAddedLabel", QString(), Qt::AlignRight, 360, 2544, 1416, 276);
    lblRecsAdded = label(this, "lblRecsAdded", QString(), Qt::AlignLeft, 1800, 2544, 1908, 276);

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    placeTwips(cmdCancel, 2940, 3000, 1380, 348);
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    // Load: centred on the screen, every control in the screen font.
    centreOnScreen(this);
    applyScreenFont(this, core::g().ScreenFontName);
}

void ScanFolderForm::cmdCancel_Click() { close(); }

void ScanFolderForm::reject() {
    // Escape closes the window like its close box, so the import hears of it.
    if (closing_)
        core::ProgressForm::reject();
    else
        close();
}

void ScanFolderForm::closeEvent(QCloseEvent *e) {
    closing_ = true;
    core::ProgressForm::closeEvent(e);
    closing_ = false;
}

} // namespace import
