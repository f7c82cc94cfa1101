#include "notes/NotesWindows.h"

#include "notes/MemoForm.h"
#include "notes/NotesForm.h"
#include "songlist/OtherWindows.h"

namespace notes {

namespace ui = platform::ui;

void registerWindows() {
    using songlist::OtherWindows;
    OtherWindows::set(QString::fromLatin1(OtherWindows::MemoForm), [](const QString &) {
        MemoForm *w = ui::form<MemoForm>();
        ui::showModal(w);
    });
    OtherWindows::set(QString::fromLatin1(OtherWindows::NotesForm), [](const QString &) {
        NotesForm *w = ui::form<NotesForm>();
        ui::showModal(w);
    });
}

} // namespace notes
