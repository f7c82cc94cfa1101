#pragma once
// What the catalogue clean-up commands share: registering them with the main window and the
// play-list window, building a control in one call, the refusal test of the text boxes, and the
// message a failed change shows.
#include "platform/ui/Forms.h"

#include <QString>
#include <exception>
#include <utility>

class QDialog;
class QWidget;

namespace reports {

// Registers with songlist::OtherWindows the two checks ("mnuFindInvalidFilenames",
// "OphanedPictures") and the three windows ("frmChangeFilePath", "frmChangeFileNamePath",
// "frmReplace"), each shown modally over the main window.
void registerCleanupWindows();

namespace cleanup {

// A control of class T with its name as objectName, placed in twips on `parent`.
using platform::ui::make;

// The common frame of the clean-up windows: no help button, the title, the client size in
// twips and the Arial face.
void setUpWindow(QDialog *w, const QString &title, int widthTwips, int heightTwips);

// Asks the change's Yes/No question, No the default; true on Yes.
bool confirmed(const QString &question);

// False when the text, without its leading and trailing blanks, is empty or does not sort
// after a single blank: the box counts as not filled in.
bool filledIn(const QString &text);

// A change that failed (and was rolled back): the default pointer and the error's description
// under the program's name.
void showFailure(const std::exception &e);

// Runs the main grid's record source again, when the main window is loaded.
void refreshGrid();

} // namespace cleanup
} // namespace reports
