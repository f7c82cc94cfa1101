#pragma once
// The genre names of the numeric genre codes of MP4 "gnre" items: a keyed store of texts, key
// "0" to "147" (decimal, no leading zeros). ModM4ATags::LoadGenreTable fills the program's one
// table; nothing removes an entry.
#include <QHash>
#include <QString>

namespace import {

class GenreTable {
public:
    // The program's table, created empty on first use and alive until the program ends.
    static GenreTable &instance();

    // The name stored under a key; the empty text when there is none.
    QString value(const QString &key) const { return entries_.value(key); }
    // Stores a name under a key, replacing an earlier one.
    void set(const QString &key, const QString &name) { entries_.insert(key, name); }
    int count() const { return int(entries_.size()); }

private:
    QHash<QString, QString> entries_;
};

} // namespace import
