#include "player/PlayListImport.h"

#include "core/AppState.h"
#include "core/EventYield.h"
#include "core/FileError.h"
#include "core/StartFolders.h"
#include "core/mCommon.h"
#include "core/mCommonDialog.h"
#include "platform/db/Collations.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "player/PlayListStore.h"
#include "core/ProgressWindow.h"
#include "player/frmPlayList.h"

#include <QDateTime>
#include <QTimeZone>
#include <QFile>
#include <QStringDecoder>

#include <memory>
#include <utility>

namespace player {

using core::g;
using core::ProgressWindow;
namespace ui = platform::ui;
namespace db = platform::db;

namespace {

constexpr qint64 kChunk = 1 << 20;

using mCommon::TrimBlanks; // blanks only, not other white space

QString cleanName(QString s) { return TrimBlanks(s.remove(QLatin1Char('"'))); }

// The catalogue song a line names: a song-artist match wins over an artist-song one (the line
// may name the artist first). One query answers both; of each kind the lowest RecordID is the
// row a look-up of that kind alone gives (a sort in the query would make SQLite read the whole
// table in RecordID order rather than use the name indexes). nullptr when neither matches.
std::unique_ptr<db::Recordset> findLineSong(db::Database &d, const PlayListImport::Names &names) {
    using C = CatalogueColumns;
    static const QString match = QStringLiteral("select ") + C::selectList() +
                                 QStringLiteral(" from tblContacts where (SongName=? And Artist=?) Or "
                                                "(SongName=? And Artist=?)");
    auto rs = d.openRecordset(match, {names.first, names.second, names.second, names.first}, db::RecordsetType::Snapshot);
    const auto same = [](const QVariant &v, const QString &name) {
        return !v.isNull() && db::jet::compareText(v.toString(), name) == 0;
    };
    long best[2] = {-1, -1}; // positions of the lowest RecordID: song-artist, artist-song
    qint64 lowest[2] = {0, 0};
    for (long p = 0; p < rs->recordCount(); ++p) {
        const qint64 id = rs->valueAt(p, C::RecordID).toLongLong();
        const int kind =
            same(rs->valueAt(p, C::SongName), names.first) && same(rs->valueAt(p, C::Artist), names.second) ? 0 : 1;
        if (best[kind] < 0 || id < lowest[kind]) {
            best[kind] = p;
            lowest[kind] = id;
        }
    }
    const long at = best[0] >= 0 ? best[0] : best[1];
    if (at < 0)
        return nullptr;
    rs->setAbsolutePosition(at);
    return rs;
}

// The local time of each add. The zone's offset from UTC is read again only when the clock
// leaves the span it holds for (a change to or from summer time, the clock set back): reading
// the local time itself checks the zone file every time, which a file of thousands of lines
// would pay once per line. Stored dates keep the wall-clock time, which the offset gives.
class AddClock {
public:
    QDateTime now() {
        const QDateTime utc = QDateTime::currentDateTimeUtc();
        if (!from_.isValid() || utc < from_ || (until_.isValid() && utc >= until_)) {
            const QTimeZone zone = QTimeZone::systemTimeZone();
            offset_ = zone.offsetFromUtc(utc);
            from_ = utc;
            until_ = zone.nextTransition(utc).atUtc;
        }
        return utc.toOffsetFromUtc(offset_);
    }

private:
    int offset_ = 0;
    QDateTime from_, until_;
};

core::FileError readError(const QFile &f) {
    return core::FileError(75, QStringLiteral("Path/File access error: %1 (%2)").arg(f.fileName(), f.errorString()));
}

// True when the whole file is valid UTF-8 (read piece by piece).
bool isUtf8(QFile &f) {
    QStringDecoder utf8(QStringDecoder::Utf8);
    for (;;) {
        const QByteArray piece = f.read(kChunk);
        if (piece.isEmpty()) {
            if (f.error() != QFileDevice::NoError)
                throw readError(f);
            return true;
        }
        const QString decoded = utf8.decode(piece);  // decoding happens on conversion
        if (utf8.hasError())
            return false;
    }
}

} // namespace

PlayListImport::PlayListImport(frmPlayList &w) : w_(w), yield_(core::yieldForInput) {}

QString PlayListImport::confirmationText() {
    const QString example = QStringLiteral("Lanterns Over Kestrel Bay, Mirela Hastings");
    const QString swapped = QStringLiteral("Mirela Hastings, Lanterns Over Kestrel Bay");
    return QStringList{
        QStringLiteral("This feature will add songs to the current Play List by reading the Song Name and Artist Name "
                       "from a text file that you specify.  The text file must have one Song Name and Artist Name per "
                       "line, and the Song Name must be separated from the Artist name with a comma.  For example, one "
                       "line of the text file might look like this:"),
        example,
        QStringLiteral("or like this:"),
        swapped,
        QStringLiteral("It can also have leading numbers as long as there is a period after the number, like this:"),
        QStringLiteral("1. ") + example,
        QString(),
        QStringLiteral("Orvalis will then attempt to find that Song Name and Artist Name in your database.  If a match "
                       "is found, that song will be added to the Play List."),
        QStringLiteral("Proceed?"),
    }
        .join(QStringLiteral("\r\n"));
}

std::optional<PlayListImport::Names> PlayListImport::parseLine(const QString &line) {
    // The number prefix: blanks, digits and a period at the very start, nothing else, so a
    // period inside a name ("St. Elmo") is part of the name.
    qsizetype start = 0;
    qsizetype i = 0;
    while (i < line.size() && line.at(i) == u' ')
        ++i;
    const qsizetype digits = i;
    while (i < line.size() && line.at(i).isDigit() && line.at(i).unicode() < 128)
        ++i;
    if (i > digits && i < line.size() && line.at(i) == u'.')
        start = i + 1;

    const qsizetype comma = line.indexOf(u',', start);
    if (comma < 0)
        return std::nullopt;
    const qsizetype paren = line.indexOf(u'(');
    const QString cut = paren < 0 ? line : line.left(paren);
    return Names{cleanName(cut.mid(start, comma - start)), cleanName(cut.mid(comma + 1))};
}

void PlayListImport::readLines(const QString &path, const std::function<bool(const QString &)> &line) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw core::FileError(53, QStringLiteral("File not found: %1 (%2)").arg(path, f.errorString()));
    const bool utf8 = isUtf8(f);
    if (!f.seek(0))
        throw readError(f);

