#include "songlist/DuplicateViews.h"

#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>

namespace songlist {

namespace ui = platform::ui;

DuplicateViews::Texts DuplicateViews::texts(View v) {
    switch (v) {
    case View::Duplicates:
        return {"qryDuplicateSongs", "Showing All Songs With Duplicates", "No duplicate songs found."};
    case View::ToDelete:
        return {"qryShowDuplicatesToBeDeleted", "Showing Duplicate Songs To Delete from Orvalis",
                "No duplicate songs to delete."};
    case View::DuplicatesAlbum:
        return {"qryDuplicateSongsAlbum", "Showing All Songs With Duplicates in Albums", "No duplicate songs found."};
    case View::ToDeleteAlbum:
        break;
    }
    return {"qryShowDuplicatesToBeDeletedAlbum", "Showing Duplicate Songs To Delete in Albums from Orvalis",
            "No duplicate songs to delete."};
}

void DuplicateViews::disableViewCommands() {
    w_.File->setEnabled(false);
    w_.File->menuAction()->setEnabled(false);
    w_.cmdAdd->setEnabled(false);
    w_.AddMenu->setEnabled(false);
    w_.FindEditMenu->setEnabled(false);
    w_.cmdFind->setEnabled(false);
    w_.cmdShowArtistSongs->setEnabled(false);
    w_.cmdFilter->setEnabled(false);
    w_.cmbSort->setEnabled(false);
    w_.cmdSortSong->setEnabled(false);
    w_.cmdSortArtist->setEnabled(false);
}

void DuplicateViews::show(View v) {
    const Texts t = texts(v);
    w_.ShowAllMenu_Click();
    w_.cmdSortArtist_Click();
    ui::setMousePointer(ui::MousePointer::Hourglass);
    w_.Data1->setRecordSource(QString::fromLatin1(t.query));
    w_.Data1->refresh();
    if (w_.recordCount() > 0) {
        disableViewCommands();
        w_.setCategoryCaption(QString::fromLatin1(t.caption));
        w_.lblFilterMsg->setText(QString());
        w_.lblFilterMsg->hide();
        ui::setMousePointer(ui::MousePointer::Default);
    } else {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(QString::fromLatin1(t.empty), ui::Buttons::OK, ui::Icon::None, QStringLiteral("No duplicates"));
        w_.ShowAllMenu_Click();
    }
}

} // namespace songlist
