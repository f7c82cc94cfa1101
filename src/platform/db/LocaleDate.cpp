#include "platform/db/LocaleDate.h"

#include <QLocale>
#include <QRegularExpression>
#include <QStringList>

namespace platform::db {

namespace {

// The locale's date formats with both year widths, and the ISO order.
QStringList dateFormats(const QLocale &loc) {
    QStringList out;
    for (const QString &base : {loc.dateFormat(QLocale::ShortFormat), loc.dateFormat(QLocale::LongFormat)}) {
        out << base;
        QString other = base;
        if (base.contains(QLatin1String("yyyy")))
            other.replace(QLatin1String("yyyy"), QLatin1String("yy"));
        else
            other.replace(QLatin1String("yy"), QLatin1String("yyyy"));
        out << other;
    }
    out << QStringLiteral("yyyy-M-d");
    out.removeDuplicates();
    return out;
}

QStringList timeFormats(const QLocale &loc) {
    QStringList out{loc.timeFormat(QLocale::ShortFormat), LocaleDate::secondsTimeFormat(loc),
                    loc.timeFormat(QLocale::LongFormat),
                    QStringLiteral("H:mm"), QStringLiteral("H:mm:ss"), QStringLiteral("h:mm AP"),
                    QStringLiteral("h:mm:ss AP")};
    out.removeDuplicates();
    return out;
}

// The order of day, month and year in the locale's short date ("dmy", "mdy" or "ymd").
QString fieldOrder(const QLocale &loc) {
    QString order;
    for (const QChar c : loc.dateFormat(QLocale::ShortFormat)) {
        const QChar k = c == u'M' ? u'm' : c;
        if ((k == u'd' || k == u'm' || k == u'y') && !order.contains(k))
            order += k;
    }
    return order.size() == 3 ? order : QStringLiteral("mdy");
}

// Three numbers with any of the usual separators, read in the locale's order of day, month and
// year ("05/01/2020" is 5 January where the day comes first, even when the locale writes dots);
// a year of three or four digits in front reads year, month, day.
std::optional<QDate> numericDate(const QLocale &loc, const QString &text) {
    static const QRegularExpression re(QStringLiteral("^(\\d{1,4})([/.-])(\\d{1,2})\\2(\\d{1,4})\\.?$"));
    const auto m = re.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QString parts[3] = {m.captured(1), m.captured(3), m.captured(4)};
    const QString order = parts[0].size() > 2 ? QStringLiteral("ymd") : fieldOrder(loc);
    int day = 0, month = 0, year = 0, yearDigits = 0;
    for (int i = 0; i < 3; ++i) {
        const int v = parts[i].toInt();
        switch (order[i].unicode()) {
        case 'd': day = v; break;
        case 'm': month = v; break;
        default:
            year = v;
            yearDigits = int(parts[i].size());
        }
    }
    if (yearDigits <= 2)
        year += year < 30 ? 2000 : 1900;
    const QDate d(year, month, day);
    if (!d.isValid())
        return std::nullopt;
    return d;
}

std::optional<QDate> parseDate(const QLocale &loc, const QString &text) {
    for (const QString &f : dateFormats(loc)) {
        QDate d = loc.toDate(text, f);
        if (!d.isValid())
            continue;
        // A two-digit year is read into 1900..1999; years below 30 belong to this century.
        if (!f.contains(QLatin1String("yyyy")) && d.year() < 1930)
            d = d.addYears(100);
        return d;
    }
    return numericDate(loc, text);
}

} // namespace

std::optional<QDateTime> LocaleDate::parse(const QString &input) {
    const QString text = input.simplified();
    if (text.isEmpty())
        return std::nullopt;
    const QLocale loc;
    if (const auto d = parseDate(loc, text))
        return QDateTime(*d, QTime(0, 0));
    // A date followed by a time: try every split at a blank, the time being the tail.
    for (qsizetype at = text.indexOf(QLatin1Char(' ')); at > 0; at = text.indexOf(QLatin1Char(' '), at + 1)) {
        const auto d = parseDate(loc, text.left(at));
        if (!d)
            continue;
        const QString tail = text.mid(at + 1);
        for (const QString &f : timeFormats(loc)) {
            const QTime t = loc.toTime(tail, f);
            if (t.isValid())
                return QDateTime(*d, t);
        }
    }
    return std::nullopt;
}

QString LocaleDate::shortDateFormat(const QLocale &locale) {
    const QString f = locale.dateFormat(QLocale::ShortFormat);
    QString out;
    out.reserve(f.size() + 2);
    bool quoted = false;
    for (qsizetype i = 0; i < f.size();) {
        const QChar c = f[i];
        if (c == u'\'')
            quoted = !quoted;
        if (c != u'y' || quoted) {
            out += c;
            ++i;
            continue;
        }
        while (i < f.size() && f[i] == u'y')
            ++i;
        out += QLatin1String("yyyy");
    }
    return out;
}

QString LocaleDate::secondsTimeFormat(const QLocale &loc) {
    QString f = loc.timeFormat(QLocale::ShortFormat);
    if (f.contains(QLatin1Char('s')))
        return f;
    const qsizetype m = f.indexOf(QLatin1String("mm"));
    if (m < 0)
        return QStringLiteral("H:mm:ss");
    // The seconds take the separator that stands before the minutes.
    const QChar before = m > 0 ? f.at(m - 1) : QLatin1Char(':');
    const QChar sep = before.isLetterOrNumber() || before.isSpace() || before == QLatin1Char('\'') ? QLatin1Char(':') : before;
    f.insert(m + 2, sep + QStringLiteral("ss"));
    return f;
}

QString LocaleDate::jetLiteral(const QDateTime &dt) {
    const QTime t = dt.time();
    if (t == QTime(0, 0))
        return QLatin1Char('#') + dt.date().toString(QStringLiteral("yyyy-MM-dd")) + QLatin1Char('#');
    return QLatin1Char('#') + dt.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QLatin1Char('#');
}

} // namespace platform::db
