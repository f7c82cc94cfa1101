#include "player/PlayCommands.h"

#include "core/AppState.h"
#include "core/FileError.h"
#include "core/MsgForm.h"
#include "core/StartFolders.h"
#include "core/mBrowseDirectorysOnly.h"
#include "core/mCommon.h"
#include "core/mRecursiveDir.h"
#include "platform/shell/ShellFolder.h"
#include "editor/NameEdit.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "player/PlayForm.h"
#include "player/PlayListAppend.h"
#include "player/PlayListFile.h"
#include "player/PlayerTexts.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDir>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include <memory>
#include <optional>

namespace player {

using core::g;
namespace ui = platform::ui;
namespace db = platform::db;
using songlist::OtherWindows;

namespace {

struct Song {
    QString path;
    QString text;
};

// The player's song lists get `songs`, in step.
PlayForm *handTo(const QList<Song> &songs) {
    PlayForm *p = ui::form<PlayForm>();
    for (const Song &song : songs) {
        p->lbSongURL->addItem(song.path);
        p->lbSongs->addItem(song.text);
    }
    return p;
}

void showPlayer(PlayForm *p) {
    p->setWindowState(Qt::WindowNoState);
    ui::showModeless(p);
}

// The progress window of the longer commands.
core::MsgForm *showProgress(const QString &caption) {
    auto *m = ui::form<core::MsgForm>();
    m->setWindowTitle(caption);
    m->Msg->setText(QStringLiteral("\nPlease wait..."));
    m->Msg->setFont(QFont(QStringLiteral("Arial"), 20));
    ui::showModeless(m, songlist::NameList::instance());
    QCoreApplication::processEvents();
    return m;
}

void unloadProgress() {
    if (auto *m = ui::findForm<core::MsgForm>())
        ui::unloadForm(m);
}

bool playable(const QString &pathName, const QString &fileName) {
    return !fileName.isEmpty() && PlayListFile::fits(pathName + fileName) && mCommon::FileExists(pathName + fileName);
}

QString field(db::Recordset &rs, const char *name) { return rs.value(QString::fromLatin1(name)).toString(); }

// A hand-over from the editor is under way until the editor shows again.
bool editorHandOver = false;

} // namespace

void closePlayer(bool asIfLoaded) {
    auto &s = g();
    if (auto *p = ui::findForm<PlayForm>()) {
        p->setWindowState(Qt::WindowNoState);
        ui::unloadForm(p);
        return;
    }
    if (!asIfLoaded)
        return;
    try {
        mCommon::KillFile(tempListPath());
    } catch (const core::FileError &) {
        // written over by the next list
    }
    s.PlayFromMain = false;
    s.PlayFromFolder = false;
    s.PlayPath.clear();
    s.PlayCaption.clear();
}

// ============================================================================ the current song

void cmdPlay_Click() {
    auto *main = songlist::NameList::instance();
    if (!main)
        return;
    auto &s = g();
    db::Recordset *rs = main->Data1->recordset();
    if (!rs || rs->recordCount() == 0 || !main->Data1->hasCurrentRow())
        return;
    const QString pathName = main->currentText(QStringLiteral("PathName"));
    const QString fileName = main->currentText(QStringLiteral("FileName"));
    const QString path = pathName + fileName;
    const bool ok = !fileName.isEmpty() && mCommon::FileExists(path);
    s.PlayFromMain = true;
    closePlayer(false);
    if (!ok) {
        showFileNotFound(path);
        return;
    }
    s.PlayPath = path;
    s.PlayCaption = fileName;
    PlayForm *p = handTo({{path, songText(main->currentText(QStringLiteral("SongName")),
                                          main->currentText(QStringLiteral("Artist")))}});
    for (QWidget *w : {static_cast<QWidget *>(p->cbShuffle), static_cast<QWidget *>(p->cbSkipDups),
                       static_cast<QWidget *>(p->cbNowPlaying), static_cast<QWidget *>(p->cmdDelete)})
        w->setVisible(false);
    p->cbPlayNext->setVisible(s.WinMajorVersion >= 6);
    p->cbPlayRandom->setVisible(s.WinMajorVersion >= 6);
    showPlayer(p);
}

// ============================================================================ every displayed song

void cmdPlayAll_Click() {
    auto *main = songlist::NameList::instance();
    if (!main)
        return;
    auto &s = g();
    std::unique_ptr<db::Recordset> rs;
    try {
        std::optional<ui::HourglassPointer> busy(std::in_place);
        // Only the four fields a song needs are read, of the view's rows in its order. Over a
        // join, DISTINCTROW of fewer fields would fold rows together: such a view is read whole.
        const QString source = main->Data1->recordSource();
        rs = s.Db->openRecordset(source.contains(QLatin1String("distinctrow"), Qt::CaseInsensitive) ? source
                                                                                                   : playerQuery(source),
                                 db::RecordsetType::Snapshot);
        const long n = rs->recordCount();
        if (n > 32000) {
            busy.reset();
            ui::msgBox(QStringLiteral("There are %1 songs in the current list.  The maximum number of songs you can "
                                      "put in a Play List is 32000.")
                           .arg(n),
                       ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Too many songs to play"));
            return;
        }
        if (n == 0)
            return;
        if (n > 999) {
            busy.reset();
            if (ui::msgBox(QStringLiteral("There are %1 songs in the current list.\r\n\r\nAre you sure you want to "
                                          "play all of them?")
                               .arg(n),
                           ui::Buttons::YesNo, ui::Icon::Information, QStringLiteral("Play All Confirmation"),
                           ui::DefaultButton::Second) != ui::Answer::Yes)
                return;
            busy.emplace();
        }
        s.PlayFromMain = true;
        closePlayer(false);
        showProgress(QStringLiteral("Loading songs into Player..."));

        // The rows are read and the list written before the player loads, so a list that
        // cannot be written leaves no player behind.
        QList<Song> songs;
        QStringList lines;
        for (rs->moveFirst(); !rs->eof(); rs->moveNext()) {
            const QString pathName = field(*rs, "PathName");
            const QString fileName = field(*rs, "FileName");
            if (!playable(pathName, fileName))
                continue;
            lines << pathName + fileName;
            songs.append({pathName + fileName, songText(field(*rs, "SongName"), field(*rs, "Artist"))});
        }
        rs->close();
        PlayListFile::write(tempListPath(), lines);
        unloadProgress();
        if (songs.isEmpty()) {
            busy.reset();
            ui::msgBox(QStringLiteral("No music files found for the displayed songs.  They may have changed folder "
                                      "locations or been deleted from this machine."),
                       ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("No music files found for these songs"));
            s.PlayFromMain = true;
            closePlayer(true);
            return;
        }
        s.PlayPath = tempListPath();
        s.PlayCaption = QStringLiteral("All Songs");
        PlayForm *p = handTo(songs);
        p->cmdDelete->setVisible(false);
        p->lblNumSongs->setText(QStringLiteral("Number of songs: %1").arg(p->lbSongs->count()));
        showPlayer(p);
    } catch (const std::exception &e) {
        unloadProgress();
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Play All Error"));
    }
}

// ============================================================================ the editor's song

void editorPlay_Click() {
    auto *ed = ui::findForm<editor::NameEdit>();
    if (!ed)
        return;
    auto &s = g();
    const QString fileName = ed->txtFileName->text();
    const QString path = ed->txtPathName->text() + fileName;
    if (!(fileName > QStringLiteral(" ") && mCommon::FileExists(path) && s.EditingExistingRecord)) {
        showFileNotFound(path);
        return;
    }
    if (editorHandOver) {
        // The editor has not shown again since the last Play.
        ui::msgBox(QStringLiteral("Already playing a song."), ui::Buttons::OK, ui::Icon::Exclamation,
                   QStringLiteral("Error"));
        return;
    }
    try {
        s.PlayFromMain = true;
        closePlayer(true);
        // Hiding the editor ends its modal display; the View/Edit command resumes only after this
        // handler has returned.
        const bool wasModal = ed->windowModality() != Qt::NonModal;
        const int loopLevel = QThread::currentThread()->loopLevel();
        ed->hide();
        s.PlayPath = path;
        s.PlayCaption = fileName;
        auto *main = songlist::NameList::instance();
        const QString text = main ? songText(main->currentText(QStringLiteral("SongName")),
                                             main->currentText(QStringLiteral("Artist")))
                                  : fileName;
        PlayForm *p = handTo({{path, text}});
        p->cbShuffle->setVisible(false);
        p->cbSkipDups->setVisible(false);
        showPlayer(p);
        s.PlayFromEditor = true;
        if (main)
            main->hide();
        // The editor shows again, without waiting, once its modal loop has ended, so that both
        // the player and the editor take input.
        editorHandOver = true;
        QPointer<editor::NameEdit> guard(ed);
        auto reshow = std::make_shared<std::function<void()>>();
        *reshow = [guard, wasModal, loopLevel, reshow] {
            if (wasModal && QThread::currentThread()->loopLevel() >= loopLevel && guard) {
                QTimer::singleShot(0, guard, *reshow);
                return;
            }
            editorHandOver = false;
            if (!guard) {
                *reshow = nullptr;
                return;
            }
            guard->setWindowModality(Qt::NonModal);
            ui::showModeless(guard);
            *reshow = nullptr;
        };
        QTimer::singleShot(0, ed, *reshow);
        QCoreApplication::processEvents();
    } catch (const std::exception &e) {
        ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::None);
    }
}


// ============================================================================ a folder of files

namespace {

const QStringList kFolderExtensions{".mp3", ".m4a", ".wma", ".wav", ".flac", ".ogg"};
const QStringList kTreeExtensions{".ogg", ".wav", ".aac", ".wma", ".m4a", ".mp3", "flac"};

// The last four characters in lower case; "flac" becomes ".flac" where `dotFlac` is set.
QString extensionOf(const QString &name, bool dotFlac) {
    QString ext = name.right(4).toLower();
    if (dotFlac && ext == QLatin1String("flac"))
        ext = QStringLiteral(".flac");
    return ext;
}

// Title and artist of an item from the shell's columns, with their fallbacks.
Song folderSong(const platform::shell::ShellFolder &folder, const platform::shell::ShellItem &item,
                const QString &fileName) {
    const bool v6 = g().WinMajorVersion >= 6;
    QString title = folder.getDetailsOf(item, v6 ? 21 : 10).left(255);
    QString artist = folder.getDetailsOf(item, v6 ? 13 : 16).left(255);
    if (artist <= QStringLiteral(" "))
        artist = QStringLiteral("Unknown");
    if (title <= QStringLiteral(" "))
        title = fileName;
    return {folder.path() + fileName, title + QStringLiteral(" <> ") + artist};
}

// The file name Play Folder takes for an item, or empty when the item is skipped.
QString folderFileName(const platform::shell::ShellFolder &folder, const platform::shell::ShellItem &item) {
    if (folder.getDetailsOf(item, 6).toLower().contains(u'd'))
        return {};
    const QString name = item.name();
    QString ext = extensionOf(name, true);
    if (kFolderExtensions.contains(ext))
        return name.left(255);
    if (ext.startsWith(u'.'))
        return {};
    // No visible extension: the type text decides, else a file of that name with one.
    const QString type = folder.getDetailsOf(item, 2).toLower();
    if (type.contains(QLatin1String("mp3")))
        ext = QStringLiteral(".mp3");
    else if (type.contains(QLatin1String("mp4")) || type.contains(QLatin1String("m4a")) ||
             type.contains(QLatin1String("mpeg-4 audio")))
        ext = QStringLiteral(".m4a");
    else if (type.contains(QLatin1String("windows media audio")) || type.contains(QLatin1String("wma")))
        ext = QStringLiteral(".wma");
    else if (type.contains(QLatin1String("wav")))
        ext = QStringLiteral(".wav");
    else if (type.contains(QLatin1String("ogg")))
        ext = QStringLiteral(".ogg");
    else if (type.contains(QLatin1String("flac file")))
        ext = QStringLiteral(".flac");
    else if (type.contains(QLatin1String("video")))
        ext = QStringLiteral(".m4a");
    else {
        const QStringList found =
            QDir(folder.path()).entryList({name + QStringLiteral(".*")}, QDir::Files | QDir::Hidden, QDir::Name);
        if (found.isEmpty())
            return {};
        ext = extensionOf(found.first(), true);
        if (!kFolderExtensions.contains(ext))
            return {};
    }
    return (name + ext).left(255);
}

// Writes a folder's songs as the temporary play list and closes the progress window. With no
// song found it says so, closes the player and returns false; else the player is to play the list.
bool writeFolderList(const QStringList &lines) {
    PlayListFile::write(tempListPath(), lines);
    unloadProgress();
    if (lines.isEmpty()) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(QStringLiteral("No music files found in this folder."), ui::Buttons::OK, ui::Icon::Exclamation,
                   QStringLiteral("No songs found to play"));
        g().PlayFromFolder = true;
        closePlayer(true);
        return false;
    }
    g().PlayPath = tempListPath();
    return true;
}

void showFolderError(const std::exception &e) {
    ui::setMousePointer(ui::MousePointer::Default);
    unloadProgress();
    ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Play Folder Error"));
}

// Asks for the folder; empty when cancelled.
QString chooseFolder(const QString &caption) {
    auto &s = g();
    if (s.LastCopyFolder.isEmpty())
        s.LastCopyFolder = core::StartFolders::music() + QLatin1Char('/');
    return mBrowseDirectorysOnly::BrowseForFolder(songlist::NameList::instance(), QStringLiteral("Select a Folder"),
                                                  s.LastCopyFolder, caption);
}

} // namespace

