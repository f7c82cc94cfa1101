#include "player/PlayListReports.h"

#include "core/AppState.h"
#include "core/mCommon.h"
#include "platform/db/DbError.h"
#include "platform/richtext/ReportText.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/richtext/RtfWriter.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "player/PlayListStore.h"
#include "player/frmPlayList.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QStringBuilder>

#include <optional>

namespace player {

using core::g;
namespace ui = platform::ui;
namespace db = platform::db;

namespace {

const QString LineEnd = QStringLiteral("\r\n");
constexpr long Black = 0;
constexpr long Blue = 0xFF0000;   // colours are &HBBGGRR
constexpr long White = 0xFFFFFF;

QString text(const QVariant &v) { return v.isNull() ? QString() : v.toString(); }

} // namespace

// ============================================================================ the grid view

QString PlayListReports::sortPart(const QString &oldSource) {
    const qsizetype at = mCommon::FindOutsideQuotes(oldSource, QStringLiteral("order by"));
    if (at < 0)
        return {};
    QString sort = QStringLiteral(" ") + oldSource.mid(at);
    if (mCommon::FindOutsideQuotes(sort, QStringLiteral("tblContacts!")) >= 0)
        return sort;
    const QString from = QStringLiteral("order by ");
    const QString to = QStringLiteral("order by tblContacts!");
    QString out;
    qsizetype done = 0;
    for (;;) {
        const qsizetype rel = mCommon::FindOutsideQuotes(sort.mid(done), from);
        if (rel < 0)
            break;
        out += sort.mid(done, rel) + to;
        done += rel + from.size();
    }
    return out + sort.mid(done);
}

QString PlayListReports::viewSource(long listId, const QString &oldSource) {
    return QStringLiteral("SELECT DISTINCTROW tblContacts.* FROM tblContacts INNER JOIN tblPlayListDetail ON "
                          "tblContacts.RecordID = tblPlayListDetail.ContactRecordID ") +
           QStringLiteral(" WHERE tblPlayListDetail.ListID=") + QString::number(listId) + QStringLiteral(" ") +
           sortPart(oldSource);
}

void PlayListReports::mnuFileDisplayOnly_Click() {
    auto &s = g();
    auto *main = songlist::NameList::instance();
    if (!main)
        return;
    const QString listName = w_.cmbHeader->currentText();
    const long listId = PlayListStore::findList(*s.Db, listName);
    if (listId == 0)
        return;
    const QString oldSource = main->Data1->recordSource();
    const auto putBack = [&] {
        main->Data1->setRecordSource(oldSource);
        try {
            main->Data1->refresh();
        } catch (const db::DbError &) {
            // the grid keeps the rows it showed
        }
        ui::setMousePointer(ui::MousePointer::Default);
    };
    try {
        ui::setMousePointer(ui::MousePointer::Hourglass);
        main->Data1->setRecordSource(viewSource(listId, oldSource));
        main->Data1->refresh();
        if (main->Data1->recordCount() == 0) {
            ui::msgBox(QStringLiteral("No records found in database for this PlayList."), ui::Buttons::OK,
                       ui::Icon::Exclamation, QStringLiteral("No records found"));
            putBack();
            return;
        }
    } catch (const db::DbError &e) {
        putBack();
        ui::msgBox(db::withErrorNumber(e.description(), QStringLiteral(".  Error number:"), e.number()),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error"));
        return;
    }
    s.WhereClause = QStringLiteral(" WHERE tblPlayListDetail.ListID=") + QString::number(listId) + QStringLiteral(" ");
    s.SelectedClause.clear();
    s.CriteriaClause.clear();
    s.CategoryClause.clear();
    main->lblFilterMsg->setVisible(true);
    main->lblFilterMsg->setText(QStringLiteral("PlayList:") + listName);
    main->setCategoryCaption(QString());
    main->clearArtistButton();
    w_.close();
    ui::setMousePointer(ui::MousePointer::Default);
}

// ============================================================================ reports

void PlayListReports::mnuReportsDetail_Click() {
    if (aboveBlank(g().CurrentPlayList))
        PrintPlayList(QStringLiteral("Detail"));
}

void PlayListReports::mnuReportsDetailWithFilenames_Click() {
    if (aboveBlank(g().CurrentPlayList))
        PrintPlayList(QStringLiteral("DetailWithFileNames"));
}

void PlayListReports::writeReport(platform::richtext::RichTextDocument &doc, const QTextCharFormat &start,
                                  const QString &listName, const QList<Track> &tracks, const QString &ReportType) {
    const bool withFiles = ReportType == QLatin1String("DetailWithFileNames");
    const int groupSize = withFiles ? 20 : 40;
    const bool undo = doc.isUndoRedoEnabled();
    doc.setUndoRedoEnabled(false);  // a report is written, not typed
    {
        platform::richtext::ReportText out(doc, start);
        // Only the attributes that differ from the last ones set are set again: setting one
        // to what it is already changes nothing, and costs a format merge per line.
        struct Attributes {
            double size = 0;
            bool bold = false;
            long color = 0;
        };
        std::optional<Attributes> last;
        const auto format = [&out, &last](double size, bool bold, long color) {
            if (!last) {
                out.font(QStringLiteral("Arial"));
                out.size(size);
                out.bold(bold);
                out.color(color);
                last = Attributes{size, bold, color};
                return;
            }
            if (last->size != size)
                out.size(size);
            if (last->bold != bold)
                out.bold(bold);
            if (last->color != color)
                out.color(color);
            *last = Attributes{size, bold, color};
        };
        if (!tracks.isEmpty()) {
            format(12, true, Blue);
            out.append(listName + LineEnd + LineEnd);
        }
        int count = 0;
        for (const Track &t : tracks) {
            format(10, false, Black);
            out.append(QStringLiteral(" ") % text(t.SongTitle) % QStringLiteral(" [by] ") % text(t.ArtistName) % LineEnd);
            if (withFiles) {
                format(8, false, Black);
                out.append(QStringLiteral("      File name: ") % text(t.FileName) % LineEnd);
            }
            if (++count == groupSize) {
                out.color(White);
                last->color = White;
                out.append(LineEnd + LineEnd + LineEnd + QChar(12));
                count = 0;
            }
        }
    }
    doc.setUndoRedoEnabled(undo);
}

void PlayListReports::readTracks(db::Database &d, const QString &name, QString &listName, QList<Track> &tracks) {
    // The list is found by its name first and its tracks then read in order through the
    // (ListID, ListTrackID) index: a join filtered by name reads the tracks of every list and
    // sorts the ones it keeps. Lists that share one name still report together, in track
    // order, through the join.
    QVariant listId;
    {
        auto rs = d.openRecordset(QStringLiteral("select ListID, ListName from tblPlayListHeader Where ListName=?"),
                                  {name}, db::RecordsetType::Snapshot);
        if (rs->recordCount() == 1) {
            listId = rs->value(0);
            listName = text(rs->value(1));
        }
        rs->close();
    }
    const auto read = [&tracks](db::Recordset &rs, int first) {
        tracks.reserve(tracks.size() + rs.recordCount());
        for (; !rs.eof(); rs.moveNext())
            tracks.append({rs.value(first), rs.value(first + 1), rs.value(first + 2)});
        rs.close();
    };
    if (!listId.isNull()) {
        auto rs = d.openRecordset(QStringLiteral("SELECT SongTitle, ArtistName, FileName FROM tblPlayListDetail "
                                                 "Where ListID = ? Order By ListTrackID"),
                                  {listId}, db::RecordsetType::ForwardOnly);
        read(*rs, 0);
        if (tracks.isEmpty())
            listName.clear();
        return;
    }
    auto rs = d.openRecordset(
        QStringLiteral("SELECT tblPlayListHeader.ListName, tblPlayListDetail.SongTitle, "
                       "tblPlayListDetail.ArtistName, tblPlayListDetail.FileName FROM tblPlayListHeader "
                       "INNER JOIN tblPlayListDetail ON tblPlayListHeader.ListID = tblPlayListDetail.ListID "
                       "Where ListName = ? Order By tblPlayListDetail.ListTrackID"),
        {name}, db::RecordsetType::ForwardOnly);
    if (!rs->eof())
        listName = text(rs->value(0));
    read(*rs, 1);
}

void PlayListReports::PrintPlayList(const QString &ReportType) {
    auto &s = g();
    // The report is written into a document of its own, with the box's default font, and only
    // its RTF is handed on: no box lays it out.
    platform::richtext::RichTextDocument doc;
    doc.setDefaultFont(platform::richtext::RichTextBox().document()->defaultFont());
    const QTextCharFormat start = platform::richtext::ReportText::fontChange(QStringLiteral("Arial"));
    try {
        QString listName;
        QList<Track> tracks;
        {
            ui::HourglassPointer busy;
            readTracks(*s.Db, s.CurrentPlayList, listName, tracks);
            writeReport(doc, start, listName, tracks, ReportType);
        }
        ui::setMousePointer(ui::MousePointer::Default);
        songlist::OtherWindows::open(QString::fromLatin1(songlist::OtherWindows::RichTextForm),
                                     QString::fromLatin1(platform::richtext::RtfWriter::write(doc)));
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Error"));
    }
}

} // namespace player
