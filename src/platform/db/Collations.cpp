#include "platform/db/Collations.h"

#include <QChar>
#include <algorithm>
#include <cstring>
#include <memory>
#include <sqlite3.h>

namespace platform::db::jet {

char32_t foldCase(char32_t c) noexcept
{
    if (c < 0x80)
        return (c >= 'A' && c <= 'Z') ? c + 32 : c;
    return QChar::toCaseFolded(c);
}

char32_t decodeUtf8(const unsigned char *s, int len, int &i) noexcept
{
    const unsigned char b = s[i++];
    if (b < 0x80)
        return b;
    int extra = 0;
    char32_t c = 0;
    if ((b & 0xE0) == 0xC0) { extra = 1; c = b & 0x1F; }
    else if ((b & 0xF0) == 0xE0) { extra = 2; c = b & 0x0F; }
    else if ((b & 0xF8) == 0xF0) { extra = 3; c = b & 0x07; }
    else return b;
    if (i + extra > len)
        return b;
    for (int k = 0; k < extra; ++k) {
        if ((s[i + k] & 0xC0) != 0x80)
            return b;
        c = (c << 6) | (s[i + k] & 0x3F);
    }
    i += extra;
    return c;
}

namespace {

// The letter a code point sorts as: its canonical decomposition's first code point (so "É"
// sorts with "E"), case-folded; 0 for a combining mark, which sorts as nothing at this level
// (text stored decomposed sorts like text stored composed). Worked out once for the Basic
// Multilingual Plane; the table is built before any sort thread can ask for it.
class BaseLetters {
public:
    BaseLetters() : table_(new char32_t[0x10000]) {
        for (char32_t c = 0; c < 0x10000; ++c)
            table_[c] = compute(c);
    }
    char32_t operator()(char32_t c) const noexcept { return c < 0x10000 ? table_[c] : foldCase(c); }

private:
    static char32_t compute(char32_t c) {
        if (c < 0x80)
            return foldCase(c);
        if (QChar::category(c) == QChar::Mark_NonSpacing)
            return 0;
        char32_t base = c;
        for (int depth = 0; depth < 4 && QChar::decompositionTag(base) == QChar::Canonical; ++depth) {
            const QString d = QChar::decomposition(base);
            if (d.isEmpty())
                break;
            base = d.at(0).isHighSurrogate() && d.size() > 1 ? QChar::surrogateToUcs4(d.at(0), d.at(1))
                                                             : char32_t(d.at(0).unicode());
        }
        return foldCase(base);
    }
    std::unique_ptr<char32_t[]> table_;
};

const BaseLetters &baseLetters() {
    static const BaseLetters table;
    return table;
}

// Next code point of the primary level, skipping combining marks; 0 at the end.
char32_t nextBase(const BaseLetters &base, const unsigned char *s, int len, int &i) noexcept {
    while (i < len) {
        const char32_t c = s[i] < 0x80 ? foldCase(s[i++]) : base(decodeUtf8(s, len, i));
        if (c != 0)
            return c;
    }
    return 0;
}

// Case-folded code points with their accents: the level that orders "e" before "é".
int compareFolded(const unsigned char *pa, int la, const unsigned char *pb, int lb, int from) noexcept {
    int i = from, j = from;
    while (i < la && j < lb) {
        char32_t ca, cb;
        if (pa[i] < 0x80 && pb[j] < 0x80) {
            ca = pa[i++];
            cb = pb[j++];
            if (ca == cb)
                continue;
            ca = foldCase(ca);
            cb = foldCase(cb);
        } else {
            ca = foldCase(decodeUtf8(pa, la, i));
            cb = foldCase(decodeUtf8(pb, lb, j));
        }
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (i < la)
        return 1;
    if (j < lb)
        return -1;
    return 0;
}

} // namespace

int compareTextUtf8(QByteArrayView a, QByteArrayView b) noexcept
{
    const auto *pa = reinterpret_cast<const unsigned char *>(a.data());
    const auto *pb = reinterpret_cast<const unsigned char *>(b.data());
    const int la = int(a.size()), lb = int(b.size());

    // Index searches mostly meet texts that share a long start or are the same. Identical
    // leading bytes decode to identical characters, so both levels start at the character where
    // the bytes part: the last byte at or before that point that continues a character in
    // neither text (a malformed sequence is never read across such a byte either).
    const int n = std::min(la, lb);
    int from = 0;
    while (from < n && pa[from] == pb[from])
        ++from;
    if (from == la && from == lb)
        return 0;
    const auto continues = [](unsigned char c) { return (c & 0xC0) == 0x80; };
    while (from > 0 && ((from < la && continues(pa[from])) || (from < lb && continues(pb[from]))))
        --from;

    // Plain ASCII on both sides (most catalogue text) needs only the case-blind byte order.
    bool ascii = true;
    for (int k = 0; k < la && ascii; ++k)
        ascii = pa[k] < 0x80;
    for (int k = from; k < lb && ascii; ++k)
        ascii = pb[k] < 0x80;
    if (ascii)
        return compareFolded(pa, la, pb, lb, from);

    // First by base letters, so accented letters sort with their letter and not after "z";
    // only texts with the same letters are then told apart by their accents. Case never counts.
    const BaseLetters &base = baseLetters();
    int i = from, j = from;
    for (;;) {
        const char32_t ca = nextBase(base, pa, la, i);
        const char32_t cb = nextBase(base, pb, lb, j);
        if (ca != cb)
            return ca < cb ? -1 : 1;
        if (ca == 0)
            break;
    }
    return compareFolded(pa, la, pb, lb, from);
}

int comparePathUtf8(QByteArrayView a, QByteArrayView b) noexcept
{
    if (const int r = compareTextUtf8(a, b))
        return r;
    // UTF-8 byte order is code point order.
    const int n = int(std::min(a.size(), b.size()));
    if (const int r = n ? std::memcmp(a.data(), b.data(), size_t(n)) : 0)
        return r < 0 ? -1 : 1;
    return a.size() == b.size() ? 0 : (a.size() < b.size() ? -1 : 1);
}

int compareText(const QString &a, const QString &b)
{
    return compareTextUtf8(QByteArrayView(a.toUtf8()), QByteArrayView(b.toUtf8()));
}

int comparePath(const QString &a, const QString &b)
{
    return comparePathUtf8(QByteArrayView(a.toUtf8()), QByteArrayView(b.toUtf8()));
}

namespace {
int jetText(void *, int la, const void *a, int lb, const void *b)
{
    return compareTextUtf8(QByteArrayView(static_cast<const char *>(a), la),
                       QByteArrayView(static_cast<const char *>(b), lb));
}
int jetPath(void *, int la, const void *a, int lb, const void *b)
{
    return comparePathUtf8(QByteArrayView(static_cast<const char *>(a), la),
                       QByteArrayView(static_cast<const char *>(b), lb));
}
} // namespace

void registerCollations(sqlite3 *db)
{
    sqlite3_create_collation_v2(db, "JETTEXT", SQLITE_UTF8, nullptr, jetText, nullptr);
    sqlite3_create_collation_v2(db, "JETPATH", SQLITE_UTF8, nullptr, jetPath, nullptr);
}

} // namespace platform::db::jet
