#include "player/MusicFileCopy.h"

#include "core/AppState.h"
#include "core/FileError.h"
#include "core/MsgForm.h"
#include "core/NoReplaceFiles.h"
#include "core/StartFolders.h"
#include "core/mBrowseDirectorysOnly.h"
#include "core/mCommon.h"
#include "platform/db/DbError.h"
#include "platform/db/Recordset.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DragListWidget.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "core/ProgressWindow.h"
#include "player/frmPlayList.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

namespace player {

using core::g;
using core::ProgressWindow;
namespace ui = platform::ui;
namespace db = platform::db;

namespace {

const QString kCopyCaption = QStringLiteral("Orvalis is copying files...");
const QString kCopyMessage = QStringLiteral("Please wait...");

QString bareName(const QString &path) { return path.mid(path.lastIndexOf(u'/') + 1); }

QString copiedCountText(const QString &folder, long count) {
    return QStringLiteral("Number of files copied to folder\r\n") + folder + QStringLiteral(" = ") +
           QString::number(count);
}

// The end of a many-file copy: the default pointer and how many files reached the folder.
void showDone(const QString &folder, long count) {
    ui::setMousePointer(ui::MousePointer::Default);
    ui::msgBox(copiedCountText(folder, count), ui::Buttons::OK, ui::Icon::None, QStringLiteral("Done"));
}

// The error trap of the many-file copies: the reason in a box, and how many files reached the
// folder before the copy stopped (they stay there).
void showCopyError(const std::exception &e, const QString &folder, long copied) {
    ui::setMousePointer(ui::MousePointer::Default);
    ui::msgBox(folder.isEmpty() ? db::errorText(e)
                                : db::errorText(e) + QStringLiteral("\r\n\r\n") + copiedCountText(folder, copied));
}

} // namespace

QString MusicFileCopy::startFolder() {
    auto &s = g();
    if (s.LastCopyFolder.isEmpty())
        s.LastCopyFolder = core::StartFolders::music();
    return s.LastCopyFolder;
}

bool MusicFileCopy::copyNew(const QString &source, const QString &target) {
    if (mCommon::FileExists(target) || !mCommon::FileExists(source))
        return false;
    const int e = core::NoReplaceFiles::copy(source, target);
    if (e == 0)
        return true;
    if (e == EEXIST)
        return false; // a file that appeared meanwhile is never replaced
    // A full disk is named as such, whatever call met it first.
    const bool full = core::isDiskFull(e);
    throw core::FileError(full ? core::DiskFullError : 75,
                          QStringLiteral("Could not copy \"%1\" to \"%2\": %3")
                              .arg(bareName(source), target,
                                   full ? QStringLiteral("the disk is full") : QString::fromLocal8Bit(std::strerror(e))));
}

void MusicFileCopy::copyReplacing(const QString &source, const QString &target) {
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        throw core::FileError(53, QStringLiteral("Could not read \"%1\": %2").arg(source, in.errorString()));
    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        throw core::FileError(75, QStringLiteral("Could not write \"%1\": %2").arg(target, out.errorString()));
    constexpr qint64 kChunk = 1 << 20;
    for (;;) {
        const QByteArray piece = in.read(kChunk);
        if (piece.isEmpty())
            break;
        if (out.write(piece) != piece.size())
            break;
    }
    if (in.error() != QFileDevice::NoError) {
        out.cancelWriting();
        throw core::FileError(53, QStringLiteral("Could not read \"%1\": %2").arg(source, in.errorString()));
    }
    // A short write while the buffer is flushed (a full disk) is not reported by commit(), so
    // flush() is checked first; on failure the temporary file is removed and the target kept.
    const bool whole = in.atEnd() && out.flush();
    if (!whole)
        out.cancelWriting();
    if (!whole || !out.commit())
        throw core::FileError(75, QStringLiteral("Could not write \"%1\": %2").arg(target, out.errorString()));
}

// ============================================================================ displayed songs

void MusicFileCopy::mnuFileCopy_Click() {
    auto *main = songlist::NameList::instance();
    if (!main)
        return;
    auto &s = g();
    if (main->Data1->recordCount() < 1) {
        ui::msgBox(QStringLiteral("No files to copy"));
        return;
    }
    QString folder;
    long copied = 0;
    try {
        ui::setMousePointer(ui::MousePointer::Hourglass);
        startFolder();
        auto rs = s.Db->openRecordset(main->Data1->recordSource(), db::RecordsetType::Snapshot);
        if (!rs->eof()) {
            const long rows = rs->recordCount();
            ui::setMousePointer(ui::MousePointer::Default);
            folder = mBrowseDirectorysOnly::BrowseForFolder(main, QStringLiteral("Select a Folder"), s.LastCopyFolder,
                                                            QStringLiteral("Copy Music Files"));
            if (folder.isEmpty())
                return;
            s.LastCopyFolder = folder;
            if (folder.endsWith(QLatin1String("//")))
                folder.chop(1);
            const QString n = QString::number(rows);
            const ui::Answer a = ui::msgBox(
                QStringLiteral("This will copy all ") + n + QStringLiteral(" files displayed on the Grid to:\r\n") +
                    folder + QStringLiteral(" except any duplicate file names will only be copied once.\r\n\r\nProceed?"),
                ui::Buttons::YesNo, ui::Icon::Question,
                QStringLiteral("Confirmation.  Number of files to copy: ") + n);
            if (a == ui::Answer::Yes) {
                const int pathField = rs->fieldOrdinal(QStringLiteral("PathName"));
                const int fileField = rs->fieldOrdinal(QStringLiteral("FileName"));
                if (pathField < 0 || fileField < 0)
                    throw db::DbError(db::err::ItemNotFound, QStringLiteral("Item not found in this collection."));
                ProgressWindow progress(main, kCopyCaption, kCopyMessage);
                core::NoReplaceFiles::clearCutCopies(folder);
                for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
                    const QVariant name = rs->value(fileField);
                    const QString fileName = name.isNull() ? QString() : name.toString();
                    if (!fileName.isEmpty() && copyNew(rs->value(pathField).toString() + fileName, folder + fileName))
                        ++copied;
                    progress.advance(copied, rows);
                    QCoreApplication::processEvents();
                }
            }
        }
        rs->close();
    } catch (const std::exception &e) {
        showCopyError(e, folder, copied);
        return;
    }
    showDone(folder, copied);
}

