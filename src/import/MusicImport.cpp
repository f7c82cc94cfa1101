#include "import/MusicImport.h"

#include "core/AppState.h"
#include "core/EventYield.h"
#include "core/ProgressWindow.h"
#include "core/mCommon.h"
#include "core/mRecursiveDir.h"
#include "import/ImportHost.h"
#include "import/ScanDriveForm.h"
#include "import/ScanFolderForm.h"
#include "import/SongFields.h"
#include "import/TagReadAhead.h"
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
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QThreadPool>

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

QString doneText(long added, long present, int seconds, const QString &undecodable) {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Number of songs added to database: ") + QString::number(added) + crlf +
           QStringLiteral("Number of songs not added because they were already in database: ") +
           QString::number(present) + crlf + (undecodable.isEmpty() ? QString() : crlf + undecodable + crlf) + crlf +
           QStringLiteral("Total elapsed time: ") +
           QString::number(seconds) + (seconds == 1 ? QStringLiteral(" second") : QStringLiteral(" seconds")) +
           QStringLiteral(" (about ") + QString::number(seconds / 60) + QStringLiteral(" min.)") + crlf + crlf +
           QStringLiteral("After loading many songs, it is a good idea to choose Compact Database from the File "
                          "menu.  This will remove unused space from your database file.");
}

QString undecodableText(long files, long folders, const QStringList &firstNames) {
    if (files == 0 && folders == 0)
        return {};
    QStringList counts;
    if (files > 0)
        counts << QString::number(files) + (files == 1 ? QStringLiteral(" music file") : QStringLiteral(" music files"));
    if (folders > 0)
        counts << QString::number(folders) + (folders == 1 ? QStringLiteral(" folder with all it holds")
                                                           : QStringLiteral(" folders with all they hold"));
    QString text = QStringLiteral("Not added because their names are not valid UTF-8 (rename them to add them): ") +
                   counts.join(QStringLiteral(", "));
    for (const QString &name : firstNames)
        text += QStringLiteral("\r\n    ") + name;
    if (const long more = files + folders - firstNames.size(); more > 0)
        text += QStringLiteral("\r\n    ... and ") + QString::number(more) + QStringLiteral(" more");
    return text;
}

QString escapedName(const QByteArray &name) {
    const auto *b = reinterpret_cast<const unsigned char *>(name.constData());
    const qsizetype n = name.size();
    QString out;
    for (qsizetype i = 0; i < n;) {
        const unsigned char c = b[i];
        // The length of the sequence this byte starts, and the range its second byte must be
        // in: no overlong forms, no surrogates, nothing above U+10FFFF.
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0x20 && c < 0x7F)
            length = 1;
        else if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            low = c == 0xE0 ? 0xA0 : 0x80;
            high = c == 0xED ? 0x9F : 0xBF;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            low = c == 0xF0 ? 0x90 : 0x80;
            high = c == 0xF4 ? 0x8F : 0xBF;
        }
        bool whole = length > 0 && i + length <= n;
        for (int k = 1; whole && k < length; ++k)
            whole = k == 1 ? b[i + k] >= low && b[i + k] <= high : (b[i + k] & 0xC0) == 0x80;
        if (whole) {
            out += QString::fromUtf8(name.constData() + i, length);
            i += length;
        } else {
            out += QStringLiteral("\\x") + QStringLiteral("%1").arg(uint(c), 2, 16, QLatin1Char('0')).toUpper();
            ++i;
        }
    }
    return out;
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

// A step whose failure leaves nothing to undo: what it throws is dropped and the import goes on
// (the host's calls at its end, a value the catalogue refuses, a folder that cannot be listed).
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

// The refusal of every write that the exception being handled stands for; nullopt for any other
// failure, which costs one record at most. Only for use inside a catch block.
std::optional<db::DbError> refusalInFlight() {
    try {
        throw;
    } catch (const db::DbError &e) {
        if (refusesWrites(e))
            return e;
    } catch (...) {
    }
    return std::nullopt;
}

