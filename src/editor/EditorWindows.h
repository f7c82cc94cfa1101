#pragma once
// Plugs the song editor into the main window: its opener under songlist::OtherWindows::NameEdit.
#include <QString>

namespace editor {

// Registers the editor's opener. Called once at start (and by tests).
void registerWindows();

// Opens the editor modally with the caller's caption (none, from the search box's Enter, gives
// "View/Edit an Existing Record") and returns when it has closed.
void openNameEdit(const QString &caption);

} // namespace editor
