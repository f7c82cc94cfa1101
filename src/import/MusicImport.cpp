#include "import/MusicImport.h"

#include "core/AppState.h"
#include "core/EventYield.h"
#include "core/mCommon.h"
#include "core/mRecursiveDir.h"
#include "import/ImportHost.h"
#include "import/ScanDriveForm.h"
#include "import/ScanFolderForm.h"
#include "import/SongFields.h"
#include "platform/db/Database.h"
#include "platform/shell/ShellFolder.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>

#include <optional>
#include <sys/stat.h>

namespace import {

namespace db = platform::db;
namespace shell = platform::shell;
namespace ui = platform::ui;

// ============================================================================ small rules

QString acceptedExtension(const QString &itemName) {
    QString tail = itemName.right(4).toLower();
    if (tail == QLatin1String("flac"))
        tail = QStringLiteral(".flac");
    static const QStringList accepted = {QStringLiteral(".mp3"), QStringLiteral(".m4a"), QStringLiteral(".wma"),
                                         QStringLiteral(".wav"), QStringLiteral(".aac"), QStringLiteral(".flac"),
                                         QStringLiteral(".ogg"), QStringLiteral(".mp4")};
    return accepted.contains(tail) ? tail : QString();
}

QString extensionFromTypeText(const QString &typeText, const QString &folder, const QString &itemName) {
    static const std::pair<const char *, const char *> table[] = {
        {"mp3", ".mp3"}, {"mp4", ".m4a"},  {"m4a", ".m4a"}, {"mpeg-4 audio", ".m4a"}, {"windows media audio", ".wma"},
        {"wma", ".wma"}, {"wav", ".wav"},  {"ogg", ".ogg"}, {"aac", ".aac"},          {"flac", ".flac"}};
    const QString type = typeText.toLower();
    for (const auto &[key, ext] : table)
        if (type.contains(QLatin1String(key)))
            return QString::fromLatin1(ext);
    if (type.contains(QLatin1String("video"))) {
        for (const char *ext : {".m4a", ".ogg", ".flac"})
            if (mCommon::FileExists(folder + itemName + QLatin1String(ext)))
                return QString::fromLatin1(ext);
    }
    return {};
}

double leadingNumber(const QString &text) {
    QString number;
    bool digits = false;
    bool point = false;
    for (const QChar c : text) {
        if (c == QLatin1Char(' '))
            continue;
        if (number.isEmpty() && (c == QLatin1Char('+') || c == QLatin1Char('-'))) {
            number += c;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            number += c;
            digits = true;
        } else if (c == QLatin1Char('.') && !point) {
            number += c;
            point = true;
        } else {
            break;
        }
    }
    return digits ? number.toDouble() : 0.0;
}

QString finishedBitRate(const QVariant &stored) {
    const QString text = stored.isNull() ? QString() : stored.toString();
    if (!text.isEmpty() && leadingNumber(text) < 99)
        return QLatin1Char('0') + text;
    return text;
}

int secondsSinceMidnight(const QTime &time) { return qRound(time.msecsSinceStartOfDay() / 1000.0); }

int elapsedSeconds(int start, int end) {
    const int seconds = end - start;
    return seconds < 0 ? seconds + 86400 : seconds;
}

QString doneText(long added, long present, int seconds) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Number of songs added to database: ") + QString::number(added) + crlf +
           QStringLiteral("Number of songs not added because they were already in database: ") +
           QString::number(present) + crlf + crlf + QStringLiteral("Total elapsed time: ") +
           QString::number(seconds) + (seconds == 1 ? QStringLiteral(" second") : QStringLiteral(" seconds")) +
           QStringLiteral(" (about ") + QString::number(seconds / 60) + QStringLiteral(" min.)") + crlf + crlf +
           QStringLiteral("After loading many songs, it is a good idea to choose Compact Database from the File "
                          "menu.  This will remove unused space from your database file.");
}

