#pragma once
// Find across all fields: asks for a text and shows every song of the catalogue in which any
// searchable field contains it, in the current sort order.
#include <QString>
#include <QStringList>

namespace songlist {

class NameList;

class FindAllFields {
public:
    explicit FindAllFields(NameList &w) : w_(w) {}

    void FindEditMenu_Click();

    // The prompt of the input box (eight lines joined by carriage returns).
    static QString prompt();
    // The parenthesised WHERE body for the fields of a view (the first field is never
    // searched): " (F1 Like "*text*" OR ... )". Double quotes of the text are doubled inside
    // the literals; a text that is a date in the user's locale adds Field=#yyyy-mm-dd# for the
    // date fields, which are left out otherwise.
    static QString whereBody(const QStringList &fieldNames, const QString &text);
    // The literal Like operand for a text: "*text*" with every double quote doubled.
    static QString likeOperand(const QString &text);

private:
    NameList &w_;
};

} // namespace songlist
