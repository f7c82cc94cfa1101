#include "reports/MissingFiles.h"

#include "core/AppState.h"
#include "core/MsgForm.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <sys/stat.h>

namespace reports {

namespace db = platform::db;
namespace ui = platform::ui;

const QString MissingFiles::JoinText = QStringLiteral(
    " INNER JOIN tblOrphanFileNames ON tblContacts.RecordID = tblOrphanFileNames.RecordIdOrphan ");

bool MissingFiles::fileMissing(const QVariant &pathName, const QVariant &fileName) {
    if (fileName.isNull())
        return true;
    const QString name = fileName.toString();
    if (name.isEmpty())
        return true;
    const QString full = (pathName.isNull() ? QString() : pathName.toString()) + name;
    const qsizetype slash = full.lastIndexOf(QLatin1Char('/'));
    const QStringView last = QStringView(full).mid(slash + 1);
    if (last.isEmpty() || last.startsWith(QLatin1Char('.')))
        return true;
    struct stat st {};
    if (::stat(QFile::encodeName(full).constData(), &st) != 0)
        return true;
    return !S_ISREG(st.st_mode);
}

long MissingFiles::fillOrphanTable(const std::function<void(long, long)> &progress) {
    db::Database &database = *core::g().Db;
    db::Transaction t(database);
    database.execute(QStringLiteral("Delete * from tblOrphanFileNames"));
    // Only the three fields the test needs are read.
    auto songs = database.openRecordset(QStringLiteral("Select RecordId, PathName, FileName from tblContacts"),
                                        db::RecordsetType::ForwardOnly);
    const long total = songs->recordCount();
    long done = 0, missing = 0;
    const QString insert = QStringLiteral("Insert Into tblOrphanFileNames (RecordIdOrphan) Values (?)");
    while (!songs->eof()) {
        if (fileMissing(songs->value(1), songs->value(2))) {
            database.execute(insert, {songs->value(0)});
            ++missing;
        }
        ++done;
        if (progress)
            progress(done, total);
        songs->moveNext();
    }
    songs->close();
    t.commit();
    return missing;
}

void MissingFiles::mnuFindInvalidFilenames_Click() {
    if (w_.recordCount() <= 0)
        return;
    auto &s = core::g();
    const songlist::RecordSourceParts parts = songlist::RecordSourceParts::capture();
    s.SavedRecordSource = w_.Data1->recordSource();

    QPointer<core::MsgForm> msg = ui::form<core::MsgForm>();
    QFont f = msg->Msg->font();
    f.setFamily(QStringLiteral("Arial"));
    f.setPointSize(20);
    msg->Msg->setFont(f);
    msg->Frame1->show();
    msg->Label1->show();
    msg->setWindowTitle(QStringLiteral("Checking for records with invalid file names..."));
    msg->Msg->setText(QStringLiteral("Please wait..."));
    ui::setMousePointer(ui::MousePointer::Hourglass);
    ui::showModeless(msg, &w_);
    QCoreApplication::processEvents();

    try {
        int lastWidth = -1;
        const long missing = fillOrphanTable([&](long done, long total) {
            if (!msg || msg->label1Width() >= core::MsgForm::FrameWidth || total <= 0)
                return;
            // The bar moves only when its width in twips changes, not once per song.
            const int width = int(double(done) / double(total) * core::MsgForm::BarFullWidth);
            if (width != lastWidth)
                msg->setLabel1Width(lastWidth = width);
        });
        if (missing == 0) {
            ui::unloadForm(msg);
            ui::msgBox(QStringLiteral("No records with invalid path/file names exist."), ui::Buttons::OK,
                       ui::Icon::Exclamation, QStringLiteral("No records found"));
            ui::setMousePointer(ui::MousePointer::Default);
            return;
        }
        showMissing();
        ui::unloadForm(msg);
    } catch (const db::DbError &e) {
        ui::unloadForm(msg);
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(db::withErrorNumber(e.description(), QStringLiteral(".  Error number:"), e.number()),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error"));
        restoreView(parts);
        return;
    } catch (...) {
        ui::unloadForm(msg);
        ui::setMousePointer(ui::MousePointer::Default);
        restoreView(parts);
        throw;
    }
    ui::setMousePointer(ui::MousePointer::Default);
}

void MissingFiles::showMissing() {
    auto &s = core::g();
    // The list covers every song with a missing file, whatever category was shown: the view is
    // built on the songs table alone, so a later sort keeps it.
    s.RecordSourceName = QStringLiteral("tblContacts");
    s.CategoryClause.clear();
    s.WhereClause = JoinText;
    w_.Data1->setRecordSource(QStringLiteral("Select * from tblContacts ") + s.WhereClause + s.OrderByClause);
    w_.Data1->refresh();
    // The caption is emptied first: its change rule would enable Add again.
    w_.setCategoryCaption(QString());
    w_.cmdAdd->setEnabled(false);
    w_.lblFilterMsg->setText(QStringLiteral("Records with invalid path/file names"));
    w_.lblFilterMsg->show();
}

void MissingFiles::restoreView(const songlist::RecordSourceParts &parts) {
    parts.restore();
    w_.Data1->setRecordSource(core::g().SavedRecordSource);
    w_.Data1->refresh();
}

} // namespace reports
