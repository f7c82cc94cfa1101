#include "reports/Reports.h"

#include "platform/richtext/RichTextBox.h"
#include "platform/ui/Forms.h"
#include "reports/CleanupWindows.h"
#include "reports/CsvExport.h"
#include "reports/DatabaseUpkeep.h"
#include "reports/ListReports.h"
#include "reports/RichTextForm.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

namespace reports {

using songlist::OtherWindows;

void registerWindows() {
    const auto mainWindow = [](const std::function<void(songlist::NameList &)> &f) {
        return [f](const QString &) {
            if (songlist::NameList *w = songlist::NameList::instance())
                f(*w);
        };
    };
    OtherWindows::set(QString::fromLatin1(OtherWindows::ShowListReport), [](const QString &kind) {
        if (songlist::NameList *w = songlist::NameList::instance())
            ListReports(*w).ShowListReport(kind);
    });
    OtherWindows::set(QString::fromLatin1(OtherWindows::mnuRptLinesPerPage),
                      mainWindow([](songlist::NameList &w) { ListReports(w).mnuRptLinesPerPage_Click(); }));
    OtherWindows::set(QString::fromLatin1(OtherWindows::ExportToCsv), [](const QString &withNotes) {
        if (songlist::NameList *w = songlist::NameList::instance())
            CsvExport(*w).ExportToCsv(withNotes == QLatin1String("True"));
    });
    const auto upkeep = [&](const char *name, void (DatabaseUpkeep::*command)()) {
        OtherWindows::set(QString::fromLatin1(name),
                          mainWindow([command](songlist::NameList &w) { (DatabaseUpkeep(w).*command)(); }));
    };
    upkeep(OtherWindows::OpenDatabase, &DatabaseUpkeep::OpenDatabase_Click);
    upkeep(OtherWindows::CompactDatabase, &DatabaseUpkeep::mnuCompactDatabase_Click);
    upkeep(OtherWindows::DeleteAll, &DatabaseUpkeep::mnuDeleteAll_Click);
    upkeep(OtherWindows::DeleteDisplayed, &DatabaseUpkeep::mnuDeleteDisplayed_Click);
    upkeep(OtherWindows::DeleteDuplicates, &DatabaseUpkeep::mnuDeleteDuplicates_Click);
    upkeep(OtherWindows::DeleteDuplicatesAlbum, &DatabaseUpkeep::mnuDeleteDuplicatesAlbum_Click);
    OtherWindows::set(QString::fromLatin1(OtherWindows::RichTextForm), [](const QString &rtf) {
        RichTextForm *form = platform::ui::form<RichTextForm>();
        form->RichTextBox->setTextRTF(rtf);
        platform::ui::showModal(form);
    });
    registerCleanupWindows();
}

} // namespace reports
