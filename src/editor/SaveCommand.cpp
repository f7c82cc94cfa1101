#include "editor/SaveCommand.h"

#include "core/AppState.h"
#include "core/FileError.h"
#include "core/PendingFileMoves.h"
#include "core/mCommon.h"
#include "core/modMain.h"
#include "editor/NameEdit.h"
#include "editor/RecordDisplay.h"
#include "editor/SongFileMove.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"

#include <QFileInfo>
#include <QLineEdit>

namespace editor {

namespace ui = platform::ui;
namespace db = platform::db;
using mCommon::TrimBlanks;
using songlist::NameList;

namespace {

// A field of the grid's current row, the edited song's stored value.
QVariant stored(const char *field) { return mainGridRows().value(QString::fromLatin1(field)); }

QString withoutLeadingBlanks(const QString &text) {
    qsizetype i = 0;
    while (i < text.size() && text.at(i) == QLatin1Char(' '))
        ++i;
    return text.mid(i);
}

void refuse(const QString &text, const QString &title, ui::Icon icon = ui::Icon::Exclamation) {
    ui::msgBox(text, ui::Buttons::OK, icon, title);
}

// The other songs stored with exactly this folder and file name (the catalogue's comparison
// ignores letter case, which on this system names other files).
QList<qint64> otherSongs(const QString &folder, const QString &fileName, const QVariant &own) {
    QList<qint64> ids;
    auto rs = core::g().Db->openRecordset(SaveCommand::otherSongsSql(), {folder, fileName, own});
    for (; !rs->eof(); rs->moveNext())
        if (rs->value(1).toString() == folder && rs->value(2).toString() == fileName)
            ids << rs->value(0).toLongLong();
    return ids;
}

// Drops the record of a move that did not happen or was undone. A record that cannot be
// dropped is harmless: the next start finds the file at the old path and changes nothing.
void forgetQuietly(const QList<core::PendingFileMove> &pending) {
    try {
        platform::db::Transaction t(*core::g().Db);
        core::PendingFileMoves::clear(pending);
        t.commit();
    } catch (const std::exception &) {
    }
}

QString errorTextOf(const std::exception &e) {
    if (const auto *f = dynamic_cast<const core::FileError *>(&e))
        return f->description();
    return db::errorText(e);
}

} // namespace

QString SaveCommand::idQuerySql(bool leaveOutOwnRow) {
    return leaveOutOwnRow ? QStringLiteral("SELECT ID, SongName from tblContacts Where ID=? And RecordID<>?")
                          : QStringLiteral("SELECT ID, SongName from tblContacts Where ID=?");
}

QString SaveCommand::playListUpdateSql() { return core::PendingFileMoves::playListUpdateSql(); }

QString SaveCommand::otherSongsSql() {
    return QStringLiteral("Select RecordID, PathName, FileName from tblContacts Where PathName=? And FileName=? And "
                          "RecordID<>?");
}

QString SaveCommand::otherSongsText(qsizetype count) {
    return count == 1 ? QStringLiteral("1 other song uses this file.")
                      : QStringLiteral("%1 other songs use this file.").arg(count);
}

std::function<void()> &SaveCommand::afterFileMovedHook() {
    static std::function<void()> hook;
    return hook;
}

QString SaveCommand::categoryNumber(const QString &categoryClause) {
    const qsizetype eq = categoryClause.indexOf(QLatin1Char('='));
    return eq < 0 ? QString() : categoryClause.mid(eq + 1).trimmed();
}

SaveCommand::Result SaveCommand::save(bool closeAfter) {
    auto &s = core::g();
    const Result result = checkAndWrite();
    if (result == Result::Unchanged && closeAfter)
        w_.close();
    if (result != Result::Written)
        return result;
    NameList *main = NameList::instance();
    try {
        if (closeAfter) {
            ui::setMousePointer(ui::MousePointer::Default);
            w_.close();
            return result;
        }
        if (main) {
            main->Data1->refresh();
            main->Data1->findFirst(QStringLiteral("RecordID=") + QString::number(s.LastSavedRecordId));
        }
        s.NewRecordAdded = false;
        ui::setMousePointer(ui::MousePointer::Default);
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(errorTextOf(e), ui::Buttons::OK, ui::Icon::None, QStringLiteral("Error"));
        w_.close();
    }
    return result;
}

SaveCommand::Result SaveCommand::checkAndWrite() {
    auto &s = core::g();
    NameList *main = NameList::instance();
    if (main && NameEdit::isDuplicateView(main->Data1->recordSource()))
        s.RecordChanged = false; // nothing is written there: the window just closes

    if (withoutLeadingBlanks(w_.txtSongName->text()).isEmpty()) {
        refuse(QStringLiteral("You cannot add a Song that does not have a Name."),
               QStringLiteral("Song Name was not specified"));
        return Result::Refused;
    }
    if (!s.RecordChanged)
        return Result::Unchanged;

    std::optional<Move> move;
    missingFile_.clear();
    try {
        // A folder typed without its final "/" gets it, so PathName & FileName names the file.
        const QString folder = w_.txtPathName->text();
        if (mCommon::FolderExists(folder) && !folder.endsWith(QLatin1Char('/')))
            NameEdit::setBoxText(w_.txtPathName, folder + QLatin1Char('/'));
        if (renameCheck(move) == Outcome::Refused || folderAndFileCheck() == Outcome::Refused ||
            idCheck() == Outcome::Refused)
            return Result::Refused;
    } catch (const std::exception &e) {
        ui::msgBox(errorTextOf(e), ui::Buttons::OK, ui::Icon::None, QStringLiteral("Error"));
        return Result::Failed;
    }

    try {
        writeAll(move);
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(errorTextOf(e), ui::Buttons::OK, ui::Icon::None, QStringLiteral("Error"));
        if (move)
            w_.txtFileName->setFocus();
        return Result::Failed;
    }
    s.RecordSaved = true;
    s.RecordChanged = false;
    if (!missingFile_.isEmpty())
        ui::msgBox(QStringLiteral("The music file \"%1\" was not found, so nothing was renamed or moved on disk.  "
                                  "The song was saved with its new file name and folder.")
                       .arg(missingFile_),
                   ui::Buttons::OK, ui::Icon::Information, QStringLiteral("File not found"));
    return Result::Written;
}

SaveCommand::Outcome SaveCommand::renameCheck(std::optional<Move> &move) {
    auto &s = core::g();
    if (s.FileRenameDisabled || !s.EditingExistingRecord)
        return Outcome::Go;
    const QVariant storedFile = stored("FileName"), storedFolder = stored("PathName");
    const QString fileName = w_.txtFileName->text(), folder = w_.txtPathName->text();
    // A Null stored value counts as no difference.
    const bool fileDiffers = !storedFile.isNull() && storedFile.toString() != fileName;
    const bool folderDiffers = !storedFolder.isNull() && storedFolder.toString() != folder;
    if (!fileDiffers && !folderDiffers)
        return Outcome::Go;

    const QString from = modMain::NullToEmpty(storedFolder).toString() + modMain::NullToEmpty(storedFile).toString();
    const QString to = folder + fileName;
    const bool renamable = !modMain::NullToEmpty(storedFile).toString().isEmpty() && !fileName.isEmpty() &&
                           mCommon::FolderExists(folder) && mCommon::IsValidFileName(fileName);
    if (renamable && !mCommon::FileAt(from)) {
        missingFile_ = from;
        return Outcome::Go;
    }
    if (renamable) {
        // Another entry at the new path (a file, or a link even to this very file) is never
        // replaced; only another spelling of the song's own entry may be renamed.
        if (mCommon::EntryExists(to) && !mCommon::SameEntry(from, to)) {
            refuse(QStringLiteral("The file \"%1\" already exists.  This song's file was not renamed or moved.\r\n"
                                  "To point this song at that file, turn off file renaming in the Options menu, then "
                                  "save.")
                       .arg(to),
                   QStringLiteral("File already exists"));
            w_.txtFileName->setFocus();
            return Outcome::Refused;
        }
        move = Move{from, to, {}};
        const QList<qint64> others = otherSongs(storedFolder.toString(), storedFile.toString(), stored("RecordID"));
        if (!others.isEmpty()) {
            const ui::Answer answer = ui::msgBox(
                otherSongsText(others.size()) +
                    QStringLiteral("\r\n\r\nPoint them at the new name as well?  Press No to rename the file for "
                                   "this song only, or Cancel to go back without saving."),
                ui::Buttons::YesNoCancel, ui::Icon::Question, QStringLiteral("File used by other songs"));
            if (answer == ui::Answer::Cancel) {
                move.reset();
                return Outcome::Refused;
            }
            if (answer == ui::Answer::Yes)
                move->others = others;
        }
        return Outcome::Go;
    }
    if (!mCommon::IsValidFileName(fileName)) {
        if (!TrimBlanks(fileName).isEmpty())
            refuse(QStringLiteral("File Name contains illegal characters.  Please correct it."),
                   QStringLiteral("Invalid File Name"));
        else
            refuse(QStringLiteral("File Name is blank.  Please correct it."), QStringLiteral("Blank File Name"));
        w_.txtFileName->setFocus();
        return Outcome::Refused;
    }
    return Outcome::Go;
}

SaveCommand::Outcome SaveCommand::folderAndFileCheck() {
    const QString folder = TrimBlanks(w_.txtPathName->text());
    const QString fileName = TrimBlanks(w_.txtFileName->text());
    if (!folder.isEmpty() && !mCommon::FolderExists(w_.txtPathName->text())) {
        refuse(QStringLiteral("The Path name does not exist."), QStringLiteral("Invalid Path Name"));
        return Outcome::Refused;
    }
    if (folder.isEmpty() && !fileName.isEmpty()) {
        refuse(QStringLiteral("The Path name cannot be blank if the File name is not blank."),
               QStringLiteral("Invalid Path Name"));
        return Outcome::Refused;
    }
    if (fileName.isEmpty() && !folder.isEmpty()) {
        refuse(QStringLiteral("The File name cannot be blank if the Path name is not blank."),
               QStringLiteral("Invalid File Name"));
        return Outcome::Refused;
    }
    return Outcome::Go;
}

SaveCommand::Outcome SaveCommand::idCheck() {
    auto &s = core::g();
    const QString id = TrimBlanks(w_.txtID->text());
    if (id.isEmpty())
        return Outcome::Go;
    // The edited song's own row, which may still carry its old name, is no other song.
    const bool own = s.EditingExistingRecord;
    auto rs = own ? s.Db->openRecordset(idQuerySql(true), {id, stored("RecordID")})
                  : s.Db->openRecordset(idQuerySql(false), {id});
    if (rs->eof())
        return Outcome::Go;
    const QString other = TrimBlanks(modMain::NullToEmpty(rs->value(QStringLiteral("SongName"))).toString()).toUpper();
    if (other == TrimBlanks(w_.txtSongName->text()).toUpper())
        return Outcome::Go;
    NameEdit::RecordWritten = false;
    refuse(QStringLiteral("You cannot have a Song with the same ID number as an existing Song."),
           QStringLiteral("Duplicate ID"), ui::Icon::Critical);
    w_.txtID->setFocus();
    return Outcome::Refused;
}

void SaveCommand::writeAll(const std::optional<Move> &move) {
    auto &s = core::g();
    QList<core::PendingFileMove> pending;
    if (move) {
        pending << core::PendingFileMove{stored("RecordID").toLongLong(), move->from, move->to};
        for (const qint64 other : move->others)
            pending << core::PendingFileMove{other, move->from, move->to};
        // Refused here, before the disk is touched, when the catalogue cannot be written.
        core::PendingFileMoves::record(pending);
        try {
            SongFileMove::move(move->from, move->to);
        } catch (const std::exception &) {
            forgetQuietly(pending);
            throw;
        }
        if (afterFileMovedHook())
            afterFileMovedHook()();
    }
    // What the write leaves behind is put back when it does not reach the catalogue.
    const long lastSaved = s.LastSavedRecordId;
    const bool newAdded = s.NewRecordAdded, written = NameEdit::RecordWritten;
    ui::setMousePointer(ui::MousePointer::Hourglass);
    try {
        db::Transaction t(*s.Db);
        if (move) {
            s.Db->execute(playListUpdateSql(), {move->to, move->from});
            for (const qint64 other : move->others)
                core::PendingFileMoves::pointSongAt(other, move->to);
            core::PendingFileMoves::clear(pending);
        }
        w_.MoveFormToData();
        const QString category = categoryNumber(s.CategoryClause);
        if (s.NewRecordAdded && !category.isEmpty()) {
            auto links = s.Db->openRecordset(QStringLiteral("tblCategoryID"), db::RecordsetType::Table);
            links->addNew();
            links->setValue(QStringLiteral("ID"), qint64(s.LastSavedRecordId));
            links->setValue(QStringLiteral("CategoryNumber"), category);
            links->update();
            links->close();
        }
        t.commit();
    } catch (const std::exception &e) {
        s.LastSavedRecordId = lastSaved;
        s.NewRecordAdded = newAdded;
        NameEdit::RecordWritten = written;
        if (!move)
            throw;
        // The row was not written: the file goes back where the row says it is.
        try {
            SongFileMove::move(move->to, move->from);
        } catch (const std::exception &back) {
            // The record stays: the next start points the song at the file where it lies.
            throw core::FileError(75, errorTextOf(e) + QStringLiteral("\r\n") + errorTextOf(back));
        }
        forgetQuietly(pending);
        throw;
    }
}

} // namespace editor
