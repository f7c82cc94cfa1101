#pragma once
// The locate box of the main window: every change of its text by a key, a paste or an input
// method moves the grid to the first displayed song whose sort field starts with the text; the alphabet labels type into the box; Enter
// opens the editor on the song found; a click starts the on-screen keyboard on a touch-only
// machine.
#include <QString>
#include <Qt>
#include <functional>

namespace platform::ui {
class DataControl;
}

namespace songlist {

class NameList;

class IncrementalSearch {
public:
    explicit IncrementalSearch(NameList &w) : w_(w) {}

    // The page and up/down keys give the grid the focus.
    void KeyUp(int KeyCode, int Shift);
    // The user changed the box's text: the search (the text itself is read from the box).
    void Change();
    void KeyPress(int &KeyAscii);
    void Click();
    // The focus moved to another control of the window: the box is emptied.
    void LostFocus();
    // Whether a focus loss for this reason is the focus moving to another control of the
    // window (and not a popup opening or another window being activated).
    static bool focusLeftForAControl(Qt::FocusReason reason);
    void AlphabetClick(int Index);

    // ---- parts that need no window ---------------------------------------------------------
    // `<index> like "<text>*"`, every double quote of the text doubled inside the literal.
    static QString criteria(const QString &indexName, const QString &text);
    // FindFirst on the data control; on no match it goes back to the row it was on. True when
    // a row was found.
    static bool locate(platform::ui::DataControl &data, const QString &criteria);
    // The key string an alphabet label types (index 0..37), "" for any other index.
    static QString alphabetKeys(int index);

    // What the input devices report. Tests replace the report (empty = ask the system).
    struct InputDevices {
        bool mousePresent = true;
        bool touchScreen = false;
    };
    static InputDevices inputDevices();
    static std::function<InputDevices()> &inputDevicesHook();

private:
    NameList &w_;
};

} // namespace songlist
