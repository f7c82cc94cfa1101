#pragma once
// Every window of the program, opened offscreen one after the other over the commands' ten
// songs, a category, a note and a play list, for checks that must hold in each of them: the main
// window with its current row, the editor showing a song, the report window holding a report,
// the help page in the program's own viewer, and every other window as it opens.
#include "songlist/CommandsFixture.h"

#include "platform/ui/Forms.h"

#include <functional>

class EveryWindowTest : public CommandsTest {
protected:
    void SetUp() override;
    // Opens the main window, then shows each window in turn, hands it to `check` and closes it;
    // the main window is only hidden, so it stays loaded under the others.
    void forEveryWindow(const std::function<void(QWidget *)> &check);

private:
    void visit(QWidget *window, const std::function<void(QWidget *)> &check);
    template <class T> void visit(const std::function<void(QWidget *)> &check) {
        visit(platform::ui::form<T>(), check);
    }
};
