#include "songlist/RecordCommands.h"

#include "core/AppState.h"
#include "core/mCommon.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"
#include "songlist/SortOrders.h"

#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <optional>

namespace songlist {

namespace ui = platform::ui;
namespace db = platform::db;

using mCommon::TrimBlanks;
using platform::db::errorText;

// ============================================================================ add and edit

void RecordCommands::cmdAdd_Click() {
    auto &s = core::g();
    if (s.PlayerOpen) {
        ui::msgBox(QStringLiteral("Cannot Add records while playing songs. End the Player first."), ui::Buttons::OK,
                   ui::Icon::Information, QStringLiteral("Add not allowed"));
        return;
    }
    s.EditingExistingRecord = false;
    w_.MarkColumnClicked = false;
    QPushButton *const buttons[] = {w_.cmdDelete, w_.cmdAdd, w_.cmdEdit, w_.cmdExit};
    for (auto *b : buttons)
        b->setEnabled(false);
    // The four come back even when the editor fails.
    struct Enable {
        QPushButton *const (&list)[4];
        ~Enable() {
            for (auto *b : list)
                b->setEnabled(true);
        }
    } enable{buttons};
    OtherWindows::open(QString::fromLatin1(OtherWindows::NameEdit), QStringLiteral("Add a New Record"));
}

void RecordCommands::cmdEdit_Click() {
    auto &s = core::g();
    try {
        w_.MarkColumnClicked = false;
        if (w_.recordCount() > 0) {
            ui::setMousePointer(ui::MousePointer::Hourglass);
            s.EditingExistingRecord = true;
            const bool addWasEnabled = w_.cmdAdd->isEnabled();
            // The editor sets the normal pointer when it loads; without one nothing else would.
            if (!OtherWindows::open(QString::fromLatin1(OtherWindows::NameEdit),
                                    QStringLiteral("View/Edit an Existing Record")))
                ui::setMousePointer(ui::MousePointer::Default);
            if (!s.PlayFromEditor) {
                w_.cmdAdd->setEnabled(addWasEnabled);
                s.EditingExistingRecord = false;
            } else {
                s.PlayFromEditor = false;
            }
        } else if (s.ContactsTable && s.ContactsTable->recordCount() > 0) {
            ui::msgBox(QStringLiteral("There are no records displayed, so you can't View or Edit them.  Click the "
                                      "Show All button, or change the Category or Filter to display records first."),
                       ui::Buttons::OK, ui::Icon::Information, QStringLiteral("No records to View or Edit"));
        } else {
            ui::msgBox(QStringLiteral("Add songs automatically by choosing one of the options on the File menu."),
                       ui::Buttons::OK, ui::Icon::None, QStringLiteral("Empty Database"));
        }
    } catch (const std::exception &e) {
        ui::msgBox(errorText(e), ui::Buttons::OK, ui::Icon::None, QStringLiteral("Microsoft error message"));
    }
}

// ============================================================================ delete

void RecordCommands::cmdDelete_Click() {
    auto &s = core::g();
    if (w_.recordCount() > 0) {
        const QString name = TrimBlanks(w_.currentText(QStringLiteral("SongName")));
        const auto answer = ui::msgBox(QStringLiteral("Are you sure you want to delete this record?\r") + name,
                                       ui::Buttons::YesNo, ui::Icon::Question, QStringLiteral("Confirmation"),
                                       ui::DefaultButton::First);
        if (answer == ui::Answer::Yes) {
            auto *rs = w_.Data1->recordset();
            if (w_.Table1->allowUpdate()) {
                // An edit still open in the grid row is stored before the row goes.
                w_.Table1->endCellEdit();
                if (w_.Data1->hasCurrentRow()) {
                    const db::Bookmark here = rs->bookmark();
                    w_.Data1->moveNext();
                    w_.Data1->setBookmark(here);
                }
            }
            if (w_.isDuplicateView()) {
                const QString id = w_.currentText(QStringLiteral("RecordID"));
                // The row to return to is chosen while the view still shows the deleted song:
                // the one after it, or the one before when it was the last.
                std::optional<QString> target;
                const long pos = rs->absolutePosition();
                const int idOrdinal = rs->fieldOrdinal(QStringLiteral("RecordID"));
                if (pos >= 0 && idOrdinal >= 0) {
                    if (pos + 1 < rs->recordCount())
                        target = rs->valueAt(pos + 1, idOrdinal).toString();
                    else if (pos > 0)
                        target = rs->valueAt(pos - 1, idOrdinal).toString();
                }
                s.Db->execute(QStringLiteral("Delete * from tblContacts where RecordID = ") + id);
                w_.MarkColumnClicked = false;
                ui::setMousePointer(ui::MousePointer::Hourglass);
                w_.Data1->refresh();
                ui::setMousePointer(ui::MousePointer::Default);
                if (target)
                    w_.Data1->findFirst(QStringLiteral("RecordID=") + *target);
            } else {
                w_.Data1->deleteCurrent();
                w_.Data1->moveNext();
            }
            w_.txtName->setPlainText(QStringLiteral("Record Deleted!"));
            rs = w_.Data1->recordset();
            if (rs && rs->eof() && rs->recordCount() > 0)
                w_.Data1->movePrevious();
            if (w_.recordCount() == 0) {
                w_.cmdPlay->setEnabled(false);
                w_.cmdPlayAll->setEnabled(false);
                w_.cmdShowArtistSongs->hide();
            }
        }
    } else {
        ui::msgBox(QStringLiteral("There are no records displayed, so there is nothing to delete.  Click the Show All "
                                  "button."),
                   ui::Buttons::OK, ui::Icon::Information, QStringLiteral("No records to delete"));
    }
    w_.txtLocate->setFocus();
}

// ============================================================================ count

QString RecordCommands::sizeQuery(const QString &recordSource) {
    const qsizetype from = recordSource.toUpper().indexOf(QLatin1String("FROM"));
    QString q = QStringLiteral("SELECT Sum(FileSizeNum) AS SumOfFileSizeNum ") +
                (from < 0 ? recordSource : recordSource.mid(from));
    // The tail is cut where the sort cuts it: an "order by" inside a quoted value (a find text,
    // an artist) belongs to the condition.
    const qsizetype order = SortOrders::findOrderBy(q);
    if (order > 0)
        q = q.left(order);
    return q;
}

QString RecordCommands::countText(long total, bool duplicateView, const QVariant &sizeMB) {
    if (total == 1)
        return QStringLiteral("There is 1 record displayed in the current list.");
    const QLocale loc;
    const QString songs =
        QStringLiteral("There are ") + loc.toString(qlonglong(total)) + QStringLiteral(" songs displayed in the current list.");
    if (duplicateView)
        return songs;
    const QString crlf = QStringLiteral("\r\n");
    // A Null sum (no song has a size) shows as nothing, as the size pattern formats Null.
    const QString size = sizeMB.isNull() ? QString() : loc.toString(sizeMB.toDouble(), 'f', 1);
    return songs + crlf + crlf + QStringLiteral("Total file size of all songs displayed in current list: ") + size +
           QStringLiteral(" MB.");
}

QString RecordCommands::normalisedSelectedClause(const QString &selectedClause, const QString &whereClause) {
    if (!(selectedClause > QStringLiteral(" ")))
        return selectedClause;
    const QString op = selectedClause.contains(QLatin1Char('<')) ? QStringLiteral("<") : QStringLiteral("=");
    if (whereClause > QStringLiteral(" "))
        return QStringLiteral(" And Selected ") + op + QStringLiteral(" 'x' ");
    return QStringLiteral(" Where Selected ") + op + QStringLiteral(" 'x' ");
}

void RecordCommands::DisplayRecCntMenu_Click() {
    auto &s = core::g();
    if (!(w_.recordCount() > 0)) {
        ui::msgBox(QStringLiteral("There are no records displayed in the current list."), ui::Buttons::OK,
                   ui::Icon::None, QStringLiteral("Record Count"));
        return;
    }
    ui::setMousePointer(ui::MousePointer::Hourglass);
    s.SelectedClause = normalisedSelectedClause(s.SelectedClause, s.WhereClause);
    // The recordset's count is exact at any time; the current row stays where it is.
    const long total = w_.recordCount();
    QVariant size;
    const bool duplicate = w_.isDuplicateView();
    if (total > 1 && !duplicate) {
        auto rs = s.Db->openRecordset(sizeQuery(w_.Data1->recordSource()), db::RecordsetType::Snapshot);
        if (rs->recordCount() > 0) {
            rs->moveFirst();
            size = rs->value(QStringLiteral("SumOfFileSizeNum"));
        }
        rs->close();
    }
    const QString text = countText(total, duplicate, size);
    ui::setMousePointer(ui::MousePointer::Default);
    ui::msgBox(text, ui::Buttons::OK, ui::Icon::None, QStringLiteral("Record Count"));
}

} // namespace songlist
