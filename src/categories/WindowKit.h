#pragma once
// What the three category windows share: building a control in one call, the read-only grid
// over a data control, its styling by mode and screen font, and the guard that keeps an error
// of a command from crossing the event loop.
#include "platform/ui/DbGrid.h"
#include "platform/ui/Forms.h"

#include <QString>
#include <functional>

class QWidget;

namespace platform::ui {
class DataControl;
}

namespace categories::kit {

// A control of class T with its name as objectName, placed in twips on `parent`.
using platform::ui::make;

// A grid on `data` that allows no typing, adding or deleting (arrow keys move between rows).
platform::ui::DbGrid *readOnlyGrid(QWidget *parent, const char *name, platform::ui::DataControl *data, int left,
                                   int top, int width, int height);

// Rows 400 twips high with Arial 14, not bold, in tablet mode; else 225.0709 twips with Arial 8
// bold.
void styleGrid(platform::ui::DbGrid *grid, bool tablet);

// Gives every control of the window the screen font's name (sizes and weights stay), then the
// grids' header fonts.
void applyScreenFont(QWidget *window, const QList<platform::ui::DbGrid *> &grids, const QString &fontName);

// Runs a command of a window; an error that escapes it is shown with the program's error box.
void guarded(const std::function<void()> &command);

} // namespace categories::kit
