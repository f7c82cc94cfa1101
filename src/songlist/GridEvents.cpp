#include "songlist/GridEvents.h"

#include "core/AppState.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"

#include <QAction>
#include <QDateTime>
#include <QLineEdit>
#include <QMenu>
#include <QPoint>

namespace songlist {

namespace ui = platform::ui;

void GridEvents::BeginCellEdit() { w_.GridCellEditing = true; }

void GridEvents::EndCellEdit() { w_.GridCellEditing = false; }

bool GridEvents::stampDateUpdated(ui::DataControl &data) {
    if (!data.hasCurrentRow())
        return false;
    auto *rs = data.recordset();
    rs->edit();
    rs->setValue(QStringLiteral("DateUpdated"), QDateTime::currentDateTime());
    rs->update();
    // Only this row's values changed. The grid redraws it once the cell editor that wrote the
    // cell has closed; rebuilding every row now would pull the model from under that editor.
    data.currentRowValuesChanged();
    return true;
}

void GridEvents::StampDateUpdated() { stampDateUpdated(*w_.Data1); }

void GridEvents::SkipMarkColumn() {
    auto &s = core::g();
    // The mark column never keeps the cell cursor (except for the first click after loading,
    // and not while a cell is being edited). Stepping acts as the Right key would: the key
    // rules clear the armed toggle and a pending column move before the cursor moves.
    if (w_.Table1->col() == 0 && !w_.GridJustLoaded && !w_.GridCellEditing) {
        w_.MarkColumnClicked = false;
        w_.PendingMoveColumn = 0;
        w_.Table1->setCol(1);
    }
    w_.GridJustLoaded = false;
    if (!s.CategoryFormJustLoaded)
        w_.MarkColumnClicked = true;
    s.CategoryFormJustLoaded = false;
    if (s.PlayListAddSongMode) {
        w_.MarkColumnClicked = false;
        s.PlayListAddSongMode = false;
    }
}

void GridEvents::ColumnResized() { w_.ColumnsChanged = true; }

void GridEvents::OpenEditor() {
    w_.MarkColumnClicked = false;
    w_.cmdEdit_Click();
}

void GridEvents::moveColumn(ui::DbGrid &grid, int from, int to, const ui::GridColumn &saved) {
    grid.removeColumn(from);
    grid.addColumn(to);
    grid.setColumnDataField(to, saved.DataField);
    grid.setColumnCaption(to, saved.Caption);
    grid.setColumnDividerStyle(to, ui::DividerInset);
    grid.setColumnWidthTwips(to, saved.Width);
    grid.setColumnVisible(to, true);
}

void GridEvents::MoveColumn(int C) {
    if (w_.PendingMoveColumn == 0) {
        // The mark column and the first two data columns stay where they are.
        if (C <= 2)
            return;
        w_.MoveColumnDataField = w_.Table1->columnDataField(C);
        w_.MoveColumnCaption = w_.Table1->columnCaption(C);
        w_.MoveColumnWidth = w_.Table1->columnWidth(C);
        w_.PendingMoveColumn = C;
        const auto answer = ui::msgBox(
            QStringLiteral("The next column heading you click will cause the ") + w_.MoveColumnCaption +
                QStringLiteral(" column to move beside that column. You cannot move to the 3 left-most columns."),
            ui::Buttons::OKCancel, ui::Icon::Information, QStringLiteral("Column move started"));
        if (answer == ui::Answer::Cancel)
            w_.PendingMoveColumn = 0;
        return;
    }
    if (C > 2) {
        ui::GridColumn saved;
        saved.DataField = w_.MoveColumnDataField;
        saved.Caption = w_.MoveColumnCaption;
        saved.Width = w_.MoveColumnWidth;
        moveColumn(*w_.Table1, w_.PendingMoveColumn, C, saved);
    }
    w_.PendingMoveColumn = 0;
    w_.ColumnsChanged = true;
}

QString GridEvents::keyTextFor(int keyCode) {
    if (keyCode >= 65 && keyCode <= 90)
        return QString(QChar(char16_t(keyCode)));
    if (keyCode >= 48 && keyCode <= 57)
        return QString(QChar(char16_t(keyCode)));
    if (keyCode == 32)
        return QStringLiteral(" ");
    return {};
}

QString GridEvents::forwardedText(const QString &keyText) {
    QString out;
    for (const QChar c : keyText) {
        if (c.unicode() < 32 || c.unicode() == 127)
            continue;  // control characters type nothing in the search box
        out += c.toUpper();
    }
    return out;
}

void GridEvents::KeyDown(int &KeyCode, int /*Shift*/, const QString &KeyText) {
    // Any key cancels a pending column move, without a message.
    w_.MarkColumnClicked = false;
    w_.PendingMoveColumn = 0;
    switch (KeyCode) {
    case 40: case 34: case 33: case 38: case 39:
        return;  // the grid moves
    case 46: case 36: case 35: case 37: case 45:
        // These keys act only inside a cell being edited.
        if (!w_.GridCellEditing)
            KeyCode = 0;
        return;
    case 13:
        w_.cmdEdit_Click();
        return;
    default:
        break;
    }
    if (w_.Table1->allowUpdate())
        return;  // with grid editing on, keys go to the grid's cell
    // Typing in the grid searches: the key's own text goes into the search box, whose change
    // runs the search. A key that types text counts whatever its code (punctuation, accented
    // letters, input-method text); a key of 32..122 that types nothing still moves the focus.
    const QString text = forwardedText(KeyText.isEmpty() ? keyTextFor(KeyCode) : KeyText);
    if ((KeyCode >= 32 && KeyCode <= 122) || !text.isEmpty()) {
        w_.txtLocate->setFocus();
        if (!text.isEmpty())
            w_.txtLocate->insert(text);
        KeyCode = 0;
    }
}

void GridEvents::ShowPopupMenu(int Button, int /*Shift*/, int X, int Y) {
    if (Button != 2)
        return;
    auto &s = core::g();
    s.PlayListAddSongMode = true;
    if (!s.CurrentPlayList.isEmpty())
        w_.mnuPopupAddToPlaylist->setText(QStringLiteral("Add song to play list \"") + s.CurrentPlayList +
                                          QStringLiteral("\""));
    else
        w_.mnuPopupAddToPlaylist->setText(QStringLiteral("Add song to play list"));
    while (w_.Table1->selBookmarkCount() > 0)
        w_.Table1->removeSelBookmark(0);
    const int row = w_.Table1->rowContaining(Y);
    if (row < 0)
        return;
    const auto bookmark = w_.Table1->rowBookmark(row);
    if (bookmark.isEmpty())
        return;
    w_.Table1->setBookmark(bookmark);
    w_.Table1->addSelBookmark(bookmark);
    w_.MarkColumnClicked = false;
    w_.mnuPopup->popup(w_.Table1->viewport()->mapToGlobal(QPoint(X, Y)));
}

} // namespace songlist