    QByteArray pending;   // the bytes of the line not yet ended
    bool afterCr = false; // the last byte read was a CR: an LF next belongs to it
    bool first = true;
    const auto deliver = [&](QByteArray bytes) {
        if (first) {
            first = false;
            if (utf8 && bytes.startsWith("\xEF\xBB\xBF"))
                bytes.remove(0, 3);
        }
        return line(utf8 ? QString::fromUtf8(bytes) : QString::fromLatin1(bytes));
    };
    for (;;) {
        const QByteArray piece = f.read(kChunk);
        if (piece.isEmpty()) {
            if (f.error() != QFileDevice::NoError)
                throw readError(f);
            break;
        }
        qsizetype from = 0;
        for (qsizetype k = 0; k < piece.size(); ++k) {
            const char c = piece.at(k);
            if (c != '\r' && c != '\n') {
                afterCr = false;
                continue;
            }
            if (c == '\n' && afterCr && k == from) {  // the LF of a CR LF
                afterCr = false;
                from = k + 1;
                continue;
            }
            pending.append(piece.constData() + from, k - from);
            if (!deliver(std::exchange(pending, QByteArray())))
                return;
            afterCr = c == '\r';
            from = k + 1;
        }
        pending.append(piece.constData() + from, piece.size() - from);
    }
    if (!pending.isEmpty())
        deliver(pending);
}

