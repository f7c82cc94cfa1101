#include "songlist/CommandWiring.h"

#include "platform/ui/DbGrid.h"
#include "songlist/IncrementalSearch.h"
#include "songlist/NameList.h"

#include <QAction>
#include <QEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>

namespace songlist {

using platform::ui::DbGrid;

CommandWiring::CommandWiring(NameList &w) : QObject(&w), w_(w) {
    setObjectName(QStringLiteral("CommandWiring"));
    connectGrid();
    connectLocateBox();
    for (QObject *o : watched())
        o->installEventFilter(this);
}

CommandWiring::~CommandWiring() {
    for (QObject *o : watched())
        if (o)
            o->removeEventFilter(this);
}

QList<QObject *> CommandWiring::watched() const {
    QList<QObject *> out{w_.Table1, w_.txtLocate, w_.txtName, w_.TextBackground};
    for (QLabel *l : w_.lblAlphabet)
        out << l;
    return out;
}

void CommandWiring::connectLocateBox() {
    NameList &w = w_;
    // Typed keys, a paste, a cut, an input method's text and the text the grid forwards all
    // change the box as the user's edits; emptying it from code does not search.
    connect(w.txtLocate, &QLineEdit::textEdited, this, [&w](const QString &) { w.run([&w] { w.txtLocate_Change(); }); });
}

void CommandWiring::connectGrid() {
    NameList &w = w_;
    DbGrid *g = w.Table1;
    connect(g, &DbGrid::beforeColEdit, this, [&w](int, bool &) { w.run([&w] { w.Table1_BeginCellEdit(); }); });
    connect(g, &DbGrid::afterColEdit, this, [&w](int) { w.run([&w] { w.Table1_EndCellEdit(); }); });
    connect(g, &DbGrid::afterColUpdate, this, [&w](int) { w.run([&w] { w.Table1_StampDateUpdated(); }); });
    connect(g, &DbGrid::gridClick, this, [&w] { w.run([&w] { w.Table1_SkipMarkColumn(); }); });
    connect(g, &DbGrid::colResize, this, [&w](int) { w.run([&w] { w.Table1_ColumnResized(); }); });
    connect(g, &DbGrid::gridDblClick, this, [&w] { w.run([&w] { w.Table1_OpenEditor(); }); });
    connect(g, &DbGrid::headClick, this, [&w](int column) { w.run([&w, column] { w.Table1_MoveColumn(column); }); });
    connect(g, &DbGrid::keyDown, this, [this, &w](int &keyCode, int shift) {
        w.run([&] { w.Table1_KeyDown(keyCode, shift, gridKeyText_); });
    });
    connect(g, &DbGrid::mouseUp, this, [&w](int button, int shift, int x, int y) {
        w.run([&] { w.Table1_ShowPopupMenu(button, shift, x, y); });
    });
    connect(g, &DbGrid::rowColChange, this, [&w](const platform::db::Bookmark &lastRow, int lastCol) {
        w.run([&] { w.Table1_CurrentRowChanged(lastRow, lastCol); });
    });
}

bool CommandWiring::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (watched == w_.Table1) {
        // The grid's key-down event carries only the key code; the text is kept for it here.
        if (type == QEvent::KeyPress)
            gridKeyText_ = static_cast<QKeyEvent *>(event)->text();
        return false;
    }
    if (watched == w_.txtLocate) {
        switch (type) {
        case QEvent::KeyPress: {
            auto *e = static_cast<QKeyEvent *>(event);
            if (e->text().isEmpty())
                return false;
            int ascii = e->text().at(0).unicode();
            w_.run([&] { w_.txtLocate_KeyPress(ascii); });
            return ascii == 0;
        }
        case QEvent::KeyRelease: {
            auto *e = static_cast<QKeyEvent *>(event);
            const int vk = DbGrid::virtualKey(e);
            const int shift = DbGrid::shiftState(e->modifiers());
            w_.run([&] { w_.txtLocate_KeyUp(vk, shift); });
            return false;
        }
        case QEvent::MouseButtonRelease:
            w_.run([this] { w_.txtLocate_Click(); });
            return false;
        case QEvent::FocusOut:
            if (IncrementalSearch::focusLeftForAControl(static_cast<QFocusEvent *>(event)->reason()))
                w_.run([this] { w_.txtLocate_LostFocus(); });
            return false;
        default:
            return false;
        }
    }
    if (watched == w_.txtName || watched == w_.TextBackground) {
        if (type != QEvent::KeyPress)
            return false;
        auto *e = static_cast<QKeyEvent *>(event);
        int code = DbGrid::virtualKey(e);
        if (code == 0)
            return false;
        const int shift = DbGrid::shiftState(e->modifiers());
        const QString text = e->text();
        if (watched == w_.txtName)
            w_.run([&] { w_.txtName_KeyDown(code, shift, text); });
        else
            w_.run([&] { w_.TextBackground_KeyDown(code, shift, text); });
        return code == 0;
    }
    if (type == QEvent::MouseButtonRelease) {
        auto *label = qobject_cast<QLabel *>(watched);
        if (label && w_.lblAlphabet.contains(label) &&
            static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
            const int index = label->property("Index").toInt();
            w_.run([this, index] { w_.lblAlphabet_Click(index); });
            return true;
        }
    }
    return false;
}

} // namespace songlist
