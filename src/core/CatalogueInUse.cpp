#include "core/CatalogueInUse.h"

#include "core/AppState.h"
#include "platform/db/Database.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"

namespace core {

namespace ui = platform::ui;

namespace {
bool starting = false;  // between the opening and the first view
bool lockMet = false;   // the start met another program's lock
} // namespace

bool CatalogueInUse::checkAtOpening(platform::db::Database &db) {
    starting = true;
    lockMet = db.lockedByAnotherWriter();
    if (lockMet)
        db.setLockWait([](int) { return false; });
    return lockMet;
}

void CatalogueInUse::noteLocked() {
    if (starting)
        lockMet = true;
}

void CatalogueInUse::endOfStart() {
    if (!starting)
        return;
    starting = false;
    auto &s = g();
    if (s.Db && s.Db->isOpen()) {
        try {
            s.Db->setLockWait({});
        } catch (...) {
        }
    }
    if (!lockMet)
        return;
    lockMet = false;
    ui::setMousePointer(ui::MousePointer::Default);
    ui::msgBox(noticeText(s.DatabasePath), ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Catalogue in use"));
}

QString CatalogueInUse::noticeText(const QString &catalogue) {
    return QStringLiteral("Another program is changing the catalogue ") + catalogue +
           QStringLiteral(". Its songs are shown, but changes to them fail until that program is done.");
}

} // namespace core
