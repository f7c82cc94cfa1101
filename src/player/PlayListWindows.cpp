#include "player/PlayListWindows.h"

#include "core/AppState.h"
#include "platform/ui/Forms.h"
#include "player/PlayListErrors.h"
#include "player/frmPlayList.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

namespace player {

namespace ui = platform::ui;

void openPlayLists() {
    if (auto *w = ui::findForm<frmPlayList>(); w && w->isVisible())
        w->hide();
    frmPlayList *w = nullptr;
    runCommand([&] { w = ui::form<frmPlayList>(); });
    if (!w) {
        // The load failed part way: the half-built window is not shown.
        if (auto *half = ui::findForm<frmPlayList>())
            ui::unloadForm(half);
        return;
    }
    ui::showModal(w, songlist::NameList::instance());
    // Each showing loads the window afresh.
    if (ui::isLoaded(w))
        ui::unloadForm(w);
}

void installPlayLists() {
    // The PlayLists button opens the window to look at the lists, never to add the grid's song:
    // a right click on the grid raised that mode, and an add that needed no window left it up.
    songlist::OtherWindows::set(QString::fromLatin1(songlist::OtherWindows::frmPlayList), [](const QString &) {
        core::g().PlayListAddSongMode = false;
        openPlayLists();
    });
}

} // namespace player
