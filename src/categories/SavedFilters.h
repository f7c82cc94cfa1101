#pragma once
// Criteria texts kept under a name, one FILTER settings row each (Name = the name, Setting8 =
// the text as typed). Names are trimmed, cut to their limit with a notice, and hold the acute
// accent in place of every apostrophe. Each command asks its own questions through the prompt
// service and reports what the window's list must show.
#include <QString>
#include <optional>

namespace categories {

class SavedFilters {
public:
    static constexpr int SaveNameLimit = 100;
    static constexpr int RenameNameLimit = 50;

    // Every saved filter's name, in the order the database gives them.
    static QStringList names();
    // The criteria of a saved filter; nullopt when no row has that name.
    static std::optional<QString> criteria(const QString &name);

    enum class Saved { Nothing, Added, Replaced };
    // Asks for a name (proposing `proposedName`) and keeps the criteria under it, replacing a
    // filter of that name when the user agrees. `name` receives the name as stored.
    static Saved save(const QString &criteria, const QString &proposedName, QString *name);
    // Asks for a new name for a filter; the new name as stored when the filter was renamed.
    // A name another filter bears already is refused with a message.
    static std::optional<QString> rename(const QString &oldName);
    // Asks whether to delete a filter; true when its row was deleted.
    static bool remove(const QString &name);

    // A name as stored: every apostrophe becomes the acute accent.
    static QString storedName(QString name);
};

} // namespace categories