void mnuPlayFolder_Click() {
    auto &s = g();
    QString folderPath = chooseFolder(QStringLiteral("Play a Folder of Music Files"));
    if (folderPath.isEmpty())
        return;
    mCommon::AddBackslash(folderPath);
    s.LastCopyFolder = folderPath;
    try {
        s.PlayFromFolder = true;
        closePlayer(true);
        ui::HourglassPointer busy;
        showProgress(QStringLiteral("Loading songs into Player..."));
        QList<Song> songs;
        QStringList lines;
        if (auto folder = platform::shell::ShellFolder::nameSpace(folderPath, s.WinMajorVersion)) {
            for (const auto &item : folder->items()) {
                const QString fileName = folderFileName(*folder, item);
                if (!playable(folderPath, fileName))
                    continue;
                songs << folderSong(*folder, item, fileName);
                lines << songs.last().path;
            }
        }
        if (!writeFolderList(lines))
            return;
        s.PlayCaption = QStringLiteral("All Songs in Folder");
        PlayForm *p = handTo(songs);
        s.PlayCaption = folderPath;
        p->lblNumSongs->setText(QStringLiteral("Number of songs: %1").arg(p->lbSongs->count()));
        showPlayer(p);
    } catch (const std::exception &e) {
        showFolderError(e);
    }
}