// Closes a record left unfinished by a failure, without storing it.
void cancelEdit(db::Recordset &songs) {
    guarded([&songs] {
        if (songs.editMode() != db::EditMode::None)
            songs.cancelUpdate();
    });
}

// A music file of a listed folder that the catalogue does not hold yet.
struct NewFile {
    QString folder;     // ending in "/"
    QString fileName;
    QString extension;  // lower case, with its dot
    qint64 bytes = 0;
};

// What reading the tags of a new file needs.
TagSource tagSource(const shell::ShellFolder &listing, const shell::ShellItem &item, const NewFile &file) {
    return {item.path(), file.folder + file.fileName, file.fileName, file.extension, listing.winMajorVersion()};
}

// Read fields: a new record's values in the order they are set, where the file lies and what it
// is, then its tag fields (the k-th item's, read ahead or here). Damaged tags leave the record
// with the values of the file alone.
SongValues readFields(const shell::ShellFolder &listing, const shell::ShellItem &item, const NewFile &file,
                      TagReadAhead &ahead, int k) {
    // PathName and FileName whole: a cut path names no file, and the next import's seek would
    // not find the record and add the file again.
    SongValues values{{QStringLiteral("PathName"), file.folder},
                      {QStringLiteral("FileName"), file.fileName},
                      {QStringLiteral("FileType"), file.extension.mid(1).toUpper()},
                      {QStringLiteral("FileSize"), firstChars(listing.getDetailsOf(item, 1), 20)},
                      {QStringLiteral("FileSizeNum"), double(file.bytes) / 1048576.0}};
    values += ahead.take(k, tagSource(listing, item, file));
    return values;
}

