// The main window's grid events, incremental search, alphabet and mouse wheel, each forwarded in
// one line to the class that does the work.
#include "songlist/NameList.h"

#include "core/mMouseScrollWheel.h"
#include "songlist/GridEvents.h"
#include "songlist/IncrementalSearch.h"
#include "songlist/SelectionMarks.h"

namespace songlist {

namespace db = platform::db;

// ============================================================================ grid events

void NameList::Table1_BeginCellEdit() { GridEvents(*this).BeginCellEdit(); }
void NameList::Table1_EndCellEdit() { GridEvents(*this).EndCellEdit(); }
void NameList::Table1_StampDateUpdated() { GridEvents(*this).StampDateUpdated(); }
void NameList::Table1_SkipMarkColumn() { GridEvents(*this).SkipMarkColumn(); }
void NameList::Table1_ColumnResized() { GridEvents(*this).ColumnResized(); }
void NameList::Table1_OpenEditor() { GridEvents(*this).OpenEditor(); }
void NameList::Table1_MoveColumn(int ColIndex) { GridEvents(*this).MoveColumn(ColIndex); }
void NameList::Table1_KeyDown(int &KeyCode, int Shift, const QString &KeyText) {
    GridEvents(*this).KeyDown(KeyCode, Shift, KeyText);
}
void NameList::Table1_ShowPopupMenu(int Button, int Shift, int X, int Y) {
    GridEvents(*this).ShowPopupMenu(Button, Shift, X, Y);
}
void NameList::Table1_CurrentRowChanged(const db::Bookmark &LastRow, int LastCol) {
    SelectionMarks(*this).CurrentRowChanged(LastRow, LastCol);
}
void NameList::TextBackground_KeyDown(int &KeyCode, int Shift, const QString &KeyText) {
    Table1_KeyDown(KeyCode, Shift, KeyText);
}
void NameList::txtName_KeyDown(int &KeyCode, int Shift, const QString &KeyText) {
    Table1_KeyDown(KeyCode, Shift, KeyText);
}

// ============================================================================ incremental search

void NameList::txtLocate_KeyUp(int KeyCode, int Shift) { IncrementalSearch(*this).KeyUp(KeyCode, Shift); }
void NameList::txtLocate_Change() { IncrementalSearch(*this).Change(); }
void NameList::txtLocate_KeyPress(int &KeyAscii) { IncrementalSearch(*this).KeyPress(KeyAscii); }
void NameList::txtLocate_Click() { IncrementalSearch(*this).Click(); }
void NameList::txtLocate_LostFocus() { IncrementalSearch(*this).LostFocus(); }
void NameList::lblAlphabet_Click(int Index) { IncrementalSearch(*this).AlphabetClick(Index); }
void NameList::MouseWheel(int &MouseKeys, int &Rotation, int &Xpos, int &Ypos) {
    mMouseScrollWheel::GridScroll(Table1, MouseKeys, Rotation, Xpos, Ypos);
}

} // namespace songlist