void mnuPlayFolderAndSubfolders_Click() {
    auto &s = g();
    QString folderPath = chooseFolder(QStringLiteral("Play a Folder (including subfolders) of Music Files"));
    if (folderPath.isEmpty())
        return;
    mCommon::AddBackslash(folderPath);
    try {
        ui::HourglassPointer busy;
        s.PlayFromFolder = true;
        closePlayer(true);
        // An earlier progress window's closing set CancelScan; the walk must not stop at once.
        s.CancelScan = false;
        QStringList folders;
        mRecursiveDir::GetAllSubFolders(folderPath, folders);
        auto *progress = showProgress(QStringLiteral("Adding Songs to Player..."));
        progress->Msg->setText(QStringLiteral("Please wait..."));
        progress->Frame1->setVisible(true);
        progress->Label1->setVisible(true);
        QList<Song> songs;
        QStringList lines;
        for (int i = 0; i < folders.size(); ++i) {
            progress->advanceProgress(i + 1, folders.size());
            auto folder = platform::shell::ShellFolder::nameSpace(folders[i], s.WinMajorVersion);
            if (!folder)
                continue;
            for (const auto &item : folder->items()) {
                const QString name = item.name();
                if (name.startsWith(u'.') || !kTreeExtensions.contains(extensionOf(name, false)))
                    continue;
                const QString fileName = name.left(255);
                if (!playable(folders[i], fileName))
                    continue;
                songs << folderSong(*folder, item, fileName);
                lines << songs.last().path;
            }
        }
        if (!writeFolderList(lines))
            return;
        s.PlayCaption = folderPath;
        PlayForm *p = handTo(songs);
        p->lbSongs->setCurrentRow(0);
        p->lbSongURL->setCurrentRow(0);
        p->lblNumSongs->setText(QStringLiteral("Number of songs: %1").arg(p->lbSongs->count()));
        showPlayer(p);
    } catch (const std::exception &e) {
        showFolderError(e);
    }
}

// ============================================================================ registration

void registerPlayCommands() {
    OtherWindows::set(QString::fromLatin1(OtherWindows::PlayCurrentSong), [](const QString &) { cmdPlay_Click(); });
    OtherWindows::set(QString::fromLatin1(OtherWindows::PlayAllSongs), [](const QString &) { cmdPlayAll_Click(); });
    OtherWindows::set(QString::fromLatin1(OtherWindows::NameEditPlay), [](const QString &) { editorPlay_Click(); });
    OtherWindows::set(QString::fromLatin1(OtherWindows::PlayFolder), [](const QString &) { mnuPlayFolder_Click(); });
    OtherWindows::set(QString::fromLatin1(OtherWindows::PlayFolderAndSubfolders),
                      [](const QString &) { mnuPlayFolderAndSubfolders_Click(); });
    registerPlayListAppends();
}

} // namespace player