QString refusedText(long notAdded, const QString &catalogue, const QString &reason, long added, long present) {
    const QString crlf = QStringLiteral("\r\n");
    return QString::number(notAdded) + QStringLiteral(" songs were not added: the catalogue ") + catalogue +
           QStringLiteral(" cannot be written (") + reason + QStringLiteral(").") + crlf + crlf +
           QStringLiteral("Number of songs added to database: ") + QString::number(added) + crlf +
           QStringLiteral("Number of songs not added because they were already in database: ") +
           QString::number(present);
}

// ============================================================================ the import

namespace {

// Count labels change only when their text does: the import writes them for many items in a row.
void setCount(QLabel *label, long count) {
    const QString text = QString::number(count);
    if (label && label->text() != text)
        label->setText(text);
}

// Files a plain directory listing shows: neither hidden nor folders.
long countPlainFiles(const QString &folder) {
    long n = 0;
    QDirIterator it(folder, QDir::Files);
    while (it.hasNext()) {
        it.next();
        ++n;
    }
    return n;
}

// Host calls at the end of an import: nothing they throw reaches the import's caller.
template <class F> void guarded(F &&f) {
    try {
        f();
    } catch (...) {
    }
}

// The local time for DateUpdated. Finding the local time reads the time-zone data on every call;
// within one second the local time is the same second, and DateUpdated is stored to the second.
class SecondClock {
public:
    QDateTime now() {
        const qint64 second = QDateTime::currentMSecsSinceEpoch() / 1000;
        if (!valid_ || second != second_) {
            local_ = QDateTime::fromMSecsSinceEpoch(second * 1000);
            second_ = second;
            valid_ = true;
        }
        return local_;
    }

private:
    bool valid_ = false;
    qint64 second_ = 0;
    QDateTime local_;
};

// What a file in the listed folder is now: gone, a folder, or a file of some size.
struct FileNow {
    bool file = false;
    qint64 size = 0;
};

FileNow fileNow(const QString &path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || S_ISDIR(st.st_mode))
        return {};
    return {true, qint64(st.st_size)};
}

// The catalogue as a whole refuses writes: another program holds its lock, it is read-only, or
// its disk is full or fails to write. Every later record would fail the same way.
bool refusesWrites(const db::DbError &e) {
    switch (e.number()) {
    case db::err::Locked:
    case db::err::ReadOnly:
    case db::err::DiskFull:
    case db::err::DiskError:
        return true;
    default:
        return false;
    }
}

QString refusalReason(const db::DbError &e) {
    switch (e.number()) {
    case db::err::Locked:
        return QStringLiteral("it is locked by another program");
    case db::err::ReadOnly:
        return QStringLiteral("it is read-only");
    case db::err::DiskFull:
        return QStringLiteral("the disk is full");
    default:
        return QStringLiteral("the disk reported an input/output error");
    }
}

// Adds the record of one new file; false (nothing stored) when the database refused it.
// Values the database refuses one by one leave their field unset. A catalogue that refuses
// every write throws its DbError.
bool addSong(db::Recordset &songs, const shell::ShellFolder &folder, const shell::ShellItem &item,
             const QString &path, const QString &fileName, const QString &extension, qint64 bytes,
             SecondClock &clock) {
    try {
        songs.addNew();
    } catch (...) {
        return false;
    }
    const auto set = [&songs](const QString &field, const QVariant &value) {
        try {
            songs.setValue(field, value);
        } catch (...) {
        }
    };
    const QString fileType = extension.mid(1).toUpper();
    // PathName and FileName whole: a cut path names no file, and the next import's seek would
    // not find the record and add the file again.
    set(QStringLiteral("PathName"), path);
    set(QStringLiteral("FileName"), fileName);
    set(QStringLiteral("FileType"), fileType);
    set(QStringLiteral("FileSize"), firstChars(folder.getDetailsOf(item, 1), 20));
    set(QStringLiteral("FileSizeNum"), double(bytes) / 1048576.0);

    SongFields fields;
    try {
        fields = tagFieldsForNewSong(extension, fileType, folder.winMajorVersion(), path + fileName, fileName,
                                     [&folder, &item](int column) { return folder.getDetailsOf(item, column); });
    } catch (...) {
        // damaged tags: the record keeps what was set above
    }
    for (const auto &[field, value] : fields.values())
        set(field, value);

    QVariant bitRate;
    try {
        bitRate = songs.value(QStringLiteral("bitRate"));
    } catch (...) {
    }
    set(QStringLiteral("bitRate"), finishedBitRate(bitRate));
    set(QStringLiteral("DateUpdated"), clock.now());
    try {
        songs.update();
        return true;
    } catch (const db::DbError &e) {
        try {
            songs.cancelUpdate();
        } catch (...) {
        }
        if (refusesWrites(e))
            throw; // the catalogue takes no record at all: the import stops
        return false;
    } catch (...) {
        try {
            songs.cancelUpdate();
        } catch (...) {
        }
        return false;
    }
}

