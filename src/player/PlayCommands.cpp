#include "player/PlayCommands.h"

#include "core/AppState.h"
#include "core/FileError.h"
#include "core/MsgForm.h"
#include "core/mCommon.h"
#include "editor/NameEdit.h"
#include "platform/db/Database.h"
#include "platform/db/DbError.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "player/PlayForm.h"
#include "player/PlayListFile.h"
#include "player/PlayerTexts.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

#include <QCheckBox>
#include <QCoreApplication>
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
        rs = s.Db->openRecordset(main->Data1->recordSource(), db::RecordsetType::Snapshot);
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

// ============================================================================ registration

void registerPlayCommands() {
    OtherWindows::set(QString::fromLatin1(OtherWindows::PlayCurrentSong), [](const QString &) { cmdPlay_Click(); });
    OtherWindows::set(QString::fromLatin1(OtherWindows::PlayAllSongs), [](const QString &) { cmdPlayAll_Click(); });
    OtherWindows::set(QString::fromLatin1(OtherWindows::NameEditPlay), [](const QString &) { editorPlay_Click(); });
}

} // namespace player