// ============================================================================ one song

void MusicFileCopy::mnuPopupCopyFile_Click() {
    auto *main = songlist::NameList::instance();
    if (!main || !main->Data1->hasCurrentRow())
        return;
    auto &s = g();
    const QString pathName = main->currentText(QStringLiteral("PathName"));
    const QString fileName = main->currentText(QStringLiteral("FileName"));
    const QString source = pathName + fileName;
    if (fileName.isEmpty() || !mCommon::FileExists(source)) {
        ui::msgBox(QStringLiteral("File not found to copy.  It may have been moved or deleted since last cataloged."),
                   ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("File does not exist"));
        return;
    }
    if (s.LastCopyFolder.isEmpty())
        s.LastCopyFolder = core::StartFolders::music();
    const QString folder = mBrowseDirectorysOnly::BrowseForFolder(main, QStringLiteral("Select Destination Folder"),
                                                                  s.LastCopyFolder, QStringLiteral("Copy to:"));
    if (folder.isEmpty())
        return;
    s.LastCopyFolder = folder;
    const QString target = folder + fileName;
    if (mCommon::FileExists(target) &&
        ui::msgBox(QStringLiteral("Copying to selected folder:\r\n") + folder +
                       QStringLiteral("\r\nA file with the same name already exists in the selected folder.\r\n"
                                      "Overwrite?"),
                   ui::Buttons::YesNo, ui::Icon::Information, QStringLiteral("Replace existing file?"),
                   ui::DefaultButton::Second) != ui::Answer::Yes)
        return;
    // The same file may be reached by another spelling (a linked folder, a case-blind stick):
    // replacing it would destroy the only copy.
    if (target == source || mCommon::SameFile(source, target)) {
        ui::msgBox(QStringLiteral("File can not be copied onto itself."), ui::Buttons::OK, ui::Icon::Exclamation,
                   QStringLiteral("Source and destination folders are the same"));
        return;
    }
    try {
        copyReplacing(source, target);
    } catch (const core::FileError &) {
        return;  // the command ends without a message; the old file, if any, is untouched
    }
    ui::msgBox(QStringLiteral("File \"") + fileName + QStringLiteral("\"\r\ncopied to folder\r\n") + folder,
               ui::Buttons::OK, ui::Icon::None, QStringLiteral("File Copied"));
}

// ============================================================================ a play list

void MusicFileCopy::mnuFileCopyMusic_Click(frmPlayList &w) {
    auto &s = g();
    if (w.lbDetail->count() - 1 <= 0) {
        ui::msgBox(QStringLiteral("No files to copy"));
        return;
    }
    startFolder();
    const QString folder = mBrowseDirectorysOnly::BrowseForFolder(&w, QStringLiteral("Select a Folder"),
                                                                  s.LastCopyFolder, QStringLiteral("Copy Music Files"));
    if (folder.isEmpty())
        return;
    s.LastCopyFolder = folder;
    long copied = 0;
    try {
        auto rs = s.Db->openRecordset(QStringLiteral("Select FileName, ListTrackID From tblPlayListDetail Where ListID=") +
                                          QString::number(w.chosenListId()) +
                                          QStringLiteral(" And len(FileName) > 0 ") + QStringLiteral(" Order by ListTrackID"),
                                      db::RecordsetType::Snapshot);
        if (!rs->eof()) {
            const long rows = rs->recordCount();
            ProgressWindow progress(&w, kCopyCaption, kCopyMessage, {songlist::NameList::instance(), &w});
            core::NoReplaceFiles::clearCutCopies(folder);
            for (; !rs->eof(); rs->moveNext()) {
                const QString path = rs->value(0).toString();
                const QString bare = bareName(path);
                if (!bare.isEmpty() && copyNew(path, folder + bare))
                    ++copied;
                progress.advance(copied, rows);
            }
        }
        rs->close();
    } catch (const std::exception &e) {
        showCopyError(e, folder, copied);
        return;
    }
    showDone(folder, copied);
}

// ============================================================================ registration

void MusicFileCopy::registerCommands() {
    using songlist::OtherWindows;
    OtherWindows::set(QString::fromLatin1(OtherWindows::CopyDisplayedFiles), [](const QString &) { mnuFileCopy_Click(); });
    OtherWindows::set(QString::fromLatin1(OtherWindows::CopyCurrentFile),
                      [](const QString &) { mnuPopupCopyFile_Click(); });
}

} // namespace player