// The music files from item `fromItem` of `folders[fromFolder]` on that are not catalogued:
// what an import stopped there leaves out. Only names and the catalogue are looked at.
long notCatalogued(db::Recordset &songs, const QStringList &folders, int fromFolder, int fromItem,
                   const QString &oneFile, int winMajorVersion) {
    long n = 0;
    for (int i = fromFolder; i < folders.size(); ++i) {
        if (!oneFile.isEmpty() && i > 0)
            break;
        const auto folder = shell::ShellFolder::nameSpace(folders.at(i), winMajorVersion);
        if (!folder)
            continue;
        for (int k = i == fromFolder ? fromItem : 0; k < folder->count(); ++k) {
            const shell::ShellItem &item = folder->item(k);
            const QString name = item.name();
            if (item.isFolder() || acceptedExtension(name).isEmpty() || (!oneFile.isEmpty() && name != oneFile))
                continue;
            try {
                songs.seek(QStringLiteral("="), {folders.at(i), name});
                if (songs.noMatch())
                    ++n;
            } catch (...) {
                ++n;
            }
        }
    }
    return n;
}

} // namespace

MusicImport::MusicImport(ImportHost &host) : host_(host), yield_(&core::yieldForInput) {}

ImportResult MusicImport::run(QString Folder, const QString &FileName, bool driveMode) {
    auto &s = core::g();
    ImportResult r;
    const bool oneFile = !FileName.isEmpty();

    // ---- set-up
    const int start = secondsSinceMidnight(QTime::currentTime());
    std::unique_ptr<db::Recordset> songs;
    try {
        if (s.Db) {
            songs = s.Db->openRecordset(QStringLiteral("tblContacts"), db::RecordsetType::Table);
            songs->setIndex(QStringLiteral("PathFile"));
        }
    } catch (...) {
        songs.reset(); // nothing can be stored; the scan still runs and reports 0
    }
    // A write waiting for another program's lock keeps Cancel answering, and gives up at Cancel.
    struct LockWait {
        db::Database *db = nullptr;
        ~LockWait() {
            if (db)
                guarded([this] { db->setLockWait({}); });
        }
    } lockWait;
    if (s.Db) {
        guarded([&] {
            s.Db->setLockWait([this, &s](int waitedMs) {
                yield_();
                return !s.CancelScan && waitedMs < lockWaitMs_;
            });
            lockWait.db = s.Db.get();
        });
    }
    mCommon::AddBackslash(Folder);

    QPointer<ScanDriveForm> driveForm;
    QPointer<ScanFolderForm> folderForm;
    if (driveMode) {
        driveForm = ui::form<ScanDriveForm>();
        driveForm->setProgressWidth(100);
    }
    s.LastCopyFolder = Folder;
    if (!driveMode) {
        folderForm = ui::form<ScanFolderForm>();
        QFont big(QStringLiteral("Arial"));
        big.setPointSize(20);
        folderForm->Msg->setFont(big);
        folderForm->Frame1->show();
        folderForm->Label1->show();
        folderForm->setWindowTitle(QStringLiteral("Add a Folder of Music Files"));
        folderForm->Msg->setText(QStringLiteral("Scanning in progress...\nPlease wait..."));
        ui::showModeless(folderForm.data(), host_.window());
        QCoreApplication::processEvents();
    }
    guarded([&] { host_.setWindowVisible(false); });

    const auto cancelEnding = [&] {
        ui::setMousePointer(ui::MousePointer::Default);
        if (driveMode) {
            if (driveForm)
                ui::unloadForm(driveForm.data());
        } else if (folderForm) {
            ui::unloadForm(folderForm.data());
        }
        s.CancelScan = false;
        guarded([&] { host_.setWindowVisible(true); });
        guarded([&] { host_.showAllSongs(); });
        r.cancelled = true;
        r.elapsedSeconds = elapsedSeconds(start, secondsSinceMidnight(QTime::currentTime()));
        return r;
    };

    // ---- folder list: a volume is walked without leaving its file system
    if (driveForm)
        driveForm->lblRecsAddedLabel->setText(QStringLiteral("Gathering data..."));
    QStringList folders;
    try {
        mRecursiveDir::GetAllSubFolders(Folder, folders,
                                        driveMode ? mRecursiveDir::Reach::OneVolume : mRecursiveDir::Reach::FollowLinks);
    } catch (...) {
    }
    if (driveForm)
        driveForm->lblRecsAddedLabel->setText(QString());
    QCoreApplication::processEvents();
    if (s.CancelScan)
        return cancelEnding();

    // ---- expected item count: every file, and every folder but the first as an item of its parent
    if (!driveMode) {
        for (const QString &f : folders)
            r.expected += countPlainFiles(f);
        r.expected += folders.size() - 1;
    }

    if (driveForm) {
        driveForm->lblRecsReadLabel->setText(QStringLiteral("Files read:"));
        driveForm->lblRecsAddedLabel->setText(QStringLiteral("Songs found:"));
    } else if (folderForm) {
        folderForm->lblRecsReadLabel->setText(QStringLiteral("Files read:"));
        folderForm->lblRecsAddedLabel->setText(QStringLiteral("Songs found:"));
    }

    // ---- the folders
    SecondClock clock;
    std::optional<db::DbError> refused; // the catalogue refused every write: the import stopped
    const int folderCount = int(folders.size());
    for (int i = 1; i <= folderCount && !refused; ++i) {
        const QString &folder = folders.at(i - 1);
        if (driveMode) {
            if (driveForm && i % 10 == 0 && driveForm->progressWidth() < ScanDriveForm::FrameWidth)
                driveForm->setProgressWidth(int(double(i) / folderCount * ScanDriveForm::BarFullWidth));
            yield_();
        }
        std::unique_ptr<shell::ShellFolder> shellFolder;
        try {
            shellFolder = shell::ShellFolder::nameSpace(folder, s.WinMajorVersion);
        } catch (...) {
        }
        if (!shellFolder)
            continue;

        // The folder's records go into one transaction, begun with its first record: a folder
        // with nothing new writes nothing.
        std::optional<db::Transaction> transaction;
        long addedHere = 0;
        bool cancelled = false;

        for (int k = 0; k < shellFolder->count(); ++k) {
            const shell::ShellItem &item = shellFolder->item(k);
            if (s.CancelScan) {
                cancelled = true;
                break;
            }
            try {
                if (r.added % 10 == 0) {
                    setCount(driveMode ? (driveForm ? driveForm->lblRecsAdded : nullptr)
                                       : (folderForm ? folderForm->lblRecsAdded : nullptr),
                             r.added);
                    yield_();
                }
                ++r.read;
                if (driveMode) {
                    if (r.read % 10 == 0) {
                        if (driveForm)
                            setCount(driveForm->lblRecsRead, r.read);
                        yield_();
                    }
                } else {
                    if (folderForm && r.expected > 0 && folderForm->label1Width() < ScanFolderForm::FrameWidth)
                        folderForm->setLabel1Width(int(double(r.read) / r.expected * ScanFolderForm::BarFullWidth));
                    if (r.read % 10 == 0) {
                        if (folderForm)
                            setCount(folderForm->lblRecsRead, r.read);
                        yield_();
                    }
                }

                // Folders are passed over (the attributes column shows "D" for exactly these).
                if (item.isFolder())
                    continue;
                const QString name = item.name();
                QString extension = acceptedExtension(name);
                QString fileName = name;
                if (extension.isEmpty() && !hideExtensions_)
                    continue;
                if (hideExtensions_) {
                    extension = extensionFromTypeText(shellFolder->getDetailsOf(item, 2), folder, name);
                    if (extension.isEmpty())
                        continue;
                    fileName = name + extension;
                }
                if (oneFile) {
                    if (folderForm)
                        folderForm->setWindowTitle(QStringLiteral("Add One Music File"));
                    if (i != 1 || fileName != FileName)
                        continue;
                }
                // The file may have gone since the folder was listed.
                const FileNow file = fileNow(folder + fileName);
                if (!file.file)
                    continue;
                if (!songs)
                    continue;
                songs->seek(QStringLiteral("="), {folder, fileName});
                if (!songs->noMatch()) {
                    ++r.present;
                    continue;
                }
                try {
                    if (!transaction)
                        transaction.emplace(*s.Db);
                    if (addSong(*songs, *shellFolder, item, folder, fileName, extension, file.size, clock)) {
                        ++r.added;
                        ++addedHere;
                    }
                } catch (const db::DbError &e) {
                    if (!refusesWrites(e))
                        throw;
                    if (s.CancelScan) { // the user cancelled while the write waited
                        cancelled = true;
                        break;
                    }
                    // This file, the folder's records (rolled back below) and every new file
                    // not reached yet are not stored.
                    refused = e;
                    r.notAdded = 1 + addedHere + notCatalogued(*songs, folders, i - 1, k + 1, FileName, s.WinMajorVersion);
                    break;
                }
            } catch (...) {
                // This item is passed over; the scan goes on with the next.
                try {
                    if (songs && songs->editMode() != db::EditMode::None)
                        songs->cancelUpdate();
                } catch (...) {
                }
            }
        }

        if (transaction && !refused) {
            try {
                transaction->commit();
            } catch (const db::DbError &e) {
                transaction.reset(); // rolled back
                if (refusesWrites(e) && !s.CancelScan) {
                    refused = e;
                    r.notAdded = addedHere + notCatalogued(*songs, folders, i, 0, FileName, s.WinMajorVersion);
                } else {
                    r.added -= addedHere; // not stored after all
                    addedHere = 0;
                }
            } catch (...) {
                transaction.reset();
                r.added -= addedHere;
                addedHere = 0;
            }
        }
        if (refused) {
            transaction.reset(); // the folder is rolled back
            r.added -= addedHere;
            addedHere = 0;
        }
        if (cancelled)
            return cancelEnding(); // what the folder stored before the cancel was committed above
    }

    // ---- end of the walk
    s.CancelScan = false;
    QCoreApplication::processEvents();
    if (driveMode) {
        if (driveForm)
            driveForm->cmdExit->setText(QStringLiteral("Exit"));
    } else {
        if (folderForm)
            ui::unloadForm(folderForm.data());
        s.CancelScan = false;
    }
    guarded([&] { host_.setWindowVisible(true); });
    guarded([&] { host_.showAllSongs(); });
    ui::setMousePointer(ui::MousePointer::Default);
    r.elapsedSeconds = elapsedSeconds(start, secondsSinceMidnight(QTime::currentTime()));
    if (refused) {
        r.refusal = refusedText(r.notAdded, s.DatabasePath, refusalReason(*refused), r.added, r.present);
        guarded([&] { ui::msgBox(r.refusal, ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error")); });
    } else {
        guarded([&] { ui::msgBox(doneText(r.added, r.present, r.elapsedSeconds), ui::Buttons::OK, ui::Icon::None,
                                 QStringLiteral("Done")); });
    }
    songs.reset();
    guarded([&] { host_.showCurrentArtistButton(); });
    return r;
}

ImportResult LoadMusicFiles(ImportHost &host, const QString &Folder, const QString &FileName, bool driveMode) {
    return MusicImport(host).run(Folder, FileName, driveMode);
}

} // namespace import
