#pragma once
// The category view of the main grid: the songs of one category, selected from qryContacts by
// the category clause, and the way back to all songs. The remembered category is the CATEGORY
// settings row (Name = the category's name when it was shown, Setting1 = its clause); the
// CATEGORYSTARTUP row says whether the main window shows it again at start.
#include <QString>
#include <optional>

namespace songlist {
class NameList;
}

namespace categories {

class CategoryView {
public:
    explicit CategoryView(songlist::NameList &w) : w_(w) {}

    // Shows the songs of one category in the main grid and remembers it.
    void showCategory(qint64 number, const QString &name);
    // Shows every song again and forgets the remembered category. The filter label is emptied
    // but keeps its visibility.
    void showAllSongs();

    // " CategoryNumber = <n> " (a blank on each side).
    static QString categoryClause(qint64 number);
    // The number a category clause names; nullopt for any other text.
    static std::optional<qint64> clauseNumber(const QString &clause);
    // Whether the main grid shows the category view of category `number` now (whatever its
    // sort order).
    bool shows(qint64 number) const;

    // The category the main window was last told to show (the CATEGORY row), by number;
    // nullopt when none is remembered.
    static std::optional<qint64> rememberedCategory();

    // The start-up box: on when the CATEGORYSTARTUP row reads as a true value or a number other
    // than 0, off when it is missing or reads as anything else.
    static bool startupBoxValue();
    static void writeStartupBox(bool on);

private:
    songlist::NameList &w_;
};

} // namespace categories
