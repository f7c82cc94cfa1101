#pragma once
// The catalogue password is kept only as a salted, slow hash (PBKDF2-HMAC-SHA256). It gates
// opening the catalogue in the program; it does not encrypt the file.
#include <QString>

namespace platform::db {

// "pbkdf2-sha256$<iterations>$<salt>$<hash>" (salt and hash in base64).
QString hashPassword(const QString &password);
// True when `password` gives `stored`; an unreadable stored text never matches.
bool verifyPassword(const QString &password, const QString &stored);

} // namespace platform::db
