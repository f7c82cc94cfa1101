#pragma once
// The one error type of the database layer: a DAO error number and its text.
#include <QString>
#include <stdexcept>

namespace platform::db {

// Error numbers the program tests by value.
namespace err {
inline constexpr int NoCurrentRecord = 3021;
inline constexpr int DuplicateKey = 3022;
inline constexpr int NotValidPassword = 3031;
inline constexpr int DatabaseDamaged = 3049;
inline constexpr int NotACatalogue = 3343;      // a file with none of the catalogue's tables
inline constexpr int TooFewParameters = 3061;   // an unknown field name in a query
inline constexpr int SyntaxError = 3075;        // syntax error in a query expression
inline constexpr int DataChanged = 3197;
inline constexpr int RecordDeleted = 3167;     // the row was deleted since it was listed
inline constexpr int ReadOnly = 3027;           // the catalogue or its folder cannot be written
inline constexpr int Locked = 3218;             // another program holds the catalogue's write lock
inline constexpr int DiskFull = 3026;           // the disk holding the catalogue has no room left
inline constexpr int DiskError = 3043;          // any other failure of the disk to read or write
inline constexpr int DatabaseExists = 3204;   // a database file is already where one would be made
inline constexpr int ItemNotFound = 3265;
inline constexpr int FileNotFound = 3024;
inline constexpr int OperationNotSupported = 3251;
inline constexpr int UpdateWithoutEdit = 3020;
inline constexpr int GeneralError = 3000;
inline constexpr int QueryTooComplex = 3360;    // a condition beyond the engine's expression depth
} // namespace err

// The description of a condition with more terms than the engine takes.
inline const QString &tooComplexDescription() {
    static const QString text = QStringLiteral("The condition is too long (more than about 1,000 terms).");
    return text;
}

class DbError : public std::runtime_error {
public:
    DbError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description) {}
    int number() const noexcept { return number_; }
    const QString &description() const noexcept { return description_; }

private:
    int number_;
    QString description_;
};

// The text a message shows for a caught error: a database error's own description, otherwise
// what() of any other exception.
inline QString errorText(const std::exception &e) {
    if (const auto *dbe = dynamic_cast<const DbError *>(&e))
        return dbe->description();
    return QString::fromUtf8(e.what());
}

// A description followed by `separator` and the error's number, as the error boxes show it
// ("...expression.  Error number:3085"): a separator that opens with a period takes the place of
// the description's own closing period, so the text never shows two.
inline QString withErrorNumber(const QString &description, const QString &separator, int number) {
    QString text = description;
    if (separator.startsWith(QLatin1Char('.')) && text.endsWith(QLatin1Char('.')))
        text.chop(1);
    return text + separator + QString::number(number);
}

} // namespace platform::db
