#pragma once
// The record commands of the main window: add and view / edit through the song editor, delete
// the current song, and count the songs shown with the total size of their files.
#include <QString>
#include <QVariant>

namespace songlist {

class NameList;

class RecordCommands {
public:
    explicit RecordCommands(NameList &w) : w_(w) {}

    void cmdAdd_Click();
    void cmdEdit_Click();
    void cmdDelete_Click();
    void DisplayRecCntMenu_Click();

    // ---- parts that need no window ---------------------------------------------------------
    // The size query of a record source: its FROM part (joins and WHERE included) under
    // "SELECT Sum(FileSizeNum) AS SumOfFileSizeNum ", without its ORDER BY tail.
    static QString sizeQuery(const QString &recordSource);
    // The count's message for `total` songs; `sizeMB` is the size total (Null = unknown), not
    // used for one song or a duplicate view.
    static QString countText(long total, bool duplicateView, const QVariant &sizeMB);
    // SelectedClause rewritten for the current WhereClause (" And ..." after a condition,
    // " Where ..." without one); an empty clause stays empty.
    static QString normalisedSelectedClause(const QString &selectedClause, const QString &whereClause);

private:
    NameList &w_;
};

} // namespace songlist
