#pragma once
// A file-system failure handed back to the caller's own error handling, with the run-time
// error number the program's messages show (53 file not found, 61 disk full, 70 permission
// denied, 75 path/file access error).
#include <QString>
#include <cerrno>
#include <stdexcept>

namespace core {

inline constexpr int DiskFullError = 61;

// Whether a failed write's error number means that the disk has no room for it: no space
// left, the user's quota used up, or a file that may grow no further.
inline bool isDiskFull(int errnum) { return errnum == ENOSPC || errnum == EDQUOT || errnum == EFBIG; }

class FileError : public std::runtime_error {
public:
    FileError(int number, const QString &description)
        : std::runtime_error(description.toStdString()), number_(number), description_(description) {}
    int number() const noexcept { return number_; }
    const QString &description() const noexcept { return description_; }

private:
    int number_;
    QString description_;
};

} // namespace core
