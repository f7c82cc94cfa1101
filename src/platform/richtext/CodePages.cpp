#include "platform/richtext/CodePages.h"

#include <QHash>
#include <QStringDecoder>
#include <array>
#include <memory>

namespace platform::richtext::codepages {

namespace {

// 0x80..0x9F of Windows-1252; 0 where the page leaves the byte undefined.
constexpr char16_t kWin1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

QChar win1252(unsigned char b) {
    if (b >= 0x80 && b < 0xA0)
        return kWin1252High[b - 0x80] ? QChar(kWin1252High[b - 0x80]) : QChar(b);
    return QChar(b);
}

QByteArray converterName(int cp) {
    switch (cp) {
    case 932: return "Shift_JIS";
    case 936: return "GBK";
    case 949: return "windows-949";
    case 950: return "Big5";
    case 1361: return "johab";
    case 10000: return "macintosh";
    case 10007: return "x-mac-cyrillic";
    case 20127: return "US-ASCII";
    case 28591: return "ISO-8859-1";
    case 65001: return "UTF-8";
    default: break;
    }
    if ((cp >= 1250 && cp <= 1258) || cp == 874)
        return "windows-" + QByteArray::number(cp);
    if (cp >= 437 && cp <= 869)
        return "IBM" + QByteArray::number(cp);
    if (cp >= 28592 && cp <= 28605)
        return "ISO-8859-" + QByteArray::number(cp - 28590);
    return "cp" + QByteArray::number(cp);
}

bool doubleByte(int cp) { return cp == 932 || cp == 936 || cp == 949 || cp == 950 || cp == 1361; }

struct Page {
    bool valid = false;
    std::array<QChar, 256> single{};
    std::unique_ptr<QStringDecoder> pairs; // double-byte pages only
};

const Page &page(int cp) {
    static QHash<int, std::shared_ptr<Page>> pages;
    auto it = pages.find(cp);
    if (it != pages.end())
        return **it;
    auto p = std::make_shared<Page>();
    if (cp != 1252) {
        QStringDecoder probe(converterName(cp).constData());
        p->valid = probe.isValid();
        if (p->valid) {
            for (int b = 0; b < 256; ++b) {
                const char c = char(b);
                QStringDecoder one(converterName(cp).constData());
                const QString s = one.decode(QByteArrayView(&c, 1));
                p->single[b] = s.size() == 1 ? s[0] : (b < 0x80 ? QChar(b) : QChar(QChar::ReplacementCharacter));
            }
            if (doubleByte(cp))
                p->pairs = std::make_unique<QStringDecoder>(converterName(cp).constData());
        }
    }
    if (!p->valid) {
        p->valid = cp == 1252;
        for (int b = 0; b < 256; ++b)
            p->single[b] = win1252(uchar(b));
    }
    return **pages.insert(cp, p);
}

} // namespace

int fromCharset(int charset) {
    switch (charset) {
    case 77: return 10000;
    case 128: return 932;
    case 129: return 949;
    case 130: return 1361;
    case 134: return 936;
    case 136: return 950;
    case 161: return 1253;
    case 162: return 1254;
    case 163: return 1258;
    case 177: return 1255;
    case 178: return 1256;
    case 186: return 1257;
    case 204: return 1251;
    case 222: return 874;
    case 238: return 1250;
    case 254: return 437;
    case 255: return 850;
    default: return 0;
    }
}

bool known(int codePage) { return codePage == 1252 || (codePage > 0 && page(codePage).valid); }

bool isLeadByte(int codePage, unsigned char b) {
    switch (codePage) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950:
    case 1361: return b >= 0x81 && b <= 0xFE;
    default: return false;
    }
}

QChar decodeByte(int codePage, unsigned char byte) {
    if (byte < 0x80)
        return QChar(byte);
    if (codePage == 1252 || codePage <= 0)
        return win1252(byte);
    return page(codePage).single[byte];
}

QString decodePair(int codePage, unsigned char lead, unsigned char trail) {
    const Page &p = page(codePage);
    if (!p.pairs)
        return QString(decodeByte(codePage, lead)) + decodeByte(codePage, trail);
    p.pairs->resetState();
    const char two[2] = {char(lead), char(trail)};
    QString s = p.pairs->decode(QByteArrayView(two, 2));
    p.pairs->resetState();
    if (s.isEmpty())
        return QString(QChar(QChar::ReplacementCharacter));
    return s;
}

int toWindows1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return c;
    for (int i = 0; i < 32; ++i)
        if (kWin1252High[i] == c)
            return 0x80 + i;
    return -1;
}

} // namespace platform::richtext::codepages
