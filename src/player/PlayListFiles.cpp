#include "player/PlayListFiles.h"

#include "core/AppState.h"
#include "core/FileError.h"
#include "core/InputForm.h"
#include "core/StartFolders.h"
#include "core/mCommon.h"
#include "core/mCommonDialog.h"
#include "platform/db/DbError.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "player/PlayListFile.h"
#include "player/PlayListStore.h"
#include "player/frmPlayList.h"

#include <QComboBox>
#include <QDir>
#include <QFileInfo>

namespace player {

using core::g;
namespace ui = platform::ui;
namespace db = platform::db;

namespace {
using mCommon::TrimBlanks; // blanks only, not other white space

QStringView bareName(const QString &path) { return QStringView(path).mid(path.lastIndexOf(u'/') + 1); }
} // namespace

QString PlayListFiles::prefixPrompt() {
    return QStringLiteral(
               "In order to use this playlist on another machine, you need to indicate the path/folder where these "
               "music files are located on the new machine.  For example, type:  /media/usb/Music/  if that is where "
               "these music files will be located on the other machine.") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral("If you want to create a playlist containing only the song names without a folder name "
                          "prefix, type the word \"none\" in the box.") +
           QStringLiteral("\r\n\r\n") +
           QStringLiteral("To play on this machine leave the words \"this machine\" in the box and press OK.");
}

namespace {
// How each stored path becomes a line for one prefix answer.
struct LineMaker {
    enum { Keep, Bare, Prefix } mode;
    QString prefix;

    explicit LineMaker(const QString &answer) : prefix(answer) {
        if (!prefix.endsWith(u'/') && !prefix.endsWith(u'\\'))
            prefix += u'/';
        const QString word = TrimBlanks(prefix);
        const QString stem = word.chopped(1); // the word without its final separator
        mode = stem == QLatin1String("this machine") ? Keep : stem == QLatin1String("none") ? Bare : Prefix;
    }

    // Appends the line of `path` to `to`.
    void append(QString &to, const QString &path) const {
        const qsizetype start = to.size();
        switch (mode) {
        case Keep:
            to += path;
            break;
        case Bare:
            to += bareName(path);
            break;
        case Prefix:
            to += prefix;
            to += bareName(path);
            break;
        }
        // Readers take a line starting with "#" for a comment: "./" keeps it a file of the
        // list's own folder.
        if (QStringView(to).sliced(start).trimmed().startsWith(u'#'))
            to.insert(start, QStringLiteral("./"));
    }
};
} // namespace

QStringList PlayListFiles::entries(const QStringList &paths, const QString &answer) {
    const LineMaker lines(answer);
    QStringList out;
    out.reserve(paths.size());
    for (const QString &path : paths) {
        QString line;
        lines.append(line, path);
        out << line;
    }
    return out;
}

QString PlayListFiles::text(const QStringList &paths, const QString &answer) {
    const LineMaker lines(answer);
    qsizetype size = 0;
    for (const QString &path : paths)
        size += lines.prefix.size() + path.size() + 4; // room for "./" and CR LF
    QString out;
    out.reserve(size);
    for (const QString &path : paths) {
        lines.append(out, path);
        out += QLatin1String("\r\n");
    }
    return out;
}

QString PlayListFiles::withExtension(const QString &fileName) {
    return fileName.endsWith(QLatin1String(".m3u"), Qt::CaseInsensitive) ? fileName
                                                                          : fileName + QStringLiteral(".m3u");
}

QString PlayListFiles::startFolder() {
    auto &s = g();
    if (s.PlayListFileFolder.isEmpty())
        s.PlayListFileFolder = core::StartFolders::music();
    return s.PlayListFileFolder;
}

void PlayListFiles::mnuFileMakePlayListFile_Click() {
    auto &s = g();
    const QString listName = w_.cmbHeader->currentText();
    if (!aboveBlank(listName))
        return;
    const long listId = w_.chosenListId();

    QString fileName = listName + QStringLiteral(".m3u");
    QString fileTitle;
    QString filter = QStringLiteral("Playlist (*.m3u)|*.m3u|All Files (*.*)|*.*");
    int filterIndex = 1;
    int flags = 0;
    if (!mCommonDialog::VBGetSaveFileName(fileName, fileTitle, true, filter, filterIndex, startFolder(),
                                          QStringLiteral("Save Play List as"), QString(), &w_, flags))
        return;
    fileName = withExtension(fileName);
    // The next play-list file of the run is offered beside this one.
    s.PlayListFileFolder = QFileInfo(fileName).absolutePath();

    try {
        QStringList paths;
        qsizetype skipped = 0;
        {
            ui::HourglassPointer busy;
            auto rs = s.Db->openRecordset(QStringLiteral("Select FileName From tblPlayListDetail Where ListID=") +
                                              QString::number(listId) +
                                              QStringLiteral(" AND FileName > ' ' Order by ListTrackID"),
                                          db::RecordsetType::ForwardOnly);
            paths.reserve(rs->recordCount());
            // A path holding a line break would split into several lines, and a folder names no
            // file: neither is written, and the user is told how many were left out.
            for (; !rs->eof(); rs->moveNext()) {
                const QString path = rs->value(0).toString();
                if (PlayListFile::namesFile(path))
                    paths << path;
                else
                    ++skipped;
            }
            rs->close();
        }
        if (paths.isEmpty()) {
            ui::msgBox(QStringLiteral("No music files were associated with any of the songs in this Play List, so "
                                      "Play List file was not created."),
                       ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("No sound files for these songs"));
            return;
        }
        const QString answer =
            modMain::ShowInputForm(prefixPrompt(), QStringLiteral("File location prefix?"), QStringLiteral("this machine"));
        if (!(TrimBlanks(answer) > QStringLiteral(" ")))
            return;
        {
            ui::HourglassPointer busy;
            PlayListFile::replaceText(fileName, text(paths, answer));
        }
        const QString n = QString::number(paths.size());
        const QString left = skipped == 0 ? QString()
                                          : QStringLiteral("\r\n\r\nSongs left out (their stored file name holds a "
                                                           "line break or names a folder): ") +
                                                QString::number(skipped);
        ui::msgBox(QStringLiteral("Number of song file names written to play list file\r\n   \"") + fileName +
                       QStringLiteral("\"\r\n      ") + n + left,
                   ui::Buttons::OK, ui::Icon::Information, QStringLiteral("Finished - Record Count: ") + n);
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::None, QStringLiteral("Make PlayList Error"));
    }
}

} // namespace player
