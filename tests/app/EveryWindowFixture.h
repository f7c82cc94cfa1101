#pragma once
// The main window over the command songs with every subsystem's windows registered, and the
// program's windows opened one after another for a check that applies to each of them.
#include "songlist/CommandsFixture.h"

#include "categories/RegisterWindows.h"
#include "editor/EditorWindows.h"
#include "notes/NotesWindows.h"
#include "pictures/PictureForm.h"
#include "player/PlayListWindows.h"
#include "reports/Reports.h"

#include <QWidget>
#include <functional>

class EveryWindowTest : public CommandsTest {
protected:
    void SetUp() override;

    // Opens the main window on the songs, then every window of the program in turn; each is
    // handed to `check` (which shows it), and unloaded afterwards (the main window stays loaded
    // under the others). The first song's path takes
    // the main window's detail box to its last line, and the picture window opens on a picture
    // pasted from the clipboard.
    void forEveryWindow(const std::function<void(QWidget *)> &check);
};
