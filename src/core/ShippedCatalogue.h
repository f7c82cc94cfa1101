#pragma once
// The empty catalogue that comes with the program (share/orvalis/OVdata-empty.mdb beside the
// program's folder, or in ../share for an installed program). It is a template: every new
// catalogue starts as a copy of it, and it is never opened as a user's catalogue itself, since
// the next build or update of the program replaces it with a fresh empty one.
#include <QString>
#include <optional>

namespace core {

class ShippedCatalogue {
public:
    // Where the template lies; the first place searched when it is in neither.
    static QString path();
    // Whether `file` is the template itself: the same directory entry, whatever the spelling of
    // the path (a link to the template is not the template).
    static bool is(const QString &file);

    // Makes `folder` when needed and copies the template into it as "OVdata.mdb", never over a
    // file of that name. Returns the new catalogue's path, or nullopt when no copy was made
    // (no template, the folder cannot be made or written, a file of that name is there).
    static std::optional<QString> copyInto(const QString &folder);

    // Why the template is not opened, for a box: `dataFolder` already holds a catalogue.
    static QString refusalText(const QString &dataFolder);
};

} // namespace core
