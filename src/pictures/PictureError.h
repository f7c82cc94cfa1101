#pragma once
// A failure of the bitmap or JPEG classes handed to the caller: the run-time error number and
// its text. 1 is a misuse of the encoder (a bad sampling factor, comment length or table),
// 6 "Overflow" a picture too large for the file format, 9 "Subscript out of range" a save
// without samples. File-system failures of a save are core::FileError.
#include <QString>
#include <stdexcept>

namespace pictures {

class PictureError : public std::runtime_error {
public:
    static constexpr int Misuse = 1;
    static constexpr int Overflow = 6;
    static constexpr int SubscriptOutOfRange = 9;

    PictureError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description) {}
    int number() const noexcept { return number_; }
    const QString &description() const noexcept { return description_; }

private:
    int number_;
    QString description_;
};

} // namespace pictures
