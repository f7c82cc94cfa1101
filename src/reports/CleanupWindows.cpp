#include "reports/CleanupWindows.h"

#include "core/AppState.h"
#include "core/mCommon.h"
#include "import/SongFields.h"
#include "platform/db/DbError.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "reports/MissingFiles.h"
#include "reports/OrphanedPictures.h"
#include "reports/frmChangeFileNamePath.h"
#include "reports/frmChangeFilePath.h"
#include "reports/frmReplace.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

#include <QDialog>

namespace reports {

namespace db = platform::db;
namespace ui = platform::ui;
using songlist::OtherWindows;

namespace {
template <class T> OtherWindows::Opener modal() {
    return [](const QString &) { ui::showModal(ui::form<T>(), songlist::NameList::instance()); };
}
} // namespace

void registerCleanupWindows() {
    OtherWindows::set(QString::fromLatin1(OtherWindows::mnuFindInvalidFilenames), [](const QString &) {
        if (songlist::NameList *w = songlist::NameList::instance())
            MissingFiles(*w).mnuFindInvalidFilenames_Click();
    });
    OtherWindows::set(QString::fromLatin1(OtherWindows::OphanedPictures),
                      [](const QString &) { OrphanedPictures::OphanedPictures_Click(); });
    OtherWindows::set(QString::fromLatin1(OtherWindows::frmChangeFilePath), modal<frmChangeFilePath>());
    OtherWindows::set(QString::fromLatin1(OtherWindows::frmChangeFileNamePath), modal<frmChangeFileNamePath>());
    OtherWindows::set(QString::fromLatin1(OtherWindows::frmReplace), modal<frmReplace>());
}

namespace cleanup {

void setUpWindow(QDialog *w, const QString &title, int widthTwips, int heightTwips) {
    w->setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    w->setWindowTitle(title);
    ui::setClientSizeTwips(w, widthTwips, heightTwips);
    QFont arial = w->font();
    arial.setFamily(QStringLiteral("Arial"));
    w->setFont(arial);
}

bool confirmed(const QString &question) {
    return ui::msgBox(question, ui::Buttons::YesNo, ui::Icon::None, QStringLiteral("Confirmation"),
                      ui::DefaultButton::Second) == ui::Answer::Yes;
}

bool filledIn(const QString &text) { return !import::atOrBelowBlank(mCommon::TrimBlanks(text)); }

void showFailure(const std::exception &e) {
    ui::setMousePointer(ui::MousePointer::Default);
    ui::msgBox(db::errorText(e), ui::Buttons::OK, ui::Icon::None, core::g().ProductName);
}

void refreshGrid() {
    songlist::NameList *w = songlist::NameList::instance();
    if (!w)
        return;
    try {
        w->Data1->refresh();
    } catch (const db::DbError &e) {
        // The change is made; only the grid could not be read again.
        showFailure(e);
    }
}

} // namespace cleanup
} // namespace reports
