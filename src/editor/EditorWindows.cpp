#include "editor/EditorWindows.h"

#include "editor/NameEdit.h"
#include "songlist/OtherWindows.h"

namespace editor {

namespace ui = platform::ui;

void openNameEdit(const QString &caption) {
    NameEdit *w = ui::form<NameEdit>();
    w->setWindowTitle(caption.isEmpty() ? QStringLiteral("View/Edit an Existing Record") : caption);
    if (!w->Form_Load())
        return; // the load's trap showed the error and closed the window
    ui::showModal(w);
}

void registerWindows() {
    songlist::OtherWindows::set(QString::fromLatin1(songlist::OtherWindows::NameEdit), openNameEdit);
}

} // namespace editor
