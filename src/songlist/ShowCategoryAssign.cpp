#include "songlist/ShowCategoryAssign.h"

#include "platform/ui/MousePointer.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

namespace modMain {

void ShowCategoryAssign() {
    const auto *w = songlist::NameList::instance();
    if (!w || w->recordCount() <= 0)
        return;
    const QString name = QString::fromLatin1(songlist::OtherWindows::CategoryAssign);
    if (!songlist::OtherWindows::has(name))
        return;
    platform::ui::setMousePointer(platform::ui::MousePointer::Hourglass);
    songlist::OtherWindows::open(name);
}

void ShowCategoryAssign(qint64 savedRecordId) {
    const auto *w = songlist::NameList::instance();
    if (!w || !w->Data1->hasCurrentRow())
        return;
    try {
        if (w->Data1->recordset()->value(QStringLiteral("RecordID")).toLongLong() != savedRecordId)
            return;
    } catch (const platform::db::DbError &) {
        return;
    }
    ShowCategoryAssign();
}

} // namespace modMain
