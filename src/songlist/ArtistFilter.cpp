#include "songlist/ArtistFilter.h"

#include "core/AppState.h"
#include "platform/db/JetSql.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/MousePointer.h"
#include "songlist/NameList.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>

namespace songlist {

namespace ui = platform::ui;

QString ArtistFilter::whereClause(const QString &artist) {
    return QStringLiteral(" Where Artist = ") + platform::db::jet::quoted(artist) + QLatin1Char(' ');
}

void ArtistFilter::cmdShowArtistSongs_Click() {
    if (w_.recordCount() <= 0)
        return;
    if (w_.cmdShowArtistSongs->text() != QLatin1String(ReturnCaption))
        enter();
    else
        leave();
}

void ArtistFilter::enter() {
    auto &s = core::g();
    bool ok = false;
    const qint64 id = w_.currentText(QStringLiteral("RecordID")).toLongLong(&ok);
    w_.PriorRecordId = ok ? id : 0;
    w_.PriorGridRow = w_.Table1->row();
    w_.PriorSortName = w_.cmbSort->currentText();
    w_.PriorRecordSource = w_.Data1->recordSource();
    w_.PriorFirstColumn = w_.Table1->columnDataField(1);
    w_.PriorParts = RecordSourceParts::capture();
    w_.MarkColumnClicked = false;
    ui::setMousePointer(ui::MousePointer::Hourglass);

    // A Null artist reads as the empty text.
    s.WhereClause = whereClause(w_.currentText(QStringLiteral("Artist")));
    s.OrderByClause = QStringLiteral(" Order By SongName ");
    s.CriteriaClause.clear();
    w_.lblFilterMsg->hide();
    s.CategoryClause.clear();
    s.RecordSourceName = QStringLiteral("tblContacts");
    // Not refreshed here: the sort below runs the new source.
    w_.Data1->setRecordSource(NameList::standardRecordSource());

    w_.setCategoryCaption(QString());
    w_.cmdAdd->setEnabled(false);
    if (w_.recordCount() > 0) {
        w_.cmdPlay->setEnabled(true);
        w_.cmdPlayAll->setEnabled(true);
    }
    ui::setMousePointer(ui::MousePointer::Default);
    s.SelectedClause.clear();

    w_.cmdSortArtist_Click();
    const QString caption = QString::fromLatin1(ReturnCaption);
    w_.cmdShowArtistSongs->setText(caption);
    TwRect r = w_.controlRect(w_.cmdShowArtistSongs);
    r.Width = w_.textWidthTwips(caption) + 700;
    r.Left = w_.formWidth() / 2 - r.Width / 2;
    w_.setControlRect(w_.cmdShowArtistSongs, r);
    w_.setSortText(QStringLiteral("Song Name"));
}

void ArtistFilter::leave() {
    w_.cmdShowArtistSongs->setText(QStringLiteral("Returning"));
    // Every part goes back before the earlier view runs again, so that a later command that
    // rebuilds the view from the parts (clear marks, hide selected, the count) shows it and not
    // the artist's songs.
    w_.PriorParts.restore();
    w_.Data1->setRecordSource(w_.PriorRecordSource);
    w_.Data1->refresh();
    if (w_.PriorFirstColumn == QLatin1String("SongName"))
        w_.cmdSortSong_Click();
    w_.setSortText(w_.PriorSortName);
    if (w_.Data1->findFirst(QStringLiteral("RecordID = ") + QString::number(w_.PriorRecordId))) {
        // The song comes back at the height it had: PriorGridRow rows below the top.
        const int top = w_.Table1->currentPosition() - int(w_.PriorGridRow);
        w_.Table1->scrollGrid(0, top - w_.Table1->firstRow());
    }
}

} // namespace songlist
