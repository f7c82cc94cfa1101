#include "core/HelpViewer.h"

#include "core/AppState.h"
#include "platform/ui/PromptService.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace core {

namespace ui = platform::ui;

HelpViewer::HelpViewer(QWidget *parent) : Form<QDialog>(parent) {
    setWindowTitle(g().ProductName.isEmpty() ? QStringLiteral("Help") : g().ProductName + QStringLiteral(" Help"));
    ui::setClientSizeTwips(this, 10800, 9000);

    txtHelp = new QTextBrowser(this);
    txtHelp->setObjectName(QStringLiteral("txtHelp"));
    // Links to the web go to the browser, if there is one; the page's own links stay here.
    txtHelp->setOpenExternalLinks(true);

    cmdClose = new QPushButton(QStringLiteral("Close"), this);
    cmdClose->setObjectName(QStringLiteral("cmdClose"));
    connect(cmdClose, &QPushButton::clicked, this, &QWidget::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(txtHelp);
    layout->addLayout(buttons);
}

QString HelpViewer::pagePath() {
    const QString page = shippedFile(QStringLiteral("help.html"));
    return QFileInfo(page).isFile() ? QFileInfo(page).canonicalFilePath() : page;
}

void HelpViewer::showHelp(QWidget *owner) {
    const QString path = pagePath();
    if (!QFileInfo(path).isFile()) {
        ui::msgBox(g().ProductName + QStringLiteral(" could not find its help file ") + QDir::toNativeSeparators(path) +
                       QStringLiteral("."),
                   ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Help"));
        return;
    }
    if (ui::prompts().openUrl(QUrl::fromLocalFile(path)))
        return;
    // No browser on this desktop: the program shows the page itself.
    HelpViewer *w = ui::form<HelpViewer>();
    w->txtHelp->setSource(QUrl::fromLocalFile(path));
    ui::showModeless(w, owner);
}

} // namespace core
