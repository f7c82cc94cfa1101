#pragma once
// The grid column layout file ("tkcolumn.dat" in the data folder): one line per grid column
// from index 1 on (the mark column 0 is never written or read), each line
// "caption","field",width,alignment ended by CR LF; numbers with a point as the decimal mark.
#include "platform/ui/GridModel.h"

#include <QList>
#include <QString>

namespace songlist {

class ColumnLayoutFile {
public:
    static QString fileName() { return QStringLiteral("tkcolumn.dat"); }

    // The file's text for these columns (index 1 to the last).
    static QByteArray format(const QList<platform::ui::GridColumn> &columns);
    // Writes the file through a temporary file renamed over it, so a failure never leaves a
    // half-written layout; its folder is made when missing. Temporary files of earlier writes
    // cut short by a kill ("tkcolumn.dat.XXXXXX") are removed first. Throws std::runtime_error
    // with the reason on failure.
    static void write(const QString &path, const QList<platform::ui::GridColumn> &columns);

    // Reads the file into columns 1 to the last: each column read replaces the one at its
    // index (given divider style inset and made visible). Reading stops without a word at the
    // first line whose caption is numeric, at the end of the file, or at a value that cannot be
    // read; columns replaced before that keep their new settings. A missing file changes
    // nothing. Returns the number of columns replaced.
    static int read(const QString &path, QList<platform::ui::GridColumn> &columns);
};

} // namespace songlist
