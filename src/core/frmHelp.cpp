#include "core/frmHelp.h"

#include "core/AppState.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/TextColours.h"

#include <QLabel>
#include <QPushButton>
#include <QScrollArea>

namespace core {

using namespace platform::ui;

frmHelp::frmHelp(QWidget *parent) : Form<QDialog>(parent) {
    setWindowTitle(QStringLiteral("Help"));
    setClientSizeTwips(this, 7200, 5400);

    lblHeading1 = new QLabel(this);
    lblHeading1->setObjectName(QStringLiteral("lblHeading1"));
    lblHeading1->setAlignment(Qt::AlignCenter);
    lblHeading1->setWordWrap(true);
    setBlueText(lblHeading1, QColor(0, 0, 128), QPalette::WindowText, QPalette::Window);
    QFont headingFont = lblHeading1->font();
    headingFont.setBold(true);
    headingFont.setPointSize(10);
    lblHeading1->setFont(headingFont);
    placeTwips(lblHeading1, 240, 180, 6720, 480);

    // A body longer than its place (the play lists' eleven paragraphs) scrolls there instead of
    // being cut off.
    bodyArea = new QScrollArea(this);
    bodyArea->setObjectName(QStringLiteral("bodyArea"));
    bodyArea->setFrameShape(QFrame::NoFrame);
    bodyArea->setWidgetResizable(true);
    bodyArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    bodyArea->setBackgroundRole(QPalette::Window);
    placeTwips(bodyArea, 240, 780, 6720, 3840);
    lblBody1 = new QLabel;
    lblBody1->setObjectName(QStringLiteral("lblBody1"));
    lblBody1->setWordWrap(true);
    lblBody1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    bodyArea->setWidget(lblBody1);

    OKButton = new QPushButton(QStringLiteral("&OK"), this);
    OKButton->setObjectName(QStringLiteral("OKButton"));
    OKButton->setToolTip(QStringLiteral("Closes this window."));
    placeTwips(OKButton, 3000, 4800, 1200, 375);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });

    // Load: the screen font; the caller's hourglass ends here.
    applyScreenFont(this, g().ScreenFontName);
    setMousePointer(MousePointer::Default);
}

void frmHelp::OKButton_Click() { close(); }

} // namespace core
