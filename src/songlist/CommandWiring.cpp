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
    connectCommands();
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

void CommandWiring::connectCommands() {
    NameList &w = w_;
    w.on(w.cmdAdd, &NameList::cmdAdd_Click);
    w.on(w.AddMenu, &NameList::AddMenu_Click);
    w.on(w.cmdEdit, &NameList::cmdEdit_Click);
    w.on(w.EditViewMenu, &NameList::EditViewMenu_Click);
    w.on(w.cmdDelete, &NameList::cmdDelete_Click);
    w.on(w.mnuPopupDelete, &NameList::mnuPopupDelete_Click);
    w.on(w.cmdCount, &NameList::cmdCount_Click);
    w.on(w.DisplayRecCntMenu, &NameList::DisplayRecCntMenu_Click);
    w.on(w.FindEditMenu, &NameList::FindEditMenu_Click);
    w.on(w.cmdFind, &NameList::cmdFind_Click);
    w.on(w.cmdShowArtistSongs, &NameList::cmdShowArtistSongs_Click);
    w.on(w.mnuShowDuplicates, &NameList::mnuShowDuplicates_Click);
    w.on(w.mnuShowDuplicatesToDelete, &NameList::mnuShowDuplicatesToDelete_Click);
    w.on(w.mnuShowDuplicatesAlbum, &NameList::mnuShowDuplicatesAlbum_Click);
    w.on(w.mnuShowDuplicatesToDeleteAlbum, &NameList::mnuShowDuplicatesToDeleteAlbum_Click);
    w.on(w.ShowSelectedOnlyMenu, &NameList::ShowSelectedOnlyMenu_Click);
    w.on(w.cmdShowSelected, &NameList::cmdShowSelected_Click);
    w.on(w.HideSelectedMenu, &NameList::HideSelectedMenu_Click);
    w.on(w.RemoveSelectionsMenu, &NameList::RemoveSelectionsMenu_Click);
    w.on(w.Category, &NameList::Category_Click);
    w.on(w.cmdCategory, &NameList::cmdCategory_Click);
    w.on(w.SelectionCriteria, &NameList::SelectionCriteria_Click);
    w.on(w.cmdFilter, &NameList::cmdFilter_Click);
    w.on(w.AssignCatgMenu, &NameList::AssignCatgMenu_Click);
    w.on(w.cmdAssignCatg, &NameList::cmdAssignCatg_Click);
    w.on(w.mnuPopupAssignToCategory, &NameList::mnuPopupAssignToCategory_Click);
    w.on(w.AssignAllToCatg, &NameList::AssignAllToCatg_Click);
    w.on(w.RemoveAllFromCatg, &NameList::RemoveAllFromCatg_Click);
    w.on(w.cmdNotes, &NameList::cmdNotes_Click);
    w.on(w.cmdPictures, &NameList::cmdPictures_Click);
    w.on(w.EmptyDeletedPicturesFolder, &NameList::EmptyDeletedPicturesFolder_Click);
    w.on(w.cmdPlayList, &NameList::cmdPlayList_Click);
    w.on(w.mnuChangePaths, &NameList::mnuChangePaths_Click);
    w.on(w.mnuReplace, &NameList::mnuReplace_Click);
    w.on(w.mnuFindInvalidFilenames, &NameList::mnuFindInvalidFilenames_Click);
    w.on(w.OphanedPictures, &NameList::OphanedPictures_Click);
    w.on(w.mnuArtistRpt, &NameList::mnuArtistRpt_Click);
    w.on(w.mnuSongRpt, &NameList::mnuSongRpt_Click);
    w.on(w.mnuPathRpt, &NameList::mnuPathRpt_Click);
    w.on(w.StatisticsReport, &NameList::StatisticsReport_Click);
    w.on(w.mnuRptLinesPerPage, &NameList::mnuRptLinesPerPage_Click);
    w.on(w.Export, &NameList::Export_Click);
    w.on(w.ExportWithNotes, &NameList::ExportWithNotes_Click);
    w.on(w.OpenDatabase, &NameList::OpenDatabase_Click);
    w.on(w.mnuCompactDatabase, &NameList::mnuCompactDatabase_Click);
    w.on(w.mnuDeleteAll, &NameList::mnuDeleteAll_Click);
    w.on(w.mnuDeleteDisplayed, &NameList::mnuDeleteDisplayed_Click);
    w.on(w.mnuDeleteDuplicates, &NameList::mnuDeleteDuplicates_Click);
    w.on(w.mnuDeleteDuplicatesAlbum, &NameList::mnuDeleteDuplicatesAlbum_Click);
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
