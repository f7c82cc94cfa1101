#include "songlist/NameListEntry.h"

#include "platform/settings/SystemMetrics.h"
#include "platform/ui/Forms.h"
#include "songlist/NameList.h"

#include <QApplication>

namespace songlist {

namespace {
// The scroll-bar width the options stored applies to the program's scroll bars from the start
// after it was chosen on.
void applyStoredScrollBarWidth() {
    static bool applied = false;
    if (applied)
        return;
    applied = true;
    const auto width = platform::settings::scrollBarWidth();
    if (!width || *width <= 0)
        return;
    const int px = std::max(1, platform::ui::twipsToPixelsX(*width));
    qApp->setStyleSheet(qApp->styleSheet() + QStringLiteral("\nQScrollBar:vertical { width: %1px; }"
                                                            "\nQScrollBar:horizontal { height: %1px; }")
                                                 .arg(px));
}
} // namespace

void ShowNameList() {
    applyStoredScrollBarWidth();
    NameList *w = platform::ui::form<NameList>();
    w->Form_Load();
    w->show();
    w->raise();
    w->activateWindow();
}

} // namespace songlist
