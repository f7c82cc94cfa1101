#include "songlist/SelectionMarks.h"

#include "core/AppState.h"
#include "core/mCommon.h"
#include "core/modMain.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/MousePointer.h"
#include "songlist/ArtistFilter.h"
#include "songlist/NameList.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

namespace songlist {

namespace ui = platform::ui;

namespace {

// The box shows four short lines. A field of a foreign or hand-edited catalogue can hold a
// million characters, which the box would lay out for minutes: it shows the field's start.
QString capped(const QString &text) {
    if (text.size() <= SelectionMarks::NameBoxFieldLimit)
        return text;
    qsizetype n = SelectionMarks::NameBoxFieldLimit;
    if (text.at(n - 1).isHighSurrogate())
        --n;  // never half a character
    return text.left(n) + QChar(0x2026);
}

QString field(const platform::db::Recordset &rs, const char *name) {
    return modMain::NullToEmpty(rs.value(QString::fromLatin1(name))).toString();
}

// VB's LTrim: leading blanks only.
QString trimLeadingBlanks(const QString &s) {
    qsizetype i = 0;
    while (i < s.size() && s.at(i) == QLatin1Char(' '))
        ++i;
    return s.mid(i);
}

} // namespace

QString SelectionMarks::toggleMark(platform::db::Recordset &rs) {
    auto &s = core::g();
    const QString mark = field(rs, "Selected");
    rs.edit();
    QString now;
    if (mark == QLatin1String("x")) {
        now = QStringLiteral(" ");
        s.SelectedCount = std::max(0L, s.SelectedCount - 1);
    } else {
        now = QStringLiteral("x");
        ++s.SelectedCount;
    }
    rs.setValue(QStringLiteral("Selected"), now);
    rs.update();
    return now;
}

QString SelectionMarks::nameBoxText(const platform::db::Recordset &rs) {
    const QString crlf = QStringLiteral("\r\n");
    QString out;
    const QString a = trimLeadingBlanks(capped(field(rs, "SongName")) + crlf + capped(field(rs, "Artist")) + crlf +
                                        capped(field(rs, "AlbumName")));
    if (!a.isEmpty())
        out = a;
    const QString b = trimLeadingBlanks(capped(field(rs, "PathName")) + capped(field(rs, "FileName")));
    if (!b.isEmpty())
        out = out.isEmpty() ? b : out + crlf + b;
    return out;
}

void SelectionMarks::CurrentRowChanged(const platform::db::Bookmark & /*LastRow*/, int LastCol) {
    auto *rs = w_.Data1->recordset();
    if (!rs || rs->eof())
        return;
    const long count = rs->recordCount();
    if (count == 0) {
        w_.cmdShowArtistSongs->hide();
        return;
    }
    if (rs->bof())
        return;  // no current record to show
    w_.cmdShowArtistSongs->setVisible(!w_.cmdShowArtistSongs->text().isEmpty());
    // The grid keeps its current row in sight by itself; no display repair is needed here.

    if (!w_.isDuplicateView() && w_.Table1->col() == 0 && count > 0 && LastCol != -1 && w_.MarkColumnClicked) {
        auto &s = core::g();
        w_.MarkColumnClicked = false;
        toggleMark(*rs);
        w_.Data1->rowsChanged();
        if (s.SelectedCount < 1) {
            w_.lblSelectedCount->setText(QString());
            w_.cmdShowSelected->hide();
        } else {
            w_.cmdShowSelected->show();
        }
        // The cell cursor leaves the mark column; that move raises this event again, which
        // toggles nothing now.
        w_.Table1->setCol(1);
    }

    w_.txtName->setPlainText(nameBoxText(*rs));

    if (w_.cmdShowArtistSongs->text() != QLatin1String(ArtistFilter::ReturnCaption))
        w_.showArtistButton(w_.currentText(QStringLiteral("Artist")));

    w_.LoadSongPictures();
}

void SelectionMarks::ShowSelectedOnlyMenu_Click() {
    auto &s = core::g();
    if (s.SelectedCount <= 0)
        return;
    ui::setMousePointer(ui::MousePointer::Hourglass);
    s.WhereClause.clear();
    s.CriteriaClause.clear();
    s.CategoryClause.clear();
    // The view reads tblContacts directly, so the base name follows: a later clear marks or
    // hide selected must not rebuild the view over the category query.
    s.RecordSourceName = QStringLiteral("tblContacts");
    w_.Data1->setRecordSource(QStringLiteral("Select * from  tblContacts Where Selected = 'x' ") + s.OrderByClause);
    s.SelectedClause = QStringLiteral(" Where Selected = 'x' ");
    w_.Data1->refresh();
    w_.setCategoryCaption(QString());
    w_.cmdAdd->setEnabled(false);
    w_.lblFilterMsg->setText(QStringLiteral("Showing selected records only."));
    w_.lblFilterMsg->show();
    ui::setMousePointer(ui::MousePointer::Default);
}

void SelectionMarks::cmdShowSelected_Click() {
    ShowSelectedOnlyMenu_Click();
    w_.cmdShowSelected->hide();
    w_.cmdAdd->setEnabled(false);
    w_.Table1->setFocus();
}

void SelectionMarks::HideSelectedMenu_Click() {
    auto &s = core::g();
    if (w_.isDuplicateView() || s.SelectedCount < 1)
        return;
    ui::setMousePointer(ui::MousePointer::Hourglass);
    // A condition part that is a join has no Where of its own, so the mark condition brings one;
    // the words inside a quoted value (an artist, a find text) are no join.
    const bool join = mCommon::FindOutsideQuotes(s.WhereClause, QStringLiteral("inner join")) >= 0;
    if (s.WhereClause > QStringLiteral(" ") && !join)
        s.SelectedClause = QStringLiteral(" And Selected < 'x' ");
    else
        s.SelectedClause = QStringLiteral(" Where Selected < 'x' ");
    w_.Data1->setRecordSource(QStringLiteral("Select * from  ") + s.RecordSourceName + s.WhereClause +
                              s.SelectedClause + s.OrderByClause);
    w_.Data1->refresh();
    if (w_.lblCategory->text().left(19) == QLatin1String("Records containing "))
        w_.setCategoryCaption(QString());
    w_.lblFilterMsg->setText(QStringLiteral("Hiding selected records."));
    w_.lblFilterMsg->show();
    ui::setMousePointer(ui::MousePointer::Default);
}

void SelectionMarks::RemoveSelectionsMenu_Click() {
    auto &s = core::g();
    if (w_.isDuplicateView())
        return;
    ui::setMousePointer(ui::MousePointer::Hourglass);
    s.Db->execute(QStringLiteral("Update tblContacts Set Selected=' ' Where Selected='x'"));
    s.SelectedCount = 0;
    w_.lblSelectedCount->setText(QString());
    w_.Data1->setRecordSource(NameList::standardRecordSource());
    w_.Data1->refresh();
    s.SelectedClause.clear();
    w_.cmdShowSelected->hide();
    w_.cmdAdd->setEnabled(true);
    ui::setMousePointer(ui::MousePointer::Default);
}

} // namespace songlist
