#include "player/PlayListAppend.h"

#include "core/AppState.h"
#include "core/modMain.h"
#include "editor/NameEdit.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/PromptService.h"
#include "player/ConfirmationFlash.h"
#include "player/PlayListErrors.h"
#include "player/PlayListWindows.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

#include <QComboBox>
#include <QLineEdit>

#include <optional>

namespace player {

using core::g;
namespace ui = platform::ui;
using songlist::OtherWindows;

namespace {

const QString kNoListsText = QStringLiteral(
    "There are no Play Lists.  You must create one first by clicking the PlayLists button on the main toolbar.");
const QString kNoListsTitle = QStringLiteral("No Play Lists Exist");
const QString kSelectListText = QStringLiteral("You must select a Play List from the drop down list first.");
const QString kSelectListTitle = QStringLiteral("No Play List selected");
const QString kNotAddedTitle = QStringLiteral("NOT added to Play List");

void notAdded(const QString &text) { ui::msgBox(text, ui::Buttons::OK, ui::Icon::Exclamation, kNotAddedTitle); }

// The grid's current song, checked for a file name and a folder; the check texts differ
// between the grid ("No File Name ...") and the editor ("No saved File Name ...").
std::optional<TrackFields> checkedGridSong(const QString &saved) {
    auto *main = songlist::NameList::instance();
    if (!main || !main->Data1->hasCurrentRow())
        return std::nullopt;
    if (!aboveBlank(main->currentText(QStringLiteral("FileName")))) {
        notAdded(QStringLiteral("No ") + saved + QStringLiteral("File Name exists for this record, so not added to Play List."));
        return std::nullopt;
    }
    if (!aboveBlank(main->currentText(QStringLiteral("PathName")))) {
        notAdded(QStringLiteral("No ") + saved +
                 QStringLiteral("Path Name (folder) exists for this record, so not added to Play List."));
        return std::nullopt;
    }
    return PlayListStore::catalogueTrack(*main->Data1->recordset());
}

} // namespace

AppendTexts gridAppendTexts() {
    return {QStringLiteral(" Play list name not found."), QStringLiteral("Sub mnuPopupAddToPlaylist_Click"),
            QStringLiteral("The current Play List has reached maximum size of 32,000 songs.  Song not added to Play List.")};
}

AppendTexts playerAppendTexts() {
    return {QStringLiteral(" Play List not found."), QStringLiteral("Error"),
            QStringLiteral("The Play List has reached maximum size of 32,000 songs.  Song not added to Play List.")};
}

bool AppendSongToPlayList(const QString &listName, const TrackFields &fields, const AppendTexts &texts) {
    auto &db = *g().Db;
    const long key = PlayListStore::findList(db, listName);
    if (key == 0) {
        ui::msgBox(QStringLiteral("\"") + listName + QStringLiteral("\"") + texts.notFoundSuffix, ui::Buttons::OK,
                   ui::Icon::Critical, texts.notFoundTitle);
        return false;
    }
    if (PlayListStore::highestTrack(db, key) >= PlayListStore::MaxTracks) {
        ui::msgBox(texts.limitText, ui::Buttons::OK, ui::Icon::None, QStringLiteral("Not added"));
        return false;
    }
    TrackFields f = fields;
    f.SongTitle.replace(QLatin1Char('"'), QLatin1Char('\''));
    PlayListStore::appendTracks(db, key, {f});
    return true;
}

void mnuPopupAddToPlaylist_Click() {
    auto &s = g();
    auto *main = songlist::NameList::instance();
    if (!main)
        return;
    if (s.CurrentPlayList.isEmpty()) {
        // The play-list window opens only to pick a list; its Add Song adds the grid's song.
        s.PlayListAddSongMode = true;
        openPlayLists();
        s.PlayListAddSongMode = false;
        return;
    }
    const auto song = checkedGridSong(QString());
    if (song && AppendSongToPlayList(s.CurrentPlayList, *song, gridAppendTexts()))
        ConfirmationFlash::flash(main->txtSongAddedToPlaylist, ConfirmationFlash::MainWindowMs);
}

void editorAddToPlaylist_Click() {
    auto &s = g();
    auto *ed = ui::findForm<editor::NameEdit>();
    if (!ed)
        return;
    if (s.CurrentPlayList.isEmpty()) {
        if (ed->cmbHeader->count() == 0) {
            ui::msgBox(kNoListsText, ui::Buttons::OK, ui::Icon::None, kNoListsTitle);
        } else {
            ui::msgBox(kSelectListText, ui::Buttons::OK, ui::Icon::None, kSelectListTitle);
            ed->cmbHeader->setFocus();
            modMain::ShowComboDropDown(ed->cmbHeader);
        }
        return;
    }
    // A new song has no saved row yet: the grid's current row is another song.
    if (!s.EditingExistingRecord) {
        notAdded(QStringLiteral("No saved File Name exists for this record, so not added to Play List."));
        return;
    }
    const auto song = checkedGridSong(QStringLiteral("saved "));
    if (song && AppendSongToPlayList(s.CurrentPlayList, *song, gridAppendTexts()))
        ConfirmationFlash::flash(ed->txtSongAddedToPlaylist, ConfirmationFlash::WindowMs);
}

void registerPlayListAppends() {
    OtherWindows::set(QString::fromLatin1(OtherWindows::PopupAddToPlaylist),
                      [](const QString &) { mnuPopupAddToPlaylist_Click(); });
    OtherWindows::set(QString::fromLatin1(OtherWindows::NameEditAddToPlaylist),
                      [](const QString &) { runCommand(editorAddToPlaylist_Click); });
}

} // namespace player
