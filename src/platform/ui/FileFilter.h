#pragma once
// Conversion of the program's file-dialog filters ("description|pattern|description|pattern",
// several patterns of one entry separated by ";") into Qt's name filters.
#include <QString>
#include <QStringList>

namespace platform::ui {

// One Qt name filter per description/pattern pair, in order, so that entry n of the program's
// filter is element n-1 of the result. "*.*" becomes "*" (it means every file, with or without
// a dot). Qt reads the patterns from the last bracket group: a description that already ends
// in its patterns in brackets gets them there in Qt's form ("Database files (*.mdb)|*.mdb"
// stays "Database files (*.mdb)", "All Files (*.*)|*.*" gives "All Files (*)"); otherwise the
// group is appended ("Music|*.mp3;*.ogg" gives "Music (*.mp3 *.ogg)"). A description without a
// pattern at the end of the text is dropped.
QStringList convertFileFilter(const QString &filter);

} // namespace platform::ui
