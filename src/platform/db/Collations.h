#pragma once
// The two text collations of the catalogue and the case folding they share with Like.
#include <QByteArrayView>
#include <QString>

struct sqlite3;

namespace platform::db::jet {

// Simple case folding of one code point (ASCII fast path).
char32_t foldCase(char32_t c) noexcept;

// Reads one UTF-8 code point at s[i] and advances i; a malformed byte is taken as itself.
char32_t decodeUtf8(const unsigned char *s, int len, int &i) noexcept;

// JETTEXT: case-blind for every letter; accented letters sort with their base letter and are
// told apart from it only when the base letters tie, so "Émotion" sorts among the E's.
int compareTextUtf8(QByteArrayView a, QByteArrayView b) noexcept;
// JETPATH: ordered like JETTEXT, ties broken by exact code points, so only identical texts are equal.
int comparePathUtf8(QByteArrayView a, QByteArrayView b) noexcept;

int compareText(const QString &a, const QString &b);
int comparePath(const QString &a, const QString &b);

// Registers JETTEXT and JETPATH on a connection.
void registerCollations(sqlite3 *db);

} // namespace platform::db::jet
