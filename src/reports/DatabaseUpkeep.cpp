#include "reports/DatabaseUpkeep.h"

#include "core/AppState.h"
#include "core/CatalogueSchema.h"
#include "core/Main.h"
#include "core/MsgForm.h"
#include "core/ShippedCatalogue.h"
#include "core/StartupHooks.h"
#include "core/mCommonDialog.h"
#include "platform/db/Database.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>

#include <algorithm>

namespace reports {

namespace db = platform::db;
namespace ui = platform::ui;
using core::g;

namespace {

const QString kCrLf = QStringLiteral("\r\n");

// The shared progress window with a caption, painted once before the work starts.
void showProgress(const QString &caption, const QWidget *owner) {
    core::MsgForm *m = ui::form<core::MsgForm>();
    m->Msg->setFont(QFont(QStringLiteral("Arial"), 20));
    m->setWindowTitle(caption);
    m->Msg->setText(QStringLiteral("Please wait..."));
    ui::showModeless(m, owner);
    QCoreApplication::processEvents();
}

void closeProgress() { ui::unloadForm(QStringLiteral("MsgForm")); }

bool askYesNo(const QString &text, const QString &title) {
    return ui::msgBox(text, ui::Buttons::YesNo, ui::Icon::Information, title, ui::DefaultButton::Second) ==
           ui::Answer::Yes;
}

// The player keeps a recordset on the catalogue, which compaction needs closed.
bool refusedWhilePlayerOpen() {
    if (!ui::isLoaded(QStringLiteral("PlayForm")))
        return false;
    ui::msgBox(QStringLiteral("Make sure the Music Player is closed before running the Compact process."),
               ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Player is open"));
    return true;
}

// Unloads the main window, with its own flag raised around the unload when `compacting` (Open
// Database has raised ReopeningDatabase instead), so that the unload does not end the program;
// then closes the catalogue. False (nothing closed) when the window refused to close.
bool closeForRestart(songlist::NameList &w, bool compacting) {
    QPointer<songlist::NameList> window(&w);
    if (compacting)
        w.CompactingDatabase = true;
    const bool closed = ui::unloadForm(&w);
    // The unloaded window lives on until the event loop runs again, so its flag can go back.
    if (window && compacting)
        window->CompactingDatabase = false;
    if (!closed)
        return false;
    auto &s = g();
    if (s.ContactsTable) {
        try { s.ContactsTable->close(); } catch (...) {}
        s.ContactsTable.reset();
    }
    if (s.Db) {
        s.Db->close();
        s.Db.reset();
    }
    return true;
}

// Runs the start-up on DatabasePath without letting a failed opening end the program: the
// caller has a catalogue to fall back on. True when the main window is shown.
bool startWithoutEnding() {
    auto &hook = core::hooks().endProgram;
    const auto saved = hook;
    hook = {};
    struct Restore {
        std::function<void(int)> &hook;
        std::function<void(int)> saved;
        ~Restore() { hook = saved; }
    } restore{hook, saved};
    return modMain::Main() == modMain::StartResult::MainWindowShown;
}

} // namespace

DatabaseUpkeep::ReplaceStep &DatabaseUpkeep::replaceStepHook() {
    static ReplaceStep hook;
    return hook;
}

QString DatabaseUpkeep::sizesMessage(const QString &firstLine, qint64 oldSize, qint64 newSize) {
    const QLocale locale;
    return firstLine + kCrLf + kCrLf + QStringLiteral("Old file size: ") + locale.toString(oldSize) +
           QStringLiteral(" bytes") + kCrLf + QStringLiteral("New file size: ") + locale.toString(newSize) +
           QStringLiteral(" bytes");
}

qint64 DatabaseUpkeep::compactInPlace(const QString &path) {
    // The copy lies beside the file itself (where a link leads), so that one rename replaces it.
    const QString real = QFileInfo(path).canonicalFilePath().isEmpty() ? path : QFileInfo(path).canonicalFilePath();
    const QString copy = real + QStringLiteral(".temp");
    // Refuses (3204) when a copy is left from an earlier run: that one is not ours to remove, but
    // the user is told where it comes from and what to do, or every later compaction stops here.
    if (QFileInfo::exists(copy) || QFileInfo(copy).isSymLink())
        throw db::DbError(db::err::DatabaseExists,
                          QStringLiteral("Database '%1' already exists.  It was left by a compaction that did not "
                                         "finish; your catalogue itself is whole.  Move or delete that file, then "
                                         "compact again.")
                              .arg(copy));
    // A catalogue made before the grid's sort indexes gets them in the copy: over many songs that
    // takes a while, which the compaction's progress window already covers.
    db::Database::compactDatabase(real, copy, core::CatalogueSchema::sql());
    try {
        if (const ReplaceStep &step = replaceStepHook())
            step(copy, real);
        else
            db::Database::replaceWithCopy(copy, real);
    } catch (...) {
        QFile::remove(copy);
        throw;
    }
    return QFileInfo(real).size();
}

void DatabaseUpkeep::compactAndRestart(const QString &progressCaption, const QString &title,
                                       const QString &firstLine, bool emptyFirst) {
    auto &s = g();
    const QString path = s.DatabasePath;
    bool closed = false;
    try {
        // A catalogue the start-up would refuse must not be closed: the program could not
        // come back on it.
        if (const auto why = modMain::catalogueWriteProblem(path))
            throw db::DbError(db::err::ReadOnly, *why);
        ui::setMousePointer(ui::MousePointer::Hourglass);
        if (emptyFirst) {
            showProgress(progressCaption, &w_);
            s.Db->execute(QStringLiteral("Delete * from tblContacts"));
        }
        if (!closeForRestart(w_, true)) {
            closeProgress();
            ui::setMousePointer(ui::MousePointer::Default);
            return;
        }
        closed = true;
        // Lengths of the closed file: an open catalogue keeps recent writes in its log.
        const qint64 oldSize = QFileInfo(path).size();
        if (!emptyFirst)
            showProgress(progressCaption, nullptr);
        const qint64 newSize = compactInPlace(path);
        ui::setMousePointer(ui::MousePointer::Default);
        closeProgress();
        ui::msgBox(sizesMessage(firstLine, oldSize, newSize), ui::Buttons::OK, ui::Icon::None, title);
    } catch (const std::exception &e) {
        closeProgress();
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Database Compact Error"));
        if (!closed)
            return;
    }
    // Back on the catalogue: compacted, or as it was when a step failed.
    modMain::Main();
}

void DatabaseUpkeep::mnuCompactDatabase_Click() {
    if (!askYesNo(QStringLiteral("This will reclaim ununsed space from deleted records in your database, and often "
                                 "reduces the size of your database file.  This should be done periodically.  Make "
                                 "sure no one else is using the database before proceeding, and that the Player is "
                                 "closed and not playing any songs.") +
                      kCrLf + kCrLf + QStringLiteral("Proceed?"),
                  QStringLiteral("Compact Database Confirmation")))
        return;
    if (refusedWhilePlayerOpen())
        return;
    compactAndRestart(QStringLiteral("Compacting Database"), QStringLiteral("Compact Database"),
                      QStringLiteral("Database compacted."), false);
}

void DatabaseUpkeep::mnuDeleteAll_Click() {
    if (!askYesNo(QStringLiteral("This will DELETE ALL the records in your database.  This will not delete the actual "
                                 "music and will not delete your playlists.") +
                      kCrLf + kCrLf +
                      QStringLiteral("Are you SURE you want to delete all your song data from this database?"),
                  QStringLiteral("Delete ALL Confirmation")))
        return;
    if (!askYesNo(QStringLiteral("Have to ask one more time:") + kCrLf + kCrLf +
                      QStringLiteral("Are you SURE you want to WIPE OUT ALL YOUR DATA so you can start fresh with an "
                                     "empty database?"),
                  QStringLiteral("Are you REALLY sure?")))
        return;
    if (refusedWhilePlayerOpen())
        return;
    compactAndRestart(QStringLiteral("Deleting Data and Compacting Database"),
                      QStringLiteral("Empty and Compact Database"), QStringLiteral("Database emptied and compacted."),
                      true);
}

void DatabaseUpkeep::OpenDatabase_Click() {
    auto &s = g();
    QString fileName, fileTitle;
    QString filter = QStringLiteral("Database files (*.mdb)|*.mdb|All Files (*.*)|*.*");
    bool readOnly = false;
    int filterIndex = 1;
    int flags = 0;
    const QString previousPath = s.DatabasePath;
    const QString previousFolder = s.DataFolder;
    try {
        if (!mCommonDialog::VBGetOpenFileName(fileName, fileTitle, true, false, readOnly, true, filter, filterIndex,
                                              s.DataFolder, QStringLiteral("Open database file"), QString(), nullptr,
                                              flags))
            return;
        w_.ShowAllMenu_Click();
        s.DatabasePath = fileName;
        // The empty catalogue that comes with the program is opened as a copy in the data
        // folder, which stays where it is.
        if (!core::ShippedCatalogue::is(fileName))
            s.DataFolder = fileName.left(fileName.lastIndexOf(QLatin1Char('/')) + 1);
        s.ReopeningDatabase = true;
        s.PlayerSelectedList.clear();
        s.CurrentPlayList.clear();
        ui::unloadForm(QStringLiteral("PlayForm"));
        if (!closeForRestart(w_, false))
            throw db::DbError(db::err::GeneralError, QString());
    } catch (...) {
        // Nothing was closed: the command ends without a message, on the catalogue that is open.
        if (s.Db && s.Db->isOpen()) {
            s.DatabasePath = previousPath;
            s.DataFolder = previousFolder;
            s.ReopeningDatabase = false;
            return;
        }
    }
    if (startWithoutEnding())
        return;
    // The chosen file could not be opened (its own message has been shown): back on the
    // catalogue that was open, which ends the program only if that fails too.
    s.DatabasePath = previousPath;
    s.DataFolder = previousFolder;
    modMain::Main();
}

QList<QVariant> DatabaseUpkeep::displayedRecordIds() const {
    QList<QVariant> ids;
    const db::Recordset *rs = w_.Data1->recordset();
    if (!rs)
        return ids;
    const int field = rs->fieldOrdinal(QStringLiteral("RecordID"));
    if (field < 0)
        throw db::DbError(db::err::ItemNotFound, QStringLiteral("Item not found in this collection: 'RecordID'."));
    const long n = rs->recordCount();
    ids.reserve(n);
    for (long i = 0; i < n; ++i)
        ids << rs->valueAt(i, field);
    return ids;
}

void DatabaseUpkeep::mnuDeleteDisplayed_Click() {
    auto &s = g();
    const long n = w_.Data1->recordCount();
    if (n <= 0)
        return;
    const QString count = QString::number(n);
    const QString word = n == 1 ? QStringLiteral("record") : QStringLiteral("records");
    if (!askYesNo(QStringLiteral("This will DELETE the ") + count + QLatin1Char(' ') + word +
                      QStringLiteral(" currently displayed on the Grid.  This will not delete any of the actual music "
                                     "files, just their entry in this database.") +
                      kCrLf + kCrLf + QStringLiteral("Are you SURE you want to delete the ") + count +
                      QStringLiteral(" song ") + word + QStringLiteral(" currently displayed on the Grid?"),
                  QStringLiteral("Delete Confirmation")))
        return;
    if (!askYesNo(QStringLiteral("About to DELETE ") + count + QLatin1Char(' ') + word +
                      QStringLiteral(".  Please confirm one more time:") + kCrLf + kCrLf +
                      QStringLiteral("Are you SURE you want to DELETE every record that is currently displayed?"),
                  QStringLiteral("Are you REALLY sure?")))
        return;
    ui::setMousePointer(ui::MousePointer::Hourglass);
    showProgress(QStringLiteral("Deleting Displayed Records"), &w_);
    try {
        // Exactly the rows the grid shows, whatever its record source: a WHERE part cut from the
        // source text misses joins and bare query names, and would then empty the catalogue.
        const QString source = w_.Data1->recordSource();
        QList<QVariant> ids = displayedRecordIds();
        // In key order the deletes walk the table's pages once instead of jumping about.
        std::sort(ids.begin(), ids.end(),
                  [](const QVariant &a, const QVariant &b) { return a.toLongLong() < b.toLongLong(); });
        QList<QVariantList> rows;
        rows.reserve(ids.size());
        for (const QVariant &id : ids)
            rows << QVariantList{id};
        {
            db::Transaction t(*s.Db);
            s.Db->executeEach(QStringLiteral("Delete from tblContacts Where RecordID = ?"), rows);
            t.commit();
        }
        if (source.toUpper().contains(QLatin1String("WHERE SELECTED ="))) {
            s.SelectedCount = 0;
            w_.lblSelectedCount->setText(QString());
            s.SelectedClause.clear();
            w_.cmdShowSelected->hide();
            w_.cmdAdd->setEnabled(true);
        }
        w_.Data1->refresh();
        w_.txtName->setPlainText(QString());
        w_.clearArtistButton();
        w_.lblFilterMsg->setText(QString());
        w_.cmdShowArtistSongs->hide();
        ui::setMousePointer(ui::MousePointer::Default);
        closeProgress();
        ui::msgBox(QStringLiteral("Records Deleted."), ui::Buttons::OK, ui::Icon::None, QStringLiteral("Delete Records"));
    } catch (const std::exception &e) {
        closeProgress();
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Record Delete Error"));
    }
}

void DatabaseUpkeep::mnuDeleteDuplicates_Click() { deleteDuplicates(false); }
void DatabaseUpkeep::mnuDeleteDuplicatesAlbum_Click() { deleteDuplicates(true); }

void DatabaseUpkeep::deleteDuplicates(bool albums) {
    const QString preview =
        albums ? QStringLiteral("qryShowDuplicatesToBeDeletedAlbum") : QStringLiteral("qryShowDuplicatesToBeDeleted");
    const QString deleteQuery = albums ? QStringLiteral("qdelDuplicatesAlbum") : QStringLiteral("qdelDuplicates");
    try {
        ui::setMousePointer(ui::MousePointer::Hourglass);
        w_.Data1->setRecordSource(preview);
        w_.Data1->refresh();
        ui::setMousePointer(ui::MousePointer::Default);
        if (w_.Data1->recordCount() <= 0) {
            ui::msgBox(QStringLiteral("No duplicate songs to delete."), ui::Buttons::OK, ui::Icon::None,
                       QStringLiteral("No duplicates"));
            w_.ShowAllMenu_Click();
            return;
        }
        w_.Data1->moveLast();
        w_.Data1->moveFirst();
        const QString n = QString::number(w_.Data1->recordCount());
        const QString question =
            albums ? QStringLiteral("This will DELETE all ") + n +
                         QStringLiteral(" duplicate songs within the same album from Orvalis.  Duplicates are defined "
                                        "as two or more songs with the same Song Name, Artist, and Album Name.  All "
                                        "except one will be deleted.  This will not delete the actual music files from "
                                        "your computer.") +
                         kCrLf + kCrLf + QStringLiteral("Are you SURE you want to delete duplicates?")
                   : QStringLiteral("This will DELETE all ") + n +
                         QStringLiteral(" duplicate songs from Orvalis.  Duplicates are defined as two or more songs "
                                        "with the same Song Name, Artist, and File Size.  All except one will be "
                                        "deleted.  This will not delete the actual music files from your computer.  To "
                                        "see which records will be deleted, respond NO, then choose ") +
                         kCrLf + QStringLiteral("\"Show Duplicate Songs to Delete\" from the Edit menu.") + kCrLf +
                         kCrLf + QStringLiteral("Are you SURE you want to delete these duplicates?");
        if (!askYesNo(question, QStringLiteral("Delete Confirmation")))
            return;  // the preview stays in the grid
        ui::setMousePointer(ui::MousePointer::Hourglass);
        showProgress(QStringLiteral("Deleting Duplicate Records"), &w_);
        g().Db->execute(deleteQuery);
        w_.ShowAllMenu_Click();
        ui::setMousePointer(ui::MousePointer::Default);
        closeProgress();
        ui::msgBox(n + QStringLiteral(" Duplicates Deleted from the Orvalis database.  This does not delete the actual "
                                      "music file from your computer.  You can re-scan to put these duplicate songs "
                                      "back into Orvalis."),
                   ui::Buttons::OK, ui::Icon::None, QStringLiteral("Duplicates Deleted"));
    } catch (const std::exception &e) {
        closeProgress();
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::Critical,
                   QStringLiteral("Duplicate Record Delete Error"));
    }
}

} // namespace reports
