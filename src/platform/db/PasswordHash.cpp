#include "platform/db/PasswordHash.h"

#include <QMessageAuthenticationCode>
#include <QRandomGenerator>
#include <QStringList>

namespace platform::db {

namespace {

constexpr int kIterations = 100000;

QByteArray pbkdf2(const QByteArray &password, const QByteArray &salt, int iterations) {
    QMessageAuthenticationCode mac(QCryptographicHash::Sha256, password);
    mac.addData(salt);
    const char block[4] = {0, 0, 0, 1}; // one block: the key is as long as the hash
    mac.addData(block, 4);
    QByteArray u = mac.result();
    QByteArray t = u;
    for (int i = 1; i < iterations; ++i) {
        mac.reset();
        mac.addData(u);
        u = mac.result();
        for (qsizetype k = 0; k < t.size(); ++k) t[k] = char(t[k] ^ u[k]);
    }
    return t;
}

} // namespace

QString hashPassword(const QString &password) {
    QByteArray salt(16, '\0');
    QRandomGenerator::system()->fillRange(reinterpret_cast<quint32 *>(salt.data()), 4);
    const QByteArray hash = pbkdf2(password.toUtf8(), salt, kIterations);
    return QStringLiteral("pbkdf2-sha256$%1$%2$%3")
        .arg(kIterations)
        .arg(QString::fromLatin1(salt.toBase64()), QString::fromLatin1(hash.toBase64()));
}

bool verifyPassword(const QString &password, const QString &stored) {
    const QStringList parts = stored.split(u'$');
    if (parts.size() != 4 || parts[0] != QLatin1String("pbkdf2-sha256")) return false;
    bool ok = false;
    const int iterations = parts[1].toInt(&ok);
    if (!ok || iterations < 1 || iterations > 10000000) return false;
    const QByteArray salt = QByteArray::fromBase64(parts[2].toLatin1());
    const QByteArray expected = QByteArray::fromBase64(parts[3].toLatin1());
    const QByteArray got = pbkdf2(password.toUtf8(), salt, iterations);
    if (got.size() != expected.size()) return false;
    char diff = 0; // compare in constant time
    for (qsizetype i = 0; i < got.size(); ++i) diff = char(diff | (got[i] ^ expected[i]));
    return diff == 0;
}

} // namespace platform::db
