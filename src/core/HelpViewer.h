#pragma once
// The user's help page: shown by the desktop's browser, or in this window of the program's own
// where no browser opens it.
#include "platform/ui/Forms.h"

#include <QDialog>

class QPushButton;
class QTextBrowser;
class QWidget;

namespace core {

class HelpViewer : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit HelpViewer(QWidget *parent = nullptr);

    QTextBrowser *txtHelp = nullptr;
    QPushButton *cmdClose = nullptr;

    // The page shipped with the program: share/orvalis/help.html in the program's folder (the
    // build tree) or beside it (an installation); the first of the two when neither exists.
    static QString pagePath();

    // Opens the page in the desktop's browser; where none opens it, in this window; where the
    // page itself is missing, says so.
    static void showHelp(QWidget *owner);
};

} // namespace core
