// The main window's views: Show all and the record source, the sort orders, and the forwards of
// the find, the artist filter, the duplicate views and the selection marks.
#include "songlist/NameList.h"

#include "core/AppState.h"
#include "core/SettingsRows.h"
#include "platform/ui/MousePointer.h"
#include "songlist/ArtistFilter.h"
#include "songlist/DuplicateViews.h"
#include "songlist/FindAllFields.h"
#include "songlist/OtherWindows.h"
#include "songlist/SelectionMarks.h"
#include "songlist/SortOrders.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>

namespace songlist {

namespace ui = platform::ui;
using core::SettingsRows;

// ============================================================================ record source

void NameList::enableViewCommands() {
    File->setEnabled(true);
    File->menuAction()->setEnabled(true);
    cmdAdd->setEnabled(true);
    cmdEdit->setEnabled(true);
    AddMenu->setEnabled(true);
    FindEditMenu->setEnabled(true);
    cmdShowArtistSongs->setEnabled(true);
    cmdFilter->setEnabled(true);
    cmdFind->setEnabled(true);
    cmbSort->setEnabled(true);
    cmdSortSong->setEnabled(true);
    cmdSortArtist->setEnabled(true);
}

void NameList::ShowAllMenu_Click() {
    auto &s = core::g();
    ui::setMousePointer(ui::MousePointer::Hourglass);
    MarkColumnClicked = false;
    remember([] { SettingsRows::deleteKind(QString::fromLatin1(SettingsRows::Category)); });
    s.WhereClause.clear();
    s.CriteriaClause.clear();
    lblFilterMsg->hide();
    lblFilterMsg->setText(QString::fromLatin1(FilterMessage));
    s.CategoryClause.clear();
    s.RecordSourceName = QStringLiteral("tblContacts");
    Data1->setRecordSource(standardRecordSource());
    Data1->refresh();
    setCategoryCaption(QString());
    if (s.SelectedCount > 0)
        cmdShowSelected->show();
    enableViewCommands();
    clearArtistButton();
    if (recordCount() >= 1) {
        cmdPlay->setEnabled(true);
        cmdPlayAll->setEnabled(true);
        Data1->moveLast();
        Data1->moveFirst();
        showArtistButton(currentText(QStringLiteral("Artist")));
    }
    // The sort shown in the list is applied again. When it is the order the view was just run
    // in, running the same query a second time would give the same rows: only its text changes.
    applySort(SortOrders::lookup(cmbSort->currentText()).orderBy != s.OrderByClause);
    ui::setMousePointer(ui::MousePointer::Default);
    s.SelectedClause.clear();
}

void NameList::cmdShowAll_Click() {
    ShowAllMenu_Click();
    Table1->setFocus();
}

// ============================================================================ sort orders

void NameList::setSortText(const QString &text) {
    cmbSort->setCurrentIndex(cmbSort->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive));
    cmbSort_Click();
}

void NameList::cmbSort_Click() { applySort(true); }

void NameList::applySort(bool runView) {
    // Before the first view is opened it is only asked whether it has a row.
    if (firstContentsPending_ ? !firstViewHasRows() : recordCount() <= 0)
        return;
    auto &s = core::g();
    ui::setMousePointer(ui::MousePointer::Hourglass);
    const QString text = cmbSort->currentText();
    remember([&text] { SettingsRows::write(QString::fromLatin1(SettingsRows::GridSortOrder), text); });
    const SortOrder &sort = SortOrders::lookup(text);
    s.OrderByClause = sort.orderBy;
    if (s.ContactsTable)
        s.ContactsTable->setIndex(sort.index);
    txtLocate->setFocus();
    MarkColumnClicked = false;
    Data1->setRecordSource(SortOrders::replaceOrderBy(Data1->recordSource(), s.OrderByClause));
    if (runView)
        Data1->refresh();
    if (!firstContentsPending_ && recordCount() > 0) {
        Data1->moveLast();
        Data1->moveFirst();
    }
    s.SortIsDate = SortOrders::isDate(text);
    ui::setMousePointer(ui::MousePointer::Default);
}

void NameList::swapSongArtistColumns(bool artistFirst) {
    // Column 1 becomes the wanted field, column 2 the other, each with the other's width.
    const double w1 = Table1->columnWidth(1);
    const double w2 = Table1->columnWidth(2);
    const QString first = artistFirst ? QStringLiteral("Artist") : QStringLiteral("SongName");
    const QString firstCaption = artistFirst ? QStringLiteral("Artist/Performer") : QStringLiteral("Song Name");
    const QString second = artistFirst ? QStringLiteral("SongName") : QStringLiteral("Artist");
    const QString secondCaption = artistFirst ? QStringLiteral("Song Name") : QStringLiteral("Artist/Performer");
    auto setColumn = [&](int col, const QString &field, const QString &caption, double width) {
        Table1->setColumnDataField(col, field);
        Table1->setColumnCaption(col, caption);
        Table1->setColumnDividerStyle(col, ui::DividerInset);
        Table1->setColumnWidthTwips(col, width);
        Table1->setColumnVisible(col, true);
    };
    setColumn(1, first, firstCaption, w2);
    setColumn(2, second, secondCaption, w1);
    ColumnsChanged = true;
}

void NameList::cmdSortArtist_Click() {
    if (Table1->columnDataField(2) == QLatin1String("Artist"))
        swapSongArtistColumns(true);
    setSortText(QStringLiteral("Artist"));
}

void NameList::cmdSortSong_Click() {
    if (Table1->columnDataField(1) == QLatin1String("Artist"))
        swapSongArtistColumns(false);
    setSortText(QStringLiteral("Song Name"));
}

// ============================================================================ find, artist, duplicates

void NameList::FindEditMenu_Click() { FindAllFields(*this).FindEditMenu_Click(); }
void NameList::cmdFind_Click() { FindEditMenu_Click(); }
void NameList::cmdShowArtistSongs_Click() { ArtistFilter(*this).cmdShowArtistSongs_Click(); }
void NameList::mnuShowDuplicates_Click() { DuplicateViews(*this).show(DuplicateViews::View::Duplicates); }
void NameList::mnuShowDuplicatesToDelete_Click() { DuplicateViews(*this).show(DuplicateViews::View::ToDelete); }
void NameList::mnuShowDuplicatesAlbum_Click() { DuplicateViews(*this).show(DuplicateViews::View::DuplicatesAlbum); }
void NameList::mnuShowDuplicatesToDeleteAlbum_Click() {
    DuplicateViews(*this).show(DuplicateViews::View::ToDeleteAlbum);
}

// ============================================================================ selection marks

void NameList::ShowSelectedOnlyMenu_Click() { SelectionMarks(*this).ShowSelectedOnlyMenu_Click(); }
void NameList::cmdShowSelected_Click() { SelectionMarks(*this).cmdShowSelected_Click(); }
void NameList::HideSelectedMenu_Click() { SelectionMarks(*this).HideSelectedMenu_Click(); }
void NameList::RemoveSelectionsMenu_Click() { SelectionMarks(*this).RemoveSelectionsMenu_Click(); }
void NameList::LoadSongPictures() { OtherWindows::open(QString::fromLatin1(OtherWindows::LoadSongPictures)); }
void NameList::cmdPictures_Click() { OtherWindows::open(QString::fromLatin1(OtherWindows::cmdPictures)); }
void NameList::EmptyDeletedPicturesFolder_Click() {
    OtherWindows::open(QString::fromLatin1(OtherWindows::EmptyDeletedPicturesFolder));
}

} // namespace songlist