void PlayListImport::mnuFilePopulate_Click() {
    auto &s = g();
    if (ui::msgBox(confirmationText(), ui::Buttons::YesNo, ui::Icon::Question, QStringLiteral("Confirmation")) !=
        ui::Answer::Yes)
        return;
    if (s.CurrentPlayList.isEmpty())
        return;

    QString fileName, fileTitle;
    QString filter = QStringLiteral("Text files (*.txt)|*.txt|All Files (*.*)|*.*");
    int filterIndex = 1;
    int flags = 0;
    bool readOnly = false;
    QString startFolder = s.LastCopyFolder.isEmpty() ? core::StartFolders::music() : s.LastCopyFolder;
    if (!startFolder.endsWith(u'/'))
        startFolder += u'/';
    if (!mCommonDialog::VBGetOpenFileName(fileName, fileTitle, true, false, readOnly, true, filter, filterIndex,
                                          startFolder, QStringLiteral("Select a text file"), QString(), &w_, flags))
        return;

    ui::setMousePointer(ui::MousePointer::Hourglass);
    struct Default {
        ~Default() { ui::setMousePointer(ui::MousePointer::Default); }
    } pointer;
    try {
        db::Database &d = *s.Db;
        const long listId = PlayListStore::findList(d, s.CurrentPlayList);
        if (listId == 0) {
            ui::setMousePointer(ui::MousePointer::Default);
            ui::msgBox(QStringLiteral("\"") + s.CurrentPlayList + QStringLiteral("\" Play list name not found."),
                       ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Sub mnuPopupAddToPlaylist_Click"));
            return;
        }
        // A long file shows its progress and may be stopped between two lines.
        long total = 0;
        readLines(fileName, [&total](const QString &) {
            ++total;
            return true;
        });
        std::optional<ProgressWindow> progress;
        if (total > ProgressLines)
            progress.emplace(&w_, QStringLiteral("Adding songs to the Play List..."),
                             QStringLiteral("Please wait...\nClick here or press a key to stop."));
        long done = 0;
        const auto nextLine = [&] {
            if (!progress)
                return true;
            progress->advance(++done, total);
            yield_();
            return !progress->cancelled();
        };
        // Each line is one short transaction holding its look-up, the read of the next number
        // and its add, so the rows added before an error or a stop stay, and none is open while
        // the progress window lets the user act. The add recordset stays open between lines.
        std::unique_ptr<db::Recordset> adds;
        AddClock clock;
        readLines(fileName, [&](const QString &text) {
            const std::optional<Names> names = parseLine(text);
            if (!names)
                return nextLine();
            bool full = false;
            {
                db::Transaction t(d);
                if (auto rs = findLineSong(d, *names)) {
                    const long highest = PlayListStore::highestTrack(d, listId);
                    full = highest >= PlayListStore::MaxTracks;
                    if (!full) {
                        if (!adds)
                            adds = d.openRecordset(QStringLiteral("select * from tblPlayListDetail where ListID=") +
                                                   QString::number(listId));
                        PlayListStore::addTrack(*adds, listId, highest + 1, PlayListStore::catalogueTrackInOrder(*rs),
                                                clock.now());
                    }
                    rs->close();
                }
                t.commit();
            }
            if (full) {
                progress.reset();
                ui::setMousePointer(ui::MousePointer::Default);
                ui::msgBox(QStringLiteral("The current Play List has reached maximum size of 32,000 songs.  Song not "
                                          "added to Play List."),
                           ui::Buttons::OK, ui::Icon::None, QStringLiteral("Not added"));
                return false;
            }
            return nextLine();
        });
        if (adds)
            adds->close();
        progress.reset();
        w_.LoadDetailListbox();
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(db::errorText(e));
        try {
            w_.LoadDetailListbox();  // the rows added before the error show
        } catch (const db::DbError &) {
        }
    }
}

} // namespace player
