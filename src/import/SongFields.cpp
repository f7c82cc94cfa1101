#include "import/SongFields.h"

#include "core/mCommon.h"
#include "import/ModM4ATags.h"
#include "import/Module1.h"

#include <array>

namespace import {

QVector<QPair<QString, QVariant>> SongFields::values() const {
    QVector<QPair<QString, QVariant>> out;
    out.reserve(12);
    const auto add = [&out](const QString &name, const std::optional<QString> &v) {
        if (v)
            out.append({name, QVariant(*v)});
    };
    add(QStringLiteral("SongName"), SongName);
    add(QStringLiteral("Artist"), Artist);
    add(QStringLiteral("Composer"), Composer);
    add(QStringLiteral("AlbumName"), AlbumName);
    add(QStringLiteral("Genre"), Genre);
    add(QStringLiteral("Duration"), Duration);
    add(QStringLiteral("Year"), Year);
    add(QStringLiteral("Notes"), Notes);
    add(QStringLiteral("BPM"), BPM);
    add(QStringLiteral("bitRate"), bitRate);
    add(QStringLiteral("TrackText"), TrackText);
    if (TrackNum)
        out.append({QStringLiteral("TrackNum"), QVariant(*TrackNum)});
    return out;
}

bool atOrBelowBlank(const QString &text) {
    return QString::compare(text, QStringLiteral(" "), Qt::CaseSensitive) <= 0;
}

QString firstChars(const QString &text, int n) {
    if (text.size() <= n)
        return text;
    if (n > 0 && text.at(n - 1).isHighSurrogate())
        --n;
    return text.left(n);
}

namespace {

// Parses the numeric forms isNumeric() accepts; the digits, sign, point and exponent, without
// blanks and thousands separators, go into `plain`.
bool parseNumber(const QString &text, QString *plain) {
    qsizetype i = 0;
    const qsizetype n = text.size();
    const auto at = [&](qsizetype k) { return k < n ? text.at(k) : QChar(); };
    const auto isDigit = [](QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); };
    QString out;
    while (at(i) == QLatin1Char(' '))
        ++i;
    if (at(i) == QLatin1Char('+') || at(i) == QLatin1Char('-'))
        out += text.at(i++);
    int digits = 0;
    while (isDigit(at(i)) || (digits > 0 && at(i) == QLatin1Char(','))) {
        if (at(i) != QLatin1Char(','))
            out += text.at(i), ++digits;
        ++i;
    }
    if (at(i) == QLatin1Char('.')) {
        out += text.at(i++);
        while (isDigit(at(i)))
            out += text.at(i++), ++digits;
    }
    if (digits == 0)
        return false;
    if (at(i) == QLatin1Char('e') || at(i) == QLatin1Char('E')) {
        qsizetype k = i + 1;
        QString exp = QStringLiteral("e");
        if (at(k) == QLatin1Char('+') || at(k) == QLatin1Char('-'))
            exp += text.at(k++);
        if (!isDigit(at(k)))
            return false;
        while (isDigit(at(k)))
            exp += text.at(k++);
        out += exp;
        i = k;
    }
    while (at(i) == QLatin1Char(' '))
        ++i;
    if (i != n)
        return false;
    if (plain)
        *plain = out;
    return true;
}

// Whether a character exists in the Windows-1252 code page; any other character (and "?")
// turns into a question mark there. The shell put such an invisible mark in front of bit rates.
bool inWindows1252(QChar c) {
    const char16_t u = c.unicode();
    if (u < 0x80 || (u >= 0xA0 && u <= 0xFF))
        return true;
    static constexpr std::array<char16_t, 27> extra{0x20AC, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x017D, 0x2018,
                                                    0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC,
                                                    0x2122, 0x0161, 0x203A, 0x0153, 0x017E, 0x0178};
    for (char16_t e : extra)
        if (e == u)
            return true;
    return false;
}

QString bitRateRule(QString s) {
    if (s.isEmpty())
        return s;
    const QChar c = s.at(0);
    if (c == QLatin1Char('?') || !inWindows1252(c))
        s.remove(0, c.isHighSurrogate() && s.size() > 1 ? 2 : 1);
    return s;
}

} // namespace

bool isNumeric(const QString &text) { return parseNumber(text, nullptr); }

std::optional<double> numericValue(const QString &text) {
    QString plain;
    if (!parseNumber(text, &plain))
        return std::nullopt;
    bool ok = false;
    const double v = plain.toDouble(&ok);
    return ok ? std::optional<double>(v) : std::nullopt;
}

SongFields shellColumnFields(const ColumnReader &column, int winMajorVersion, const QString &fileName) {
    SongFields f;
    const auto read = [&column](int c) -> std::optional<QString> {
        try {
            return column(c);
        } catch (...) {
            return std::nullopt;
        }
    };
    const auto cut = [&read](int c, int n) -> std::optional<QString> {
        auto v = read(c);
        if (v)
            *v = firstChars(*v, n);
        return v;
    };
    const bool before6 = winMajorVersion <= 5;

    if (auto v = cut(before6 ? 10 : 21, 255)) {
        if (!before6)
            *v = mCommon::TrimBlanks(*v);
        f.SongName = atOrBelowBlank(*v) ? fileName : *v;
    }
    if (auto v = cut(before6 ? 16 : 13, 255))
        f.Artist = atOrBelowBlank(*v) ? QStringLiteral("Unknown") : *v;
    if (!before6)
        f.Composer = cut(220, 255);
    f.AlbumName = cut(before6 ? 17 : 14, 255);
    f.Genre = cut(before6 ? 20 : 16, 255);
    f.Duration = cut(before6 ? 21 : 27, 8);
    f.Year = cut(before6 ? 18 : 15, 10);
    f.Notes = before6 ? cut(14, 255) : read(24);
    if (!before6) {
        // The first of these columns whose text is a number gives the BPM; when none does, the
        // last one's text stays.
        for (int c : {237, 231, 219, 204, 243, 235, 227}) {
            if (auto v = cut(c, 5))
                f.BPM = v;
            if (f.BPM && isNumeric(*f.BPM))
                break;
        }
    }
    if (auto v = cut(before6 ? 22 : 28, 20))
        f.bitRate = bitRateRule(*v);
    if (auto v = read(before6 ? 19 : 26)) {
        f.TrackText = firstChars(*v, 10);
        if (isNumeric(*v))
            f.TrackNum = numericValue(*f.TrackText);
    }
    return f;
}

SongFields tagFieldsForNewSong(const QString &extension, const QString &fileType, int winMajorVersion,
                               const QString &filePath, const QString &fileName, const ColumnReader &column) {
    if (extension == QLatin1String(".flac") || extension == QLatin1String(".ogg"))
        return Module1::vorbisCommentFields(filePath, fileName);
    if (winMajorVersion <= 5 && fileType == QLatin1String("M4A"))
        return ModM4ATags::mp4AtomFields(filePath, fileName);
    return shellColumnFields(column, winMajorVersion, fileName);
}

} // namespace import
