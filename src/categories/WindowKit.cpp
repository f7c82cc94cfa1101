#include "categories/WindowKit.h"

#include "platform/ui/Application.h"
#include "platform/ui/DataControl.h"

namespace categories::kit {

namespace ui = platform::ui;

ui::DbGrid *readOnlyGrid(QWidget *parent, const char *name, ui::DataControl *data, int left, int top, int width,
                         int height) {
    auto *grid = make<ui::DbGrid>(parent, name, left, top, width, height);
    grid->setAllowUpdate(false);
    grid->setDataSource(data);
    return grid;
}

void styleGrid(ui::DbGrid *grid, bool tablet) {
    grid->setRowHeightTwips(tablet ? 400 : 225.0709);
    QFont f = grid->font();
    f.setFamily(QStringLiteral("Arial"));
    f.setBold(!tablet);
    f.setPointSize(tablet ? 14 : 8);
    grid->setFont(f);
}

void applyScreenFont(QWidget *window, const QList<ui::DbGrid *> &grids, const QString &fontName) {
    if (fontName.isEmpty())
        return;
    ui::applyScreenFont(window, fontName);
    for (ui::DbGrid *g : grids) {
        QFont head = g->headFont();
        head.setFamily(fontName);
        g->setHeadFont(head);
    }
}

void guarded(const std::function<void()> &command) {
    try {
        command();
    } catch (...) {
        ui::Application::reportUncaught(std::current_exception());
    }
}

} // namespace categories::kit