// Adds the record of one new file; false (nothing stored) when the database refused it. Values
// the database refuses one by one leave their field unset. A catalogue that refuses every write
// throws its DbError.
bool addSong(db::Recordset &songs, const SongValues &values, SecondClock &clock) {
    try {
        songs.addNew();
    } catch (...) {
        return false;
    }
    const auto set = [&songs](const QString &field, const QVariant &value) {
        guarded([&] { songs.setValue(field, value); });
    };
    for (const auto &[field, value] : values)
        set(field, value);
    QVariant bitRate;
    guarded([&] { bitRate = songs.value(QStringLiteral("bitRate")); });
    set(QStringLiteral("bitRate"), finishedBitRate(bitRate));
    set(QStringLiteral("DateUpdated"), clock.now());
    try {
        songs.update();
        return true;
    } catch (...) {
        const bool refused = refusalInFlight().has_value();
        cancelEdit(songs);
        if (refused)
            throw; // the catalogue takes no record at all: the import stops
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

// A write waiting for another program's lock keeps Cancel answering, and gives up at Cancel or
// after the import's wait; the catalogue's own wait comes back when the import ends.
class LockWait {
public:
    LockWait(db::Database *database, const std::function<void()> &yield, int waitMs) {
        if (!database)
            return;
        guarded([&] {
            database->setLockWait([yield, waitMs](int waitedMs) {
                yield();
                return !core::g().CancelScan && waitedMs < waitMs;
            });
            db_ = database;
        });
    }
    ~LockWait() {
        if (db_)
            guarded([this] { db_->setLockWait({}); });
    }
    LockWait(const LockWait &) = delete;
    LockWait &operator=(const LockWait &) = delete;

private:
    db::Database *db_ = nullptr;
};

// One run of the import, in named steps: walk the folder tree, then for each folder filter its
// items, read the fields of each new music file and store the folder in one transaction; a
// catalogue that refuses writes stops the walk, and the end reports what was done.
class ImportRun {
public:
    ImportRun(ImportHost &host, std::function<void()> yield, bool hideExtensions, int lockWaitMs, QString folder,
              const QString &fileName, bool driveMode)
        : s_(core::g()), host_(host), yield_(std::move(yield)), hideExtensions_(hideExtensions),
          folder_(std::move(folder)), fileName_(fileName), oneFile_(!fileName.isEmpty()), driveMode_(driveMode),
          start_(secondsSinceMidnight(QTime::currentTime())), songs_(openSongs()),
          lockWait_(s_.Db.get(), yield_, lockWaitMs) {
        mCommon::AddBackslash(folder_);
    }

    ImportResult run() {
        showScanWindow();
        if (!walk())
            return cancelEnding();
        for (int i = 1; i <= int(folders_.size()) && !refused_; ++i)
            if (!storeFolder(i))
                return cancelEnding(); // what the folder stored before the cancel is committed
        return report();
    }

private:
    // How one item or one folder ended.
    enum class End { Passed, Stored, Cancelled, Refused };
    // How the pass over one folder ended: the records it added and, after a refusal, how many of
    // its new files are not stored and the first item (folder index from 0, item) not looked at.
    struct FolderEnd {
        End end = End::Stored;
        long added = 0;
        long notStored = 0;
        int fromFolder = 0;
        int fromItem = 0;
    };

    // The catalogue's songs by PathFile; none when it cannot be opened (the scan still runs
    // and reports 0).
    static std::unique_ptr<db::Recordset> openSongs() {
        auto &s = core::g();
        try {
            if (s.Db) {
                auto songs = s.Db->openRecordset(QStringLiteral("tblContacts"), db::RecordsetType::Table);
                songs->setIndex(QStringLiteral("PathFile"));
                return songs;
            }
        } catch (...) {
        }
        return nullptr;
    }

    void showScanWindow() {
        if (driveMode_) {
            driveForm_ = ui::form<ScanDriveForm>();
            driveForm_->setProgressWidth(100);
        }
        s_.LastCopyFolder = folder_;
        if (!driveMode_) {
            folderForm_ = ui::form<ScanFolderForm>();
            progress_.emplace(folderForm_.data(), host_.window(), QStringLiteral("Add a Folder of Music Files"),
                              QStringLiteral("Scanning in progress...\nPlease wait..."));
        }
        guarded([&] { host_.setWindowVisible(false); });
    }

    // The scan window's two counts: songs found and files read.
    QLabel *addedCount() const {
        return driveMode_ ? (driveForm_ ? driveForm_->lblRecsAdded : nullptr)
                          : (folderForm_ ? folderForm_->lblRecsAdded : nullptr);
    }
    QLabel *readCount() const {
        return driveMode_ ? (driveForm_ ? driveForm_->lblRecsRead : nullptr)
                          : (folderForm_ ? folderForm_->lblRecsRead : nullptr);
    }

    // Walk: the folder list, breadth first (a volume without leaving its file system), and the
    // items plain listings show. False when the user cancelled meanwhile.
    bool walk() {
        if (driveForm_)
            driveForm_->lblRecsAddedLabel->setText(QStringLiteral("Gathering data..."));
        // A walk that fails part of the way imports the folders it listed.
        guarded([&] {
            mRecursiveDir::GetAllSubFolders(folder_, folders_,
                                            driveMode_ ? mRecursiveDir::Reach::OneVolume
                                                       : mRecursiveDir::Reach::FollowLinks);
        });
        if (driveForm_)
            driveForm_->lblRecsAddedLabel->setText(QString());
        QCoreApplication::processEvents();
        if (s_.CancelScan)
            return false;
        // Expected items: every file, and every folder but the first as an item of its parent.
        if (!driveMode_) {
            for (const QString &f : folders_)
                r_.expected += countPlainFiles(f);
            r_.expected += folders_.size() - 1;
        }
        if (driveForm_) {
            driveForm_->lblRecsReadLabel->setText(QStringLiteral("Files read:"));
            driveForm_->lblRecsAddedLabel->setText(QStringLiteral("Songs found:"));
        } else if (folderForm_) {
            folderForm_->lblRecsReadLabel->setText(QStringLiteral("Files read:"));
            folderForm_->lblRecsAddedLabel->setText(QStringLiteral("Songs found:"));
        }
        return true;
    }

    // Store a folder (the i-th of the list, from 1): false when the user cancelled in it.
    bool storeFolder(int i) {
        if (driveMode_) {
            const int count = int(folders_.size());
            if (driveForm_ && i % 10 == 0 && driveForm_->progressWidth() < ScanDriveForm::FrameWidth)
                driveForm_->setProgressWidth(int(double(i) / count * ScanDriveForm::BarFullWidth));
            yield_();
        }
        Opened opened = next_ && next_->folder == i ? std::move(*next_) : open(i);
        next_.reset();
        if (!opened.listing)
            opened = open(i); // listed again when it failed ahead of its turn
        if (!opened.listing)
            return true; // a folder that vanished or cannot be read is passed over
        noteUndecodable(*opened.listing, i);
        const FolderEnd end = writeFolder(*opened.listing, i, *opened.ahead);
        if (end.end == End::Refused) {
            // The folder is rolled back: its records, the refused file and every new file not
            // reached yet are not stored.
            r_.added -= end.added;
            r_.notAdded = end.notStored +
                          notCatalogued(*songs_, folders_, end.fromFolder, end.fromItem, fileName_, s_.WinMajorVersion);
        }
        return end.end != End::Cancelled;
    }

    // The music files and folders of the i-th folder that were passed over because their names
    // are not valid UTF-8; in one-file mode only the file asked for.
    void noteUndecodable(const shell::ShellFolder &listing, int i) {
        constexpr qsizetype kNamesShown = 5;
        const QString within = folders_.at(i - 1).mid(folder_.size());
        for (const shell::UndecodableEntry &entry : listing.undecodable()) {
            const QString name = QString::fromUtf8(entry.name); // the bad bytes as replacement characters
            if (oneFile_ ? i != 1 || entry.isFolder || name != fileName_
                         : !entry.isFolder && acceptedExtension(name).isEmpty())
                continue;
            ++(entry.isFolder ? r_.undecodableFolders : r_.undecodableFiles);
            if (r_.undecodableNames.size() < kNamesShown)
                r_.undecodableNames << within + escapedName(entry.name) + (entry.isFolder ? QStringLiteral("/") : QString());
        }
    }

    // The folder's new files go into one transaction, begun with the first of them (a folder with
    // nothing new writes nothing) and committed at its end, a cancelled folder included. Leaving
    // here without the commit, after a refusal or a failing commit, rolls the folder back.
    FolderEnd writeFolder(const shell::ShellFolder &listing, int i, TagReadAhead &ahead) {
        std::optional<db::Transaction> transaction;
        FolderEnd f;
        for (int k = 0; k < listing.count(); ++k) {
            if (s_.CancelScan) {
                f.end = End::Cancelled;
                break;
            }
            const End item = takeItem(listing, k, i, transaction, ahead);
            if (item == End::Stored)
                ++f.added;
            if (item == End::Cancelled)
                f.end = End::Cancelled;
            if (item == End::Refused)
                f = {End::Refused, f.added, 1 + f.added, i - 1, k + 1};
            if (f.end != End::Stored)
                break;
        }
        if (f.end == End::Refused || !transaction)
            return f;
        try {
            transaction->commit();
        } catch (...) {
            const auto refusal = refusalInFlight();
            if (refusal && !s_.CancelScan) {
                refused_ = refusal;
                return {End::Refused, f.added, f.added, i, 0};
            }
            r_.added -= f.added; // not stored after all
            f.added = 0;
        }
        return f;
    }

    // One folder item (the k-th): progress, filter, and for a new music file read fields and
    // store. The folder's first new file starts reading the tags of the new files after it.
    End takeItem(const shell::ShellFolder &listing, int k, int i, std::optional<db::Transaction> &transaction,
                 TagReadAhead &ahead) {
        const shell::ShellItem &item = listing.item(k);
        std::optional<NewFile> file;
        try {
            showItemProgress();
            file = filter(listing, item, folders_.at(i - 1), i);
        } catch (...) {
            passOver();
            return End::Passed;
        }
        if (!file)
            return End::Passed;
        if (!oneFile_)
            readAhead(listing, k, i, ahead);
        try {
            if (!transaction)
                transaction.emplace(*s_.Db);
            if (!addSong(*songs_, readFields(listing, item, *file, ahead, k), clock_))
                return End::Passed;
            ++r_.added;
            return End::Stored;
        } catch (...) {
            const auto refusal = refusalInFlight();
            if (!refusal) {
                passOver();
                return End::Passed;
            }
            if (s_.CancelScan)
                return End::Cancelled; // the user cancelled while the write waited
            refused_ = refusal;
            return End::Refused;
        }
    }

    // The error road of an item: it is passed over, the scan goes on with the next.
    void passOver() {
        if (songs_)
            cancelEdit(*songs_);
    }

    // The progress shown before each item: the counts every 10 items, with a yield, and the bar.
    void showItemProgress() {
        if (r_.added % 10 == 0) {
            setCount(addedCount(), r_.added);
            yield_();
        }
        ++r_.read;
        if (!driveMode_ && folderForm_ && r_.expected > 0 && folderForm_->label1Width() < ScanFolderForm::FrameWidth)
            folderForm_->setLabel1Width(int(double(r_.read) / r_.expected * ScanFolderForm::BarFullWidth));
        if (r_.read % 10 == 0) {
            setCount(readCount(), r_.read);
            yield_();
        }
    }

    // Filter: the new music file an item stands for; nullopt for a folder, another kind of file,
    // a file other than the one asked for, one gone since the listing, or one catalogued already
    // (counted as present).
    std::optional<NewFile> filter(const shell::ShellFolder &listing, const shell::ShellItem &item,
                                  const QString &folder, int i) {
        std::optional<NewFile> music = musicFile(listing, item, folder);
        if (!music)
            return std::nullopt;
        NewFile &file = *music;
        if (oneFile_) {
            if (folderForm_)
                folderForm_->setWindowTitle(QStringLiteral("Add One Music File"));
            if (i != 1 || file.fileName != fileName_)
                return std::nullopt;
        }
        // The file may have gone since the folder was listed.
        const FileNow now = fileNow(folder + file.fileName);
        if (!now.file || !songs_)
            return std::nullopt;
        file.bytes = now.size;
        songs_->seek(QStringLiteral("="), {folder, file.fileName});
        if (!songs_->noMatch()) {
            ++r_.present;
            return std::nullopt;
        }
        return music;
    }

    // A folder listed, with the reading of its tags ahead (which waits for its reads when it goes).
    struct Opened {
        int folder = 0;
        std::unique_ptr<shell::ShellFolder> listing;
        std::unique_ptr<TagReadAhead> ahead;
    };

    // Opens the i-th folder of the list (from 1); no listing when it cannot be read.
    Opened open(int i) {
        Opened o{i, nullptr, std::make_unique<TagReadAhead>(pool_)};
        guarded([&] { o.listing = shell::ShellFolder::nameSpace(folders_.at(i - 1), s_.WinMajorVersion); });
        return o;
    }

    // At a new file (the k-th item of the i-th folder): the first of the folder starts reading
    // the tags of the music files after it, and opens the next folder of the list, whose tags
    // are read while this one is stored (a folder with new files is mostly followed by more).
    void readAhead(const shell::ShellFolder &listing, int k, int i, TagReadAhead &ahead) {
        if (!ahead.started())
            ahead.start(musicFilesFrom(listing, k + 1, folders_.at(i - 1)));
        if (i >= int(folders_.size()) || (next_ && next_->folder == i + 1))
            return;
        next_ = open(i + 1);
        if (next_->listing)
            next_->ahead->start(musicFilesFrom(*next_->listing, 0, folders_.at(i)));
    }

    // The music file an item stands for, by its name (or type text); nullopt for a folder or
    // another kind of file. Folders are passed over (the attributes column shows "D" for
    // exactly these).
    std::optional<NewFile> musicFile(const shell::ShellFolder &listing, const shell::ShellItem &item,
                                     const QString &folder) const {
        if (item.isFolder())
            return std::nullopt;
        const QString name = item.name();
        NewFile file{folder, name, acceptedExtension(name)};
        if (hideExtensions_) {
            file.extension = extensionFromTypeText(listing.getDetailsOf(item, 2), folder, name);
            file.fileName = name + file.extension;
        }
        if (file.extension.isEmpty())
            return std::nullopt;
        return file;
    }

    // The music files from the k-th item on, to read their tags ahead. Only a guess at what
    // filter() will find: a folder that holds one new file is most likely new as a whole, and a
    // catalogued file read here costs a worker's read, not the catalogue a second seek. The
    // import passes those quicker than the workers read, and stops their reads at the folder's end.
    std::vector<std::pair<int, TagSource>> musicFilesFrom(const shell::ShellFolder &listing, int from,
                                                          const QString &folder) const {
        std::vector<std::pair<int, TagSource>> files;
        for (int k = from; k < listing.count(); ++k) {
            guarded([&] {
                const shell::ShellItem &item = listing.item(k);
                if (const std::optional<NewFile> file = musicFile(listing, item, folder))
                    files.emplace_back(k, tagSource(listing, item, *file));
            });
        }
        return files;
    }

    // Both endings show the main window again with all songs, and stop the clock.
    void showMainWindow() {
        guarded([&] { host_.setWindowVisible(true); });
        guarded([&] { host_.showAllSongs(); });
    }
    void stopClock() { r_.elapsedSeconds = elapsedSeconds(start_, secondsSinceMidnight(QTime::currentTime())); }

    ImportResult cancelEnding() {
        ui::setMousePointer(ui::MousePointer::Default);
        if (driveForm_)
            ui::unloadForm(driveForm_.data());
        progress_.reset();
        s_.CancelScan = false;
        showMainWindow();
        r_.cancelled = true;
        stopClock();
        return r_;
    }

    // Refuse and report: the end of the walk; the "Done" box, or what the refusal left out.
    ImportResult report() {
        s_.CancelScan = false;
        QCoreApplication::processEvents();
        if (driveMode_) {
            if (driveForm_)
                driveForm_->cmdExit->setText(QStringLiteral("Exit"));
        } else {
            progress_.reset();
            s_.CancelScan = false;
        }
        showMainWindow();
        ui::setMousePointer(ui::MousePointer::Default);
        stopClock();
        if (refused_) {
            r_.refusal = refusedText(r_.notAdded, s_.DatabasePath, refusalReason(*refused_), r_.added, r_.present);
            guarded([&] { ui::msgBox(r_.refusal, ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error")); });
        } else {
            guarded([&] {
                ui::msgBox(doneText(r_.added, r_.present, r_.elapsedSeconds,
                                    undecodableText(r_.undecodableFiles, r_.undecodableFolders, r_.undecodableNames)),
                           ui::Buttons::OK, ui::Icon::None, QStringLiteral("Done"));
            });
        }
        songs_.reset();
        guarded([&] { host_.showCurrentArtistButton(); });
        return r_;
    }

    core::AppState &s_;
    ImportHost &host_;
    const std::function<void()> yield_;
    const bool hideExtensions_;
    QString folder_;
    const QString fileName_;
    const bool oneFile_;
    const bool driveMode_;
    const int start_;
    std::unique_ptr<db::Recordset> songs_;
    LockWait lockWait_;
    QPointer<ScanDriveForm> driveForm_;
    QPointer<ScanFolderForm> folderForm_;
    std::optional<core::ProgressWindow> progress_; // shows folderForm_ (not in volume mode)
    QStringList folders_;
    SecondClock clock_;
    QThreadPool pool_; // reads tags ahead, one thread per core
    std::optional<Opened> next_; // the next folder, opened ahead
    std::optional<db::DbError> refused_; // the catalogue refused every write: the import stopped
    ImportResult r_;
};

} // namespace

MusicImport::MusicImport(ImportHost &host) : host_(host), yield_(&core::yieldForInput) {}

ImportResult MusicImport::run(QString Folder, const QString &FileName, bool driveMode) {
    return ImportRun(host_, yield_, hideExtensions_, lockWaitMs_, std::move(Folder), FileName, driveMode).run();
}

ImportResult LoadMusicFiles(ImportHost &host, const QString &Folder, const QString &FileName, bool driveMode) {
    return MusicImport(host).run(Folder, FileName, driveMode);
}

} // namespace import
