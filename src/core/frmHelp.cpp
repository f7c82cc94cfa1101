#include "core/frmHelp.h"

#include "core/AppState.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/TextColours.h"

#include <QLabel>
#include <QPushButton>

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

    lblBody1 = new QLabel(this);
    lblBody1->setObjectName(QStringLiteral("lblBody1"));
    lblBody1->setWordWrap(true);
    lblBody1->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(lblBody1, 240, 780, 6720, 3840);

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
