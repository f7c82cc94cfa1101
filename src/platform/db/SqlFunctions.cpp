#include "platform/db/SqlFunctions.h"

#include "platform/db/Collations.h"
#include "platform/db/JetSql.h"
#include "platform/db/LocaleDate.h"

#include <QLocale>
#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <sqlite3.h>
#include <vector>

namespace platform::db::jet {

// --- dates and numbers as text -----------------------------------------------------------------

namespace {

int fullYear(int y, int digits)
{
    if (digits > 2)
        return y;
    return y < 30 ? 2000 + y : 1900 + y;
}

QString storedText(const QDate &d, const QTime &t)
{
    return d.toString(QStringLiteral("yyyy-MM-dd")) + u' ' + t.toString(QStringLiteral("HH:mm:ss"));
}

// Dates written with a month name ("2 Jan 2020", "January 2, 2020", "2-Jan-20"), in English as
// Jet reads them or in the user's language, with an optional time.
std::optional<QString> monthNameDate(const QString &text)
{
    static const char *const dateForms[] = {"d MMM yyyy", "d MMMM yyyy", "MMM d yyyy", "MMMM d yyyy",
                                            "d-MMM-yyyy", "d-MMMM-yyyy", "d MMM yy",   "d-MMM-yy"};
    QString t = text;
    t.remove(u',');
    QString timePart;
    static const QRegularExpression timeTail(QStringLiteral(R"(\s+(\d{1,2}:\d{1,2}(:\d{1,2})?\s*([AaPp][Mm]?)?)$)"));
    if (const auto tm = timeTail.match(t); tm.hasMatch()) {
        timePart = tm.captured(1);
        t.chop(tm.capturedLength(0));
    }
    for (const QLocale &loc : {QLocale::c(), QLocale()}) {
        for (const char *form : dateForms) {
            QDate d = loc.toDate(t, QLatin1String(form));
            if (!d.isValid())
                continue;
            if (QByteArrayView(form).endsWith("yy") && !QByteArrayView(form).endsWith("yyyy"))
                d = QDate(fullYear(d.year() % 100, 2), d.month(), d.day());
            QTime time(0, 0);
            if (!timePart.isEmpty()) {
                const auto withTime = parseDateLiteral(QStringLiteral("1/1/2000 ") + timePart);
                if (!withTime)
                    return std::nullopt;
                time = QTime::fromString(withTime->mid(11), QStringLiteral("HH:mm:ss"));
            }
            return storedText(d, time);
        }
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> parseDateLiteral(const QString &text)
{
    static const QRegularExpression re(QStringLiteral(
        R"(^\s*(?:(\d{1,4})([/.-])(\d{1,2})\2(\d{1,4}))?\s*(?:(\d{1,2}):(\d{1,2})(?::(\d{1,2}))?\s*(AM|PM|A|P)?)?\s*$)"),
        QRegularExpression::CaseInsensitiveOption);
    const auto m = re.match(text);
    if (text.trimmed().isEmpty())
        return std::nullopt;
    if (!m.hasMatch())
        return monthNameDate(text.simplified());
    QDate date(1899, 12, 30);
    if (m.capturedLength(1)) {
        const QString a = m.captured(1), sep = m.captured(2), b = m.captured(3), c = m.captured(4);
        int y, mo, d;
        if (a.size() > 2) {
            y = a.toInt();
            mo = b.toInt();
            d = c.toInt();
        } else if (sep == QLatin1String(".")) {
            d = a.toInt();
            mo = b.toInt();
            y = fullYear(c.toInt(), int(c.size()));
        } else {
            mo = a.toInt();
            d = b.toInt();
            y = fullYear(c.toInt(), int(c.size()));
            if (mo > 12 && d <= 12)
                std::swap(mo, d);
        }
        date = QDate(y, mo, d);
        if (!date.isValid())
            return std::nullopt;
    }
    QTime time(0, 0, 0);
    if (m.capturedLength(5)) {
        int h = m.captured(5).toInt();
        const QString ampm = m.captured(8).toUpper();
        if (!ampm.isEmpty()) {
            if (h < 1 || h > 12)
                return std::nullopt;
            if (ampm.startsWith(u'P') && h != 12)
                h += 12;
            else if (ampm.startsWith(u'A') && h == 12)
                h = 0;
        }
        time = QTime(h, m.captured(6).toInt(), m.capturedLength(7) ? m.captured(7).toInt() : 0);
        if (!time.isValid())
            return std::nullopt;
    }
    return storedText(date, time);
}

namespace {

bool looksStoredDate(const char *s, int n)
{
    if (n != 10 && n != 19)
        return false;
    static const char shape[] = "dddd-dd-dd dd:dd:dd";
    for (int i = 0; i < n; ++i) {
        if (shape[i] == 'd') {
            if (s[i] < '0' || s[i] > '9')
                return false;
        } else if (s[i] != shape[i]) {
            return false;
        }
    }
    return true;
}

} // namespace

namespace {

// The numbers of a stored date text; false when the text is not one.
bool storedDateParts(const char *s, int n, int (&v)[6])
{
    if (!looksStoredDate(s, n))
        return false;
    const auto num = [s](int at, int len) {
        int r = 0;
        for (int i = 0; i < len; ++i)
            r = r * 10 + (s[at + i] - '0');
        return r;
    };
    v[0] = num(0, 4);
    v[1] = num(5, 2);
    v[2] = num(8, 2);
    v[3] = n == 19 ? num(11, 2) : 0;
    v[4] = n == 19 ? num(14, 2) : 0;
    v[5] = n == 19 ? num(17, 2) : 0;
    return QDate::isValid(v[0], v[1], v[2]) && QTime::isValid(v[3], v[4], v[5]);
}

QString timeFormatWithoutZone(const QLocale &loc)
{
    QString f = loc.timeFormat(QLocale::LongFormat);
    static const QRegularExpression zone(QStringLiteral(R"(\s*\bt+\b)"));
    f.remove(zone);
    return f.trimmed();
}

// Dates and numbers as the locale shows them, dates with four-digit years. The locale's formats
// are read once, so a Like over many rows does not parse a format per row.
class DisplayFormat {
public:
    DisplayFormat()
    {
        compile(LocaleDate::shortDateFormat(loc_), date_);
        compile(timeFormatWithoutZone(loc_), time_);
        decimal_ = loc_.decimalPoint().toUtf8();
        minus_ = loc_.negativeSign().toUtf8();
        am_ = loc_.amText().toUtf8();
        pm_ = loc_.pmText().toUtf8();
    }

    // A small fixed buffer: Like formats one date per row without touching the heap.
    struct Buf {
        char data[160];
        int n = 0;
        void add(const char *s, int len)
        {
            len = std::min(len, int(sizeof data) - n);
            std::memcpy(data + n, s, size_t(len));
            n += len;
        }
        void add(const QByteArray &b) { add(b.constData(), int(b.size())); }
        void add(char c) { add(&c, 1); }
    };

    void dateText(const int (&v)[6], Buf &out) const
    {
        append(out, date_, v);
        if (v[3] || v[4] || v[5]) {
            out.add(' ');
            append(out, time_, v);
        }
    }

    QByteArray dateText(const int (&v)[6]) const
    {
        Buf b;
        dateText(v, b);
        return QByteArray(b.data, b.n);
    }

    QByteArray numberText(double d) const { return numberUtf8(d, decimal_, minus_); }

    // The shortest text that reads back as d, with the locale's decimal point and minus sign.
    static QByteArray numberUtf8(double d, const QByteArray &decimal, const QByteArray &minus)
    {
        char buf[64];
        const auto r = std::to_chars(buf, buf + sizeof buf, d);
        QByteArray out;
        for (const char *p = buf; p < r.ptr; ++p) {
            if (*p == '.')
                out += decimal;
            else if (*p == '-' && p == buf)
                out += minus;
            else
                out += *p;
        }
        return out;
    }

private:
    struct FormatItem {
        char kind; // d M y h H m s z, A / a (AM/PM, am/pm), L (literal)
        int width;
        QByteArray literal;
    };

    static void compile(const QString &f, std::vector<FormatItem> &out)
    {
        const bool hasAmPm = f.contains(QLatin1String("AP"), Qt::CaseInsensitive);
        for (int i = 0; i < f.size();) {
            const QChar c = f[i];
            if (c == u'\'') {
                int j = i + 1;
                QString lit;
                while (j < f.size()) {
                    if (f[j] == u'\'') {
                        if (j + 1 < f.size() && f[j + 1] == u'\'') {
                            lit += u'\'';
                            j += 2;
                            continue;
                        }
                        break;
                    }
                    lit += f[j++];
                }
                out.push_back({'L', 0, lit.isEmpty() ? QByteArray("'") : lit.toUtf8()});
                i = j + 1;
                continue;
            }
            if ((c == u'A' || c == u'a') && i + 1 < f.size() && (f[i + 1] == u'P' || f[i + 1] == u'p')) {
                out.push_back({c == u'A' ? 'A' : 'a', 0, {}});
                i += 2;
                continue;
            }
            if (QStringLiteral("dMyhHmsz").contains(c)) {
                int j = i;
                while (j < f.size() && f[j] == c)
                    ++j;
                char kind = char(c.unicode());
                if (kind == 'h' && !hasAmPm)
                    kind = 'H';
                out.push_back({kind, j - i, {}});
                i = j;
                continue;
            }
            out.push_back({'L', 0, QString(c).toUtf8()});
            ++i;
        }
    }

    static void number(Buf &out, int v, int width)
    {
        char buf[16];
        const auto r = std::to_chars(buf, buf + sizeof buf, v);
        for (int k = int(r.ptr - buf); k < width; ++k)
            out.add('0');
        out.add(buf, int(r.ptr - buf));
    }

    void append(Buf &out, const std::vector<FormatItem> &items, const int (&v)[6]) const
    {
        for (const FormatItem &p : items) {
            switch (p.kind) {
            case 'd':
                if (p.width <= 2)
                    number(out, v[2], p.width);
                else
                    out.add(loc_.dayName(QDate(v[0], v[1], v[2]).dayOfWeek(),
                                         p.width == 3 ? QLocale::ShortFormat : QLocale::LongFormat).toUtf8());
                break;
            case 'M':
                if (p.width <= 2)
                    number(out, v[1], p.width);
                else
                    out.add(loc_.monthName(v[1], p.width == 3 ? QLocale::ShortFormat : QLocale::LongFormat).toUtf8());
                break;
            case 'y':
                if (p.width >= 4)
                    number(out, v[0], 4);
                else
                    number(out, v[0] % 100, 2);
                break;
            case 'H': number(out, v[3], std::min(p.width, 2)); break;
            case 'h': number(out, v[3] % 12 == 0 ? 12 : v[3] % 12, std::min(p.width, 2)); break;
            case 'm': number(out, v[4], std::min(p.width, 2)); break;
            case 's': number(out, v[5], std::min(p.width, 2)); break;
            case 'z': out.add('0'); break;
            case 'A': out.add(v[3] < 12 ? am_ : pm_); break;
            case 'a': out.add((v[3] < 12 ? am_ : pm_).toLower()); break;
            default: out.add(p.literal); break;
            }
        }
    }

    QLocale loc_;
    std::vector<FormatItem> date_, time_;
    QByteArray decimal_, minus_, am_, pm_;
};

} // namespace

std::optional<QDateTime> parseStoredDate(const QString &text)
{
    const QByteArray b = text.toLatin1();
    int v[6];
    if (!storedDateParts(b.constData(), int(b.size()), v))
        return std::nullopt;
    return QDateTime(QDate(v[0], v[1], v[2]), QTime(v[3], v[4], v[5]));
}

QString localeDateText(const QDateTime &dt)
{
    const QDate d = dt.date();
    const QTime t = dt.time();
    const int v[6] = {d.year(), d.month(), d.day(), t.hour(), t.minute(), t.second()};
    return QString::fromUtf8(DisplayFormat().dateText(v));
}

QString localeNumberText(double d)
{
    const QLocale loc;
    return QString::fromUtf8(DisplayFormat::numberUtf8(d, loc.decimalPoint().toUtf8(), loc.negativeSign().toUtf8()));
}

// --- Like ----------------------------------------------------------------------------------------

namespace {

struct PatElem {
    enum Kind { Lit, One, Many, Digit, Set } kind = Lit;
    char32_t c = 0;
    bool negated = false;
    std::vector<std::pair<char32_t, char32_t>> ranges;
};
using Pattern = std::vector<PatElem>;

std::vector<char32_t> foldedCodePoints(const char *s, int n)
{
    std::vector<char32_t> out;
    out.reserve(size_t(n));
    const auto *p = reinterpret_cast<const unsigned char *>(s);
    for (int i = 0; i < n;)
        out.push_back(foldCase(decodeUtf8(p, n, i)));
    return out;
}

Pattern compilePattern(const char *s, int n)
{
    const std::vector<char32_t> cps = foldedCodePoints(s, n);
    // Where the last ] stands: a [ after it is a literal without a scan, so a pattern of many
    // unclosed [ compiles in linear time.
    size_t lastClose = cps.size();
    for (size_t k = cps.size(); k-- > 0;)
        if (cps[k] == ']') {
            lastClose = k;
            break;
        }
    Pattern pat;
    for (size_t i = 0; i < cps.size(); ++i) {
        const char32_t c = cps[i];
        PatElem e;
        if (c == '*') {
            if (!pat.empty() && pat.back().kind == PatElem::Many)
                continue;
            e.kind = PatElem::Many;
        } else if (c == '?') {
            e.kind = PatElem::One;
        } else if (c == '#') {
            e.kind = PatElem::Digit;
        } else if (c == '[') {
            size_t j = i + 1;
            if (lastClose == cps.size() || lastClose < j)
                j = cps.size();
            while (j < cps.size() && cps[j] != ']')
                ++j;
            if (j >= cps.size()) { // an unclosed [ is taken as itself
                e.c = c;
            } else {
                size_t k = i + 1;
                if (k < j && cps[k] == '!' && j - k > 1) {
                    e.negated = true;
                    ++k;
                }
                if (k == j) { // [] matches nothing: drop it
                    i = j;
                    continue;
                }
                e.kind = PatElem::Set;
                for (; k < j; ++k) {
                    if (k + 2 < j && cps[k + 1] == '-') {
                        e.ranges.emplace_back(std::min(cps[k], cps[k + 2]), std::max(cps[k], cps[k + 2]));
                        k += 2;
                    } else {
                        e.ranges.emplace_back(cps[k], cps[k]);
                    }
                }
                i = j;
            }
        } else {
            e.c = c;
        }
        pat.push_back(std::move(e));
    }
    return pat;
}

bool matchOne(const PatElem &e, char32_t c)
{
    switch (e.kind) {
    case PatElem::Lit: return e.c == c;
    case PatElem::One: return true;
    case PatElem::Digit: return c >= '0' && c <= '9';
    case PatElem::Set: {
        bool in = false;
        for (const auto &[lo, hi] : e.ranges)
            if (c >= lo && c <= hi) {
                in = true;
                break;
            }
        return in != e.negated;
    }
    case PatElem::Many: return false;
    }
    return false;
}

inline char32_t foldedAt(const unsigned char *s, int n, int &i)
{
    const unsigned char b = s[i];
    if (b < 0x80) {
        ++i;
        return (b >= 'A' && b <= 'Z') ? b + 32 : b;
    }
    return foldCase(decodeUtf8(s, n, i));
}

// Matches UTF-8 text against a pattern, folding as it reads (no copy of the value).
bool matchPattern(const Pattern &pat, const char *text, int n)
{
    const auto *s = reinterpret_cast<const unsigned char *>(text);
    constexpr size_t none = std::numeric_limits<size_t>::max();
    size_t p = 0, starP = none;
    int v = 0, starV = 0;
    while (v < n) {
        if (p < pat.size() && pat[p].kind == PatElem::Many) {
            if (p + 1 == pat.size())
                return true;
            starP = p++;
            starV = v;
            continue;
        }
        int nv = v;
        const char32_t c = foldedAt(s, n, nv);
        if (p < pat.size() && matchOne(pat[p], c)) {
            ++p;
            v = nv;
        } else if (starP != none) {
            p = starP + 1;
            foldedAt(s, n, starV);
            v = starV;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p].kind == PatElem::Many)
        ++p;
    return p == pat.size();
}

} // namespace

bool jetLike(const QString &value, const QString &pattern)
{
    const QByteArray v = value.toUtf8(), p = pattern.toUtf8();
    return matchPattern(compilePattern(p.constData(), int(p.size())), v.constData(), int(v.size()));
}

// --- Format --------------------------------------------------------------------------------------

QString formatDate(const QDateTime &dt, const QString &format)
{
    const QLocale loc;
    const QString f = format.trimmed().toLower();
    if (f == QLatin1String("general date"))
        return localeDateText(dt);
    if (f == QLatin1String("long date"))
        return loc.toString(dt.date(), QLocale::LongFormat);
    if (f == QLatin1String("medium date"))
        return loc.toString(dt.date(), QStringLiteral("dd-MMM-yy"));
    if (f == QLatin1String("short date"))
        return loc.toString(dt.date(), QLocale::ShortFormat);
    if (f == QLatin1String("long time"))
        return loc.toString(dt.time(), timeFormatWithoutZone(loc));
    if (f == QLatin1String("medium time"))
        return loc.toString(dt.time(), QStringLiteral("hh:mm AP"));
    if (f == QLatin1String("short time"))
        return dt.time().toString(QStringLiteral("HH:mm"));

    // Custom pattern: the Jet letters, read left to right. "m" after an hour is minutes.
    const bool twelveHour = f.contains(QLatin1String("am/pm")) || f.contains(QLatin1String("a/p"));
    QString out;
    bool lastWasHour = false;
    const int n = int(format.size());
    auto run = [&](int i, QChar ch) {
        int j = i;
        while (j < n && format[j].toLower() == ch)
            ++j;
        return j - i;
    };
    for (int i = 0; i < n;) {
        const QChar c = format[i].toLower();
        if (format.mid(i, 5).compare(QLatin1String("AM/PM"), Qt::CaseInsensitive) == 0) {
            const bool pm = dt.time().hour() >= 12;
            const bool upper = format[i].isUpper();
            out += pm ? (upper ? QStringLiteral("PM") : QStringLiteral("pm")) : (upper ? QStringLiteral("AM") : QStringLiteral("am"));
            i += 5;
            continue;
        }
        if (format.mid(i, 3).compare(QLatin1String("A/P"), Qt::CaseInsensitive) == 0) {
            const bool pm = dt.time().hour() >= 12;
            out += format[i].isUpper() ? QString(pm ? u'P' : u'A') : QString(pm ? u'p' : u'a');
            i += 3;
            continue;
        }
        if (c == u'\\' && i + 1 < n) {
            out += format[i + 1];
            i += 2;
            continue;
        }
        if (c == u'"') {
            const int j = int(format.indexOf(u'"', i + 1));
            out += format.mid(i + 1, (j < 0 ? n : j) - i - 1);
            i = j < 0 ? n : j + 1;
            continue;
        }
        const int len = (c == u'y' || c == u'm' || c == u'd' || c == u'h' || c == u'n' || c == u's' ||
                         c == u'q' || c == u'w')
                            ? run(i, c)
                            : 1;
        bool minutes = false;
        if (c == u'm' && len <= 2) {
            // Minutes when an hour came before or seconds follow.
            int k = i + len;
            while (k < n && !format[k].isLetter())
                ++k;
            minutes = lastWasHour || (k < n && format[k].toLower() == u's');
        }
        const QDate d = dt.date();
        const QTime t = dt.time();
        if (c == u'y') {
            if (len >= 3)
                out += QString::number(d.year()).rightJustified(4, u'0');
            else if (len == 2)
                out += QString::number(d.year() % 100).rightJustified(2, u'0');
            else
                out += QString::number(d.dayOfYear());
        } else if (c == u'm' && !minutes) {
            if (len >= 4)
                out += loc.monthName(d.month(), QLocale::LongFormat);
            else if (len == 3)
                out += loc.monthName(d.month(), QLocale::ShortFormat);
            else
                out += QString::number(d.month()).rightJustified(len, u'0');
        } else if (c == u'm' || c == u'n') {
            out += QString::number(t.minute()).rightJustified(std::min(len, 2), u'0');
        } else if (c == u'd') {
            if (len >= 6)
                out += loc.toString(d, QLocale::LongFormat);
            else if (len == 5)
                out += loc.toString(d, QLocale::ShortFormat);
            else if (len == 4)
                out += loc.dayName(d.dayOfWeek(), QLocale::LongFormat);
            else if (len == 3)
                out += loc.dayName(d.dayOfWeek(), QLocale::ShortFormat);
            else
                out += QString::number(d.day()).rightJustified(len, u'0');
        } else if (c == u'h') {
            int h = t.hour();
            if (twelveHour)
                h = h % 12 == 0 ? 12 : h % 12;
            out += QString::number(h).rightJustified(std::min(len, 2), u'0');
        } else if (c == u's') {
            out += QString::number(t.second()).rightJustified(std::min(len, 2), u'0');
        } else if (c == u'q') {
            out += QString::number((d.month() - 1) / 3 + 1);
        } else if (c == u'w') {
            out += len >= 2 ? QString::number(d.weekNumber()) : QString::number(d.dayOfWeek() % 7 + 1);
        } else {
            out += format[i];
        }
        if (c.isLetter())
            lastWasHour = c == u'h';
        i += len;
    }
    return out;
}

QString formatNumber(double d, const QString &format)
{
    QLocale loc;
    const QString f = format.trimmed().toLower();
    if (f.isEmpty() || f == QLatin1String("general number"))
        return localeNumberText(d);
    if (f == QLatin1String("fixed")) {
        loc.setNumberOptions(QLocale::OmitGroupSeparator);
        return loc.toString(d, 'f', 2);
    }
    if (f == QLatin1String("standard"))
        return loc.toString(d, 'f', 2);
    if (f == QLatin1String("percent"))
        return loc.toString(d * 100, 'f', 2) + u'%';
    if (f == QLatin1String("currency"))
        return loc.toCurrencyString(d);
    if (f == QLatin1String("scientific"))
        return loc.toString(d, 'E', 2);
    if (f == QLatin1String("yes/no"))
        return d != 0 ? QStringLiteral("Yes") : QStringLiteral("No");
    if (f == QLatin1String("true/false"))
        return d != 0 ? QStringLiteral("True") : QStringLiteral("False");
    if (f == QLatin1String("on/off"))
        return d != 0 ? QStringLiteral("On") : QStringLiteral("Off");
    // Custom: "0", "0.00", "#,##0.0", with an optional "%" and literal text around.
    const int first = int(f.indexOf(QRegularExpression(QStringLiteral("[0#]"))));
    if (first < 0)
        return format;
    int last = first;
    while (last < f.size() && QStringLiteral("0#,.").contains(f[last]))
        ++last;
    const QString numPart = f.mid(first, last - first);
    const int dot = int(numPart.indexOf(u'.'));
    const int decimals = dot < 0 ? 0 : int(numPart.size()) - dot - 1;
    const bool percent = f.contains(u'%');
    if (!numPart.left(dot < 0 ? numPart.size() : dot).contains(u','))
        loc.setNumberOptions(QLocale::OmitGroupSeparator);
    QString num = loc.toString(percent ? d * 100 : d, 'f', decimals);
    const QString intDigits = numPart.left(dot < 0 ? numPart.size() : dot);
    if (!intDigits.contains(u'0') && num.startsWith(QLatin1String("0")) && num.size() > 1)
        num.remove(0, 1); // "#.##" shows .5
    return format.left(first) + num + format.mid(last);
}

// --- SQL functions -------------------------------------------------------------------------------

namespace {

QString argText(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_NULL: return {};
    case SQLITE_INTEGER: return QString::number(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return localeNumberText(sqlite3_value_double(v));
    default:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_value_text(v)), sqlite3_value_bytes(v));
    }
}

bool isNull(sqlite3_value *v)
{
    return sqlite3_value_type(v) == SQLITE_NULL;
}

void resultText(sqlite3_context *ctx, const QString &s)
{
    const QByteArray b = s.toUtf8();
    sqlite3_result_text(ctx, b.constData(), int(b.size()), SQLITE_TRANSIENT);
}

void resultNumber(sqlite3_context *ctx, double d)
{
    if (std::floor(d) == d && std::fabs(d) < 9.0e15)
        sqlite3_result_int64(ctx, sqlite3_int64(d));
    else
        sqlite3_result_double(ctx, d);
}

void typeMismatch(sqlite3_context *ctx)
{
    sqlite3_result_error(ctx, "Data type mismatch in criteria expression.", -1);
}

void invalidCall(sqlite3_context *ctx)
{
    sqlite3_result_error(ctx, "Invalid procedure call or argument.", -1);
}

// True when one of the first `n` arguments is Null (the function's answer is then Null).
bool anyNull(sqlite3_value **argv, int n)
{
    return std::any_of(argv, argv + n, isNull);
}

std::optional<double> argNumber(sqlite3_value *v)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: return double(sqlite3_value_int64(v));
    case SQLITE_FLOAT: return sqlite3_value_double(v);
    case SQLITE_NULL: return std::nullopt;
    default: {
        const QString s = argText(v).trimmed();
        bool ok = false;
        double d = s.toDouble(&ok);
        if (!ok)
            d = QLocale().toDouble(s, &ok);
        if (!ok)
            return std::nullopt;
        return d;
    }
    }
}

std::optional<QDateTime> argDate(sqlite3_value *v)
{
    const int type = sqlite3_value_type(v);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) { // a day number counted from 1899-12-30
        const double serial = sqlite3_value_double(v);
        if (!(std::abs(serial) < 3e6)) // beyond any date a day number can give (and NaN)
            return std::nullopt;
        const double days = std::floor(serial);
        const QDate d = QDate(1899, 12, 30).addDays(qint64(days));
        return QDateTime(d, QTime(0, 0).addSecs(int(std::lround((serial - days) * 86400.0))));
    }
    if (type == SQLITE_NULL)
        return std::nullopt;
    const QString s = argText(v).trimmed();
    if (auto dt = parseStoredDate(s))
        return dt;
    if (auto local = LocaleDate::parse(s))
        return local;
    if (auto lit = parseDateLiteral(s))
        return parseStoredDate(*lit);
    return std::nullopt;
}

// A function of one argument that `read` takes (a number, a date): Null gives Null, a value it
// cannot take a type mismatch; otherwise f(value) gives the result.
template <typename Read, typename F>
void onArg(sqlite3_context *ctx, sqlite3_value *v, Read read, F f)
{
    if (isNull(v))
        return sqlite3_result_null(ctx);
    const auto value = read(v);
    if (!value)
        return typeMismatch(ctx);
    f(*value);
}
template <typename F>
void onNumber(sqlite3_context *ctx, sqlite3_value *v, F f)
{
    onArg(ctx, v, argNumber, f);
}
template <typename F>
void onDate(sqlite3_context *ctx, sqlite3_value *v, F f)
{
    onArg(ctx, v, argDate, f);
}

// Calls f(utf8, size) with the text Like and CStr see: numbers and stored dates as the locale
// shows them, other text as it is.
template <typename F>
auto withDisplayText(sqlite3_value *v, const DisplayFormat &fmt, F f)
{
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER: {
        char buf[24];
        const auto r = std::to_chars(buf, buf + sizeof buf, sqlite3_value_int64(v));
        return f(buf, int(r.ptr - buf));
    }
    case SQLITE_FLOAT: {
        const QByteArray b = fmt.numberText(sqlite3_value_double(v));
        return f(b.constData(), int(b.size()));
    }
    default: {
        const char *s = reinterpret_cast<const char *>(sqlite3_value_text(v));
        const int n = sqlite3_value_bytes(v);
        int parts[6];
        if (storedDateParts(s, n, parts)) {
            DisplayFormat::Buf b;
            fmt.dateText(parts, b);
            return f(b.data, b.n);
        }
        return f(s, n);
    }
    }
}

QByteArray displayUtf8(sqlite3_value *v)
{
    return withDisplayText(v, DisplayFormat(), [](const char *s, int n) { return QByteArray(s, n); });
}

// The compiled pattern and the locale's formats, kept by SQLite for the statement's run.
struct LikeAux {
    Pattern pattern;
    DisplayFormat format;
};

void fnLike(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (anyNull(argv, 2))
        return sqlite3_result_null(ctx);
    const auto match = [argv](const LikeAux &aux) {
        return withDisplayText(argv[0], aux.format,
                               [&aux](const char *s, int n) { return matchPattern(aux.pattern, s, n); });
    };
    if (const auto *aux = static_cast<const LikeAux *>(sqlite3_get_auxdata(ctx, 1)))
        return sqlite3_result_int(ctx, match(*aux));
    auto *fresh = new LikeAux;
    fresh->pattern = withDisplayText(argv[1], fresh->format,
                                     [](const char *s, int n) { return compilePattern(s, n); });
    const bool matched = match(*fresh);
    // SQLite may free it at once (a pattern that is not constant): not used after this call.
    sqlite3_set_auxdata(ctx, 1, fresh, [](void *p) { delete static_cast<LikeAux *>(p); });
    sqlite3_result_int(ctx, matched);
}

void fnCat(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]) && isNull(argv[1]))
        return sqlite3_result_null(ctx);
    resultText(ctx, argText(argv[0]) + argText(argv[1]));
}

// Jet rounds the operands of \ and Mod to whole numbers first (half to even).
std::optional<qint64> roundedArg(sqlite3_value *v)
{
    const auto d = argNumber(v);
    if (!d)
        return std::nullopt;
    return qint64(std::nearbyint(*d));
}

// Jet's \ and Mod work on Long values: an operand outside that range overflows.
bool inLongRange(sqlite3_value *v)
{
    const auto d = argNumber(v);
    return !d || (!std::isnan(*d) && std::nearbyint(*d) >= -2147483648.0 && std::nearbyint(*d) <= 2147483647.0);
}

// \ and Mod: Null when either side is Null; a division by zero is an error.
template <typename Op>
void wholeNumberDivision(sqlite3_context *ctx, sqlite3_value **argv, Op op)
{
    if (anyNull(argv, 2))
        return sqlite3_result_null(ctx);
    if (!inLongRange(argv[0]) || !inLongRange(argv[1]))
        return sqlite3_result_error(ctx, "Overflow.", -1);
    const auto a = roundedArg(argv[0]), b = roundedArg(argv[1]);
    if (!a || !b)
        return typeMismatch(ctx);
    if (*b == 0)
        return sqlite3_result_error(ctx, "Division by zero.", -1);
    sqlite3_result_int64(ctx, op(*a, *b));
}

void fnIntDiv(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    wholeNumberDivision(ctx, argv, [](qint64 a, qint64 b) { return a / b; });
}

void fnMod(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    wholeNumberDivision(ctx, argv, [](qint64 a, qint64 b) { return a % b; });
}

void fnPow(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (anyNull(argv, 2))
        return sqlite3_result_null(ctx);
    const auto a = argNumber(argv[0]), b = argNumber(argv[1]);
    if (!a || !b)
        return typeMismatch(ctx);
    resultNumber(ctx, std::pow(*a, *b));
}

template <typename F>
void textFn(sqlite3_context *ctx, sqlite3_value *v, F f)
{
    if (isNull(v))
        return sqlite3_result_null(ctx);
    resultText(ctx, f(argText(v)));
}

void fnUCase(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    textFn(ctx, argv[0], [](const QString &s) { return s.toUpper(); });
}
void fnLCase(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    textFn(ctx, argv[0], [](const QString &s) { return s.toLower(); });
}
void fnTrim(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    textFn(ctx, argv[0], [](QString s) {
        qsizetype a = 0, b = s.size();
        while (a < b && s[a] == u' ')
            ++a;
        while (b > a && s[b - 1] == u' ')
            --b;
        return s.mid(a, b - a);
    });
}
void fnLTrim(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    textFn(ctx, argv[0], [](QString s) {
        qsizetype a = 0;
        while (a < s.size() && s[a] == u' ')
            ++a;
        return s.mid(a);
    });
}
void fnRTrim(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    textFn(ctx, argv[0], [](QString s) {
        qsizetype b = s.size();
        while (b > 0 && s[b - 1] == u' ')
            --b;
        return s.left(b);
    });
}

std::optional<qint64> argCount(sqlite3_context *ctx, sqlite3_value *v, qint64 least)
{
    const auto n = argNumber(v);
    if (!n || std::isnan(*n) || std::nearbyint(*n) < double(least)) {
        invalidCall(ctx);
        return std::nullopt;
    }
    // A count beyond any text length acts as "all"; converting a huge double would be undefined.
    return std::nearbyint(*n) >= 2147483647.0 ? qint64(2147483647) : qint64(std::nearbyint(*n));
}

// Left and Right: the text cut to a count of at least 0; Null stays Null.
template <typename Cut>
void cutText(sqlite3_context *ctx, sqlite3_value **argv, Cut cut)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    if (const auto n = argCount(ctx, argv[1], 0))
        resultText(ctx, cut(argText(argv[0]), *n));
}
void fnLeft(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    cutText(ctx, argv, [](const QString &s, qint64 n) { return s.left(n); });
}
void fnRight(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    cutText(ctx, argv, [](const QString &s, qint64 n) { return s.right(n); });
}
void fnMid(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const auto start = argCount(ctx, argv[1], 1);
    if (!start)
        return;
    qint64 len = -1;
    if (argc > 2) {
        const auto n = argCount(ctx, argv[2], 0);
        if (!n)
            return;
        len = *n;
    }
    const QString s = argText(argv[0]);
    resultText(ctx, *start > s.size() ? QString() : s.mid(*start - 1, len));
}
void fnLen(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, argText(argv[0]).size());
}

// InStr([start,] text, sought [, compare]): 1-based, 0 when absent; compare 0 is binary,
// otherwise case-blind as every text comparison of the database.
void fnInStr(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    qint64 start = 1;
    int first = 0;
    if (argc >= 3) {
        if (isNull(argv[0]))
            return sqlite3_result_null(ctx);
        const auto s = argCount(ctx, argv[0], 1);
        if (!s)
            return;
        start = *s;
        first = 1;
    }
    Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    if (argc == 4) {
        const auto c = argNumber(argv[3]);
        if (c && *c == 0)
            cs = Qt::CaseSensitive;
    }
    if (isNull(argv[first]) || isNull(argv[first + 1]))
        return sqlite3_result_null(ctx);
    const QString hay = argText(argv[first]), needle = argText(argv[first + 1]);
    if (start > hay.size() + 1)
        return sqlite3_result_int(ctx, 0);
    sqlite3_result_int64(ctx, hay.indexOf(needle, start - 1, cs) + 1);
}

void fnNz(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (!isNull(argv[0]))
        return sqlite3_result_value(ctx, argv[0]);
    if (argc > 1)
        return sqlite3_result_value(ctx, argv[1]);
    sqlite3_result_text(ctx, "", 0, SQLITE_STATIC);
}

// Val: the number at the start of a text, blanks ignored; 0 when there is none.
void fnVal(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT)
        return sqlite3_result_value(ctx, argv[0]);
    QString s = argText(argv[0]);
    s.remove(QRegularExpression(QStringLiteral("[ \t\r\n]")));
    static const QRegularExpression num(QStringLiteral(R"(^[+-]?(\d+\.?\d*|\.\d+)([eEdD][+-]?\d+)?)"));
    const auto m = num.match(s);
    if (!m.hasMatch())
        return sqlite3_result_int(ctx, 0);
    QString t = m.captured(0);
    t.replace(u'd', u'e').replace(u'D', u'e');
    resultNumber(ctx, t.toDouble());
}

// Year, Month, Day, Hour, Minute and Second: one part of a date.
template <int (*Part)(const QDateTime &)>
void fnPartOfDate(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    onDate(ctx, argv[0], [ctx](const QDateTime &d) { sqlite3_result_int(ctx, Part(d)); });
}
int yearOf(const QDateTime &d) { return d.date().year(); }
int monthOf(const QDateTime &d) { return d.date().month(); }
int dayOf(const QDateTime &d) { return d.date().day(); }
int hourOf(const QDateTime &d) { return d.time().hour(); }
int minuteOf(const QDateTime &d) { return d.time().minute(); }
int secondOf(const QDateTime &d) { return d.time().second(); }

void fnDate(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, storedText(QDate::currentDate(), QTime(0, 0)));
}
void fnNow(sqlite3_context *ctx, int, sqlite3_value **)
{
    const QDateTime now = QDateTime::currentDateTime();
    resultText(ctx, storedText(now.date(), now.time()));
}

// Whether a Format pattern is for dates: a named date format, or a custom pattern with date
// letters and no digit placeholders.
bool isDateFormat(const QString &fmt)
{
    const QString f = fmt.trimmed().toLower();
    static const QStringList numberNames = {"general number", "currency", "fixed",      "standard", "percent",
                                            "scientific",     "yes/no",   "true/false", "on/off"};
    if (numberNames.contains(f))
        return false;
    if (f.endsWith(QLatin1String(" date")) || f.endsWith(QLatin1String(" time")))
        return true;
    static const QRegularExpression dateLetters(QStringLiteral("[dmyhnsqw]"));
    return dateLetters.match(f).hasMatch() && !f.contains(u'0') && !f.contains(u'#');
}

void fnFormat(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const QString fmt = argc > 1 ? argText(argv[1]) : QString();
    const int type = sqlite3_value_type(argv[0]);
    if (type == SQLITE_INTEGER || type == SQLITE_FLOAT) {
        const double d = sqlite3_value_double(argv[0]);
        if (fmt.isEmpty())
            return resultText(ctx, argText(argv[0]));
        // A date pattern applied to a number reads the number as a day number.
        if (isDateFormat(fmt)) {
            const auto dt = argDate(argv[0]);
            if (!dt)
                return typeMismatch(ctx);
            return resultText(ctx, formatDate(*dt, fmt));
        }
        return resultText(ctx, formatNumber(d, fmt));
    }
    const QString text = argText(argv[0]);
    if (auto dt = parseStoredDate(text.trimmed()))
        return resultText(ctx, fmt.isEmpty() ? localeDateText(*dt) : formatDate(*dt, fmt));
    if (fmt.isEmpty())
        return resultText(ctx, text);
    bool ok = false;
    const double d = text.trimmed().toDouble(&ok);
    if (ok)
        return resultText(ctx, formatNumber(d, fmt));
    if (auto dt = argDate(argv[0]))
        return resultText(ctx, formatDate(*dt, fmt));
    resultText(ctx, text);
}

void fnCStr(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    resultText(ctx, QString::fromUtf8(displayUtf8(argv[0])));
}

void convertInteger(sqlite3_context *ctx, sqlite3_value *v, qint64 lo, qint64 hi)
{
    onNumber(ctx, v, [=](double d) {
        const double r = std::nearbyint(d); // half to even, as Jet rounds
        if (r < double(lo) || r > double(hi))
            return sqlite3_result_error(ctx, "Overflow.", -1);
        sqlite3_result_int64(ctx, qint64(r));
    });
}

void fnCInt(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    convertInteger(ctx, argv[0], -32768, 32767);
}
void fnCLng(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    convertInteger(ctx, argv[0], -2147483648LL, 2147483647LL);
}
void fnCDbl(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    onNumber(ctx, argv[0], [ctx](double d) { sqlite3_result_double(ctx, d); });
}
void fnAbs(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER)
        return sqlite3_result_int64(ctx, std::llabs(sqlite3_value_int64(argv[0])));
    onNumber(ctx, argv[0], [ctx](double d) { resultNumber(ctx, std::fabs(d)); });
}
// Int and Fix: a whole number stays as it is; other numbers are cut down by `cut`.
template <typename Cut>
void wholePart(sqlite3_context *ctx, sqlite3_value *v, Cut cut)
{
    if (sqlite3_value_type(v) == SQLITE_INTEGER)
        return sqlite3_result_value(ctx, v);
    onNumber(ctx, v, [ctx, cut](double d) { resultNumber(ctx, cut(d)); });
}
void fnInt(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    wholePart(ctx, argv[0], [](double d) { return std::floor(d); });
}


// --- date arithmetic and date functions ----------------------------------------------------------

// A value that is a date: a stored date text (a date field, a #literal#, Date(), DateAdd ...).
std::optional<QDateTime> storedDateArg(sqlite3_value *v)
{
    if (sqlite3_value_type(v) != SQLITE_TEXT)
        return std::nullopt;
    int parts[6];
    if (!storedDateParts(reinterpret_cast<const char *>(sqlite3_value_text(v)), sqlite3_value_bytes(v), parts))
        return std::nullopt;
    return QDateTime(QDate(parts[0], parts[1], parts[2]), QTime(parts[3], parts[4], parts[5]));
}

void resultDate(sqlite3_context *ctx, const QDateTime &dt)
{
    const QDate d = dt.date();
    if (!d.isValid() || d.year() < 100 || d.year() > 9999)
        return sqlite3_result_error(ctx, "Overflow.", -1);
    resultText(ctx, storedText(d, dt.time()));
}

// Seconds between two dates and times (local clock, no time zone: a day is always 86,400 s).
qint64 secondsBetween(const QDateTime &a, const QDateTime &b)
{
    return a.date().daysTo(b.date()) * 86400 + (b.time().msecsSinceStartOfDay() - a.time().msecsSinceStartOfDay()) / 1000;
}

QDateTime plusSeconds(const QDateTime &dt, qint64 secs)
{
    const qint64 total = dt.time().msecsSinceStartOfDay() / 1000 + secs;
    qint64 days = total / 86400;
    qint64 rest = total % 86400;
    if (rest < 0) {
        rest += 86400;
        --days;
    }
    return QDateTime(dt.date().addDays(days), QTime(0, 0).addSecs(int(rest)));
}

// + and - as Jet computes them: a date plus or minus a number of days (fractions are times) is a
// date, a date minus a date the days between them; texts added are joined; other operands are
// numbers. SQLite would read a stored date "2026-..." as the number 2026.
void arithmetic(sqlite3_context *ctx, sqlite3_value **argv, bool subtract)
{
    if (anyNull(argv, 2))
        return sqlite3_result_null(ctx);
    const auto da = storedDateArg(argv[0]), db = storedDateArg(argv[1]);
    if (da || db) {
        if (da && db) {
            if (!subtract)
                return typeMismatch(ctx);
            return resultNumber(ctx, double(secondsBetween(*db, *da)) / 86400.0);
        }
        const auto n = argNumber(da ? argv[1] : argv[0]);
        if (!n || !std::isfinite(*n) || std::fabs(*n) > 4e6)
            return typeMismatch(ctx);
        if (db && subtract) // a number minus a date: the difference of their day numbers
            return resultNumber(ctx, *n - double(secondsBetween(QDateTime(QDate(1899, 12, 30), QTime(0, 0)), *db)) / 86400.0);
        const qint64 secs = qint64(std::llround(*n * 86400.0));
        return resultDate(ctx, plusSeconds(da ? *da : *db, subtract ? -secs : secs));
    }
    const int ta = sqlite3_value_type(argv[0]), tb = sqlite3_value_type(argv[1]);
    if (!subtract && ta == SQLITE_TEXT && tb == SQLITE_TEXT)
        return resultText(ctx, argText(argv[0]) + argText(argv[1]));
    if (ta == SQLITE_INTEGER && tb == SQLITE_INTEGER) {
        const sqlite3_int64 a = sqlite3_value_int64(argv[0]), b = sqlite3_value_int64(argv[1]);
        sqlite3_int64 r = 0;
        if (!(subtract ? __builtin_sub_overflow(a, b, &r) : __builtin_add_overflow(a, b, &r)))
            return sqlite3_result_int64(ctx, r);
    }
    const auto a = argNumber(argv[0]), b = argNumber(argv[1]);
    if (!a || !b)
        return typeMismatch(ctx);
    const double r = subtract ? *a - *b : *a + *b;
    if (ta == SQLITE_FLOAT || tb == SQLITE_FLOAT)
        return sqlite3_result_double(ctx, r);
    resultNumber(ctx, r);
}

void fnAdd(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    arithmetic(ctx, argv, false);
}
void fnSub(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    arithmetic(ctx, argv, true);
}

enum class Interval { Year, Quarter, Month, DayOfYear, Day, Weekday, Week, Hour, Minute, Second };

std::optional<Interval> intervalArg(sqlite3_value *v)
{
    const QString t = argText(v).trimmed().toLower();
    static const std::pair<const char *, Interval> names[] = {
        {"yyyy", Interval::Year}, {"q", Interval::Quarter},   {"m", Interval::Month},   {"y", Interval::DayOfYear},
        {"d", Interval::Day},     {"w", Interval::Weekday},   {"ww", Interval::Week},   {"h", Interval::Hour},
        {"n", Interval::Minute},  {"s", Interval::Second},
    };
    for (const auto &[name, iv] : names)
        if (t == QLatin1String(name))
            return iv;
    return std::nullopt;
}

// The first day of the week argument (1 = Sunday ... 7 = Saturday); 0 takes the default, Sunday.
std::optional<int> firstDayArg(int argc, sqlite3_value **argv, int at)
{
    if (argc <= at || isNull(argv[at]))
        return 1;
    const auto n = argNumber(argv[at]);
    if (!n || *n < 0 || *n > 7)
        return std::nullopt;
    return *n == 0 ? 1 : int(*n);
}

// 1 for the first day of the week, 7 for the last.
int weekdayOf(const QDate &d, int firstDay)
{
    const int sunday0 = d.dayOfWeek() % 7; // Sunday 0 ... Saturday 6
    return (sunday0 - (firstDay - 1) + 7) % 7 + 1;
}

void fnDateAdd(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (anyNull(argv, 3))
        return sqlite3_result_null(ctx);
    const auto iv = intervalArg(argv[0]);
    const auto n = argNumber(argv[1]);
    const auto dt = argDate(argv[2]);
    if (!iv || !n || !std::isfinite(*n) || std::fabs(*n) > 4e9)
        return invalidCall(ctx);
    if (!dt)
        return typeMismatch(ctx);
    const qint64 k = qint64(std::trunc(*n));
    switch (*iv) {
    // Months and years keep the day when the month has it, else the month's last day.
    case Interval::Year: return resultDate(ctx, QDateTime(dt->date().addYears(int(k)), dt->time()));
    case Interval::Quarter: return resultDate(ctx, QDateTime(dt->date().addMonths(int(k * 3)), dt->time()));
    case Interval::Month: return resultDate(ctx, QDateTime(dt->date().addMonths(int(k)), dt->time()));
    case Interval::DayOfYear:
    case Interval::Day:
    case Interval::Weekday: return resultDate(ctx, plusSeconds(*dt, k * 86400));
    case Interval::Week: return resultDate(ctx, plusSeconds(*dt, k * 7 * 86400));
    case Interval::Hour: return resultDate(ctx, plusSeconds(*dt, k * 3600));
    case Interval::Minute: return resultDate(ctx, plusSeconds(*dt, k * 60));
    case Interval::Second: return resultDate(ctx, plusSeconds(*dt, k));
    }
}

// DateDiff counts the boundaries crossed between the two dates: from 31 December to 1 January is
// one year; "ww" counts the first days of the week (Sundays by default), "w" whole weeks.
void fnDateDiff(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argv, 3))
        return sqlite3_result_null(ctx);
    const auto iv = intervalArg(argv[0]);
    const auto firstDay = firstDayArg(argc, argv, 3);
    if (!iv || !firstDay)
        return invalidCall(ctx);
    const auto a = argDate(argv[1]), b = argDate(argv[2]);
    if (!a || !b)
        return typeMismatch(ctx);
    const QDate da = a->date(), db = b->date();
    const qint64 days = da.daysTo(db);
    const auto floorDiv = [](qint64 x, qint64 y) { return x / y - ((x % y != 0) && ((x < 0) != (y < 0))); };
    const QDateTime base(QDate(1899, 12, 30), QTime(0, 0));
    qint64 r = 0;
    switch (*iv) {
    case Interval::Year: r = db.year() - da.year(); break;
    case Interval::Quarter: r = (db.year() * 4 + (db.month() - 1) / 3) - (da.year() * 4 + (da.month() - 1) / 3); break;
    case Interval::Month: r = (db.year() * 12 + db.month()) - (da.year() * 12 + da.month()); break;
    case Interval::DayOfYear:
    case Interval::Day: r = days; break;
    case Interval::Weekday: r = days / 7; break;
    case Interval::Week: {
        const auto weekStart = [&](const QDate &d) { return base.date().daysTo(d) - (weekdayOf(d, *firstDay) - 1); };
        r = (weekStart(db) - weekStart(da)) / 7;
        break;
    }
    case Interval::Hour: r = floorDiv(secondsBetween(base, *b), 3600) - floorDiv(secondsBetween(base, *a), 3600); break;
    case Interval::Minute: r = floorDiv(secondsBetween(base, *b), 60) - floorDiv(secondsBetween(base, *a), 60); break;
    case Interval::Second: r = secondsBetween(*a, *b); break;
    }
    sqlite3_result_int64(ctx, r);
}

void fnDatePart(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argv, 2))
        return sqlite3_result_null(ctx);
    const auto iv = intervalArg(argv[0]);
    const auto firstDay = firstDayArg(argc, argv, 2);
    if (!iv || !firstDay)
        return invalidCall(ctx);
    const auto dt = argDate(argv[1]);
    if (!dt)
        return typeMismatch(ctx);
    const QDate d = dt->date();
    const QTime t = dt->time();
    int r = 0;
    switch (*iv) {
    case Interval::Year: r = d.year(); break;
    case Interval::Quarter: r = (d.month() - 1) / 3 + 1; break;
    case Interval::Month: r = d.month(); break;
    case Interval::DayOfYear: r = d.dayOfYear(); break;
    case Interval::Day: r = d.day(); break;
    case Interval::Weekday: r = weekdayOf(d, *firstDay); break;
    // The week holding 1 January is week 1.
    case Interval::Week: r = (d.dayOfYear() - 1 + weekdayOf(QDate(d.year(), 1, 1), *firstDay) - 1) / 7 + 1; break;
    case Interval::Hour: r = t.hour(); break;
    case Interval::Minute: r = t.minute(); break;
    case Interval::Second: r = t.second(); break;
    }
    sqlite3_result_int(ctx, r);
}

// DateSerial carries what is out of range: month 13 is January of the next year, day 0 the last
// day of the month before. Years 0 to 29 are 2000 to 2029, 30 to 99 are 1930 to 1999.
void fnDateSerial(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (anyNull(argv, 3))
        return sqlite3_result_null(ctx);
    const auto y = argNumber(argv[0]), m = argNumber(argv[1]), d = argNumber(argv[2]);
    if (!y || !m || !d)
        return typeMismatch(ctx);
    if (std::fabs(*y) > 10000 || std::fabs(*m) > 120000 || std::fabs(*d) > 4e6)
        return sqlite3_result_error(ctx, "Overflow.", -1);
    int year = int(std::nearbyint(*y));
    if (year >= 0 && year < 30)
        year += 2000;
    else if (year >= 30 && year < 100)
        year += 1900;
    if (year < 100 || year > 9999)
        return invalidCall(ctx);
    const QDate date = QDate(year, 1, 1).addMonths(int(std::nearbyint(*m)) - 1).addDays(qint64(std::nearbyint(*d)) - 1);
    resultDate(ctx, QDateTime(date, QTime(0, 0)));
}

// CDate, DateValue and TimeValue: a date, a number of days or a text in the user's locale.
template <typename Part>
void convertDate(sqlite3_context *ctx, sqlite3_value *v, Part part)
{
    onDate(ctx, v, [ctx, part](const QDateTime &d) { resultDate(ctx, part(d)); });
}

void fnCDate(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    convertDate(ctx, argv[0], [](const QDateTime &d) { return d; });
}
void fnDateValue(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    convertDate(ctx, argv[0], [](const QDateTime &d) { return QDateTime(d.date(), QTime(0, 0)); });
}
void fnTimeValue(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    convertDate(ctx, argv[0], [](const QDateTime &d) { return QDateTime(QDate(1899, 12, 30), d.time()); });
}

void fnIsDate(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    // A number is not a date to IsDate, though CDate would take it as a day number.
    const int type = sqlite3_value_type(argv[0]);
    const bool date = type == SQLITE_TEXT && argDate(argv[0]).has_value();
    sqlite3_result_int(ctx, date ? -1 : 0);
}

void fnWeekday(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const auto firstDay = firstDayArg(argc, argv, 1);
    if (!firstDay)
        return invalidCall(ctx);
    onDate(ctx, argv[0],
           [ctx, day = *firstDay](const QDateTime &d) { sqlite3_result_int(ctx, weekdayOf(d.date(), day)); });
}

void fnTime(sqlite3_context *ctx, int, sqlite3_value **)
{
    resultText(ctx, storedText(QDate(1899, 12, 30), QTime::currentTime()));
}

void fnMonthName(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const auto m = argNumber(argv[0]);
    if (!m || std::nearbyint(*m) < 1 || std::nearbyint(*m) > 12)
        return invalidCall(ctx);
    const bool abbreviate = argc > 1 && !isNull(argv[1]) && argNumber(argv[1]).value_or(0) != 0;
    resultText(ctx, QLocale().monthName(int(std::nearbyint(*m)), abbreviate ? QLocale::ShortFormat : QLocale::LongFormat));
}

// --- functions a filter may call ----------------------------------------------------------------
// A Null argument gives Null, except where a function exists to look at Null (IsNull, IsNumeric,
// IsDate, Nz, and IIf, Switch and Choose, which pass their chosen value on).

// Texts Space and String build: a filter cannot ask for more than this, so a typo such as
// Space(1e9) fails instead of exhausting memory.
constexpr double kMaxBuiltText = 1 << 20;

void fnIsNumeric(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    const int type = sqlite3_value_type(argv[0]);
    bool numeric = type == SQLITE_INTEGER || type == SQLITE_FLOAT;
    if (type == SQLITE_TEXT && !storedDateArg(argv[0])) {
        const QString t = argText(argv[0]).trimmed();
        numeric = !t.isEmpty() && argNumber(argv[0]).has_value();
    }
    sqlite3_result_int(ctx, numeric ? -1 : 0);
}

void fnCBool(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (sqlite3_value_type(argv[0]) == SQLITE_TEXT) {
        const QString t = argText(argv[0]).trimmed();
        if (t.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return sqlite3_result_int(ctx, -1);
        if (t.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return sqlite3_result_int(ctx, 0);
    }
    onNumber(ctx, argv[0], [ctx](double n) { sqlite3_result_int(ctx, n != 0 ? -1 : 0); });
}

// Replace(text, find, with [, start [, count [, compare]]]): the text from `start` on, with up to
// `count` (-1: every) occurrences replaced; case-blind unless compare is 0.
void fnReplace(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argv, argc))
        return sqlite3_result_null(ctx);
    qint64 start = 1, count = -1;
    if (argc > 3) {
        const auto s = argCount(ctx, argv[3], 1);
        if (!s)
            return;
        start = *s;
    }
    if (argc > 4) {
        const auto c = argNumber(argv[4]);
        if (!c || std::nearbyint(*c) < -1)
            return invalidCall(ctx);
        count = qint64(std::min(std::nearbyint(*c), 2147483647.0));
    }
    Qt::CaseSensitivity cs = Qt::CaseInsensitive;
    if (argc > 5 && argNumber(argv[5]).value_or(1) == 0)
        cs = Qt::CaseSensitive;
    const QString text = argText(argv[0]);
    if (start > text.size())
        return resultText(ctx, QString());
    QString rest = text.mid(start - 1);
    const QString find = argText(argv[1]), with = argText(argv[2]);
    if (find.isEmpty() || count == 0)
        return resultText(ctx, rest);
    QString out;
    qsizetype at = 0;
    for (qint64 done = 0; count < 0 || done < count; ++done) {
        const qsizetype hit = rest.indexOf(find, at, cs);
        if (hit < 0)
            break;
        out += QStringView(rest).mid(at, hit - at);
        out += with;
        at = hit + find.size();
    }
    out += QStringView(rest).mid(at);
    resultText(ctx, out);
}

// Round to `places` decimals, an exact half to the even neighbour (2.5 gives 2, -2.5 gives -2).
void fnRound(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (isNull(argv[0]) || (argc > 1 && isNull(argv[1])))
        return sqlite3_result_null(ctx);
    const auto d = argNumber(argv[0]);
    if (!d)
        return typeMismatch(ctx);
    int places = 0;
    if (argc > 1) {
        const auto p = argNumber(argv[1]);
        if (!p || *p < 0 || *p > 15)
            return invalidCall(ctx);
        places = int(*p);
    }
    if (sqlite3_value_type(argv[0]) == SQLITE_INTEGER)
        return sqlite3_result_value(ctx, argv[0]);
    const double scale = std::pow(10.0, places);
    const double x = *d * scale;
    if (!std::isfinite(x))
        return sqlite3_result_double(ctx, *d);
    const double lower = std::floor(x);
    const double diff = x - lower;
    double r;
    // A value printed with a half (2.675 is 2.67499999...) counts as the half it was typed as.
    if (std::fabs(diff - 0.5) < 1e-9 * std::max(1.0, std::fabs(x)))
        r = std::fmod(lower, 2.0) == 0 ? lower : lower + 1;
    else
        r = std::round(x);
    const double result = r / scale;
    if (places == 0)
        return resultNumber(ctx, result);
    sqlite3_result_double(ctx, result);
}

void fnFix(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    wholePart(ctx, argv[0], [](double d) { return std::trunc(d); });
}

void fnSgn(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    onNumber(ctx, argv[0], [ctx](double d) { sqlite3_result_int(ctx, d > 0 ? 1 : (d < 0 ? -1 : 0)); });
}

// Str: a number as text with a leading blank where the sign would stand (always "." for decimals).
void fnStr(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    onNumber(ctx, argv[0], [ctx, argv](double d) {
        const QString digits = sqlite3_value_type(argv[0]) == SQLITE_INTEGER
                                   ? QString::number(sqlite3_value_int64(argv[0]))
                                   : QString::number(d, 'g', 15);
        resultText(ctx, d < 0 ? digits : u' ' + digits);
    });
}

// Chr of a character code 0 to 255 (Latin-1, as the code page of the catalogue's texts).
void fnChr(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    onNumber(ctx, argv[0], [ctx](double n) {
        const double code = std::nearbyint(n);
        if (code < 0 || code > 255)
            return invalidCall(ctx);
        resultText(ctx, QString(QChar(char16_t(code))));
    });
}

// Asc of the first character; an empty text has none, so Asc("") is an invalid call.
void fnAsc(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    const QString t = argText(argv[0]);
    if (t.isEmpty())
        return invalidCall(ctx);
    sqlite3_result_int(ctx, int(t.at(0).unicode()));
}

std::optional<qint64> builtLength(sqlite3_context *ctx, sqlite3_value *v)
{
    const auto n = argNumber(v);
    if (!n) {
        typeMismatch(ctx);
        return std::nullopt;
    }
    const double len = std::nearbyint(*n);
    if (len < 0) {
        invalidCall(ctx);
        return std::nullopt;
    }
    if (len > kMaxBuiltText) {
        sqlite3_result_error(ctx, "Out of memory: the text asked for is too long.", -1);
        return std::nullopt;
    }
    return qint64(len);
}

void fnSpace(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (isNull(argv[0]))
        return sqlite3_result_null(ctx);
    if (const auto n = builtLength(ctx, argv[0]))
        resultText(ctx, QString(*n, u' '));
}

// String(count, character): the character is a text's first character or a character code.
void fnString(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    if (anyNull(argv, 2))
        return sqlite3_result_null(ctx);
    const auto n = builtLength(ctx, argv[0]);
    if (!n)
        return;
    QChar c;
    if (sqlite3_value_type(argv[1]) == SQLITE_TEXT) {
        const QString t = argText(argv[1]);
        if (t.isEmpty())
            return invalidCall(ctx);
        c = t.at(0);
    } else {
        const auto code = argNumber(argv[1]);
        if (!code)
            return typeMismatch(ctx);
        c = QChar(char16_t(qint64(std::nearbyint(*code)) & 0xff));
    }
    resultText(ctx, QString(*n, c));
}

// StrComp(a, b [, compare]): -1, 0 or 1; compare 0 is binary, otherwise case-blind as every text
// comparison of the catalogue.
void fnStrComp(sqlite3_context *ctx, int argc, sqlite3_value **argv)
{
    if (anyNull(argv, 2))
        return sqlite3_result_null(ctx);
    const QString a = argText(argv[0]), b = argText(argv[1]);
    const bool binary = argc > 2 && !isNull(argv[2]) && argNumber(argv[2]).value_or(1) == 0;
    const int c = binary ? QString::compare(a, b, Qt::CaseSensitive) : compareText(a, b);
    sqlite3_result_int(ctx, c < 0 ? -1 : (c > 0 ? 1 : 0));
}

// The position Choose takes: its index rounded; Null (no choice) when there is none.
void fnChooseIndex(sqlite3_context *ctx, int, sqlite3_value **argv)
{
    onNumber(ctx, argv[0], [ctx](double n) {
        if (!(std::fabs(n) < 1e9))
            return sqlite3_result_null(ctx);
        sqlite3_result_int64(ctx, qint64(std::nearbyint(n)));
    });
}

// Date(), Now() and Time() are registered deterministic too: SQLite then computes them once per
// run of a statement instead of once per row, which is also how Jet reads the clock for a query.
struct FnReg {
    const char *name;
    int nArg;
    void (*fn)(sqlite3_context *, int, sqlite3_value **);
    bool deterministic;
};

const FnReg kRegs[] = {
    {"jet_like", 2, fnLike, true},     {"jet_cat", 2, fnCat, true},       {"jet_idiv", 2, fnIntDiv, true},
    {"jet_mod", 2, fnMod, true},       {"jet_pow", 2, fnPow, true},       {"jet_ucase", 1, fnUCase, true},
    {"jet_lcase", 1, fnLCase, true},   {"jet_left", 2, fnLeft, true},     {"jet_right", 2, fnRight, true},
    {"jet_mid", 2, fnMid, true},       {"jet_mid", 3, fnMid, true},       {"jet_len", 1, fnLen, true},
    {"jet_trim", 1, fnTrim, true},     {"jet_ltrim", 1, fnLTrim, true},   {"jet_rtrim", 1, fnRTrim, true},
    {"jet_instr", 2, fnInStr, true},   {"jet_instr", 3, fnInStr, true},   {"jet_instr", 4, fnInStr, true},
    {"jet_nz", 1, fnNz, true},         {"jet_nz", 2, fnNz, true},         {"jet_val", 1, fnVal, true},
    {"jet_year", 1, fnPartOfDate<yearOf>, true}, {"jet_month", 1, fnPartOfDate<monthOf>, true},
    {"jet_day", 1, fnPartOfDate<dayOf>, true},
    {"jet_date", 0, fnDate, true},     {"jet_now", 0, fnNow, true},      {"jet_format", 1, fnFormat, true},
    {"jet_format", 2, fnFormat, true}, {"jet_cstr", 1, fnCStr, true},     {"jet_cint", 1, fnCInt, true},
    {"jet_clng", 1, fnCLng, true},     {"jet_cdbl", 1, fnCDbl, true},     {"jet_abs", 1, fnAbs, true},
    {"jet_int", 1, fnInt, true},
    {"jet_add", 2, fnAdd, true},       {"jet_sub", 2, fnSub, true},       {"jet_dateadd", 3, fnDateAdd, true},
    {"jet_datediff", 3, fnDateDiff, true}, {"jet_datediff", 4, fnDateDiff, true},
    {"jet_datepart", 2, fnDatePart, true}, {"jet_datepart", 3, fnDatePart, true},
    {"jet_dateserial", 3, fnDateSerial, true}, {"jet_cdate", 1, fnCDate, true},
    {"jet_datevalue", 1, fnDateValue, true}, {"jet_timevalue", 1, fnTimeValue, true},
    {"jet_isdate", 1, fnIsDate, true}, {"jet_weekday", 1, fnWeekday, true}, {"jet_weekday", 2, fnWeekday, true},
    {"jet_hour", 1, fnPartOfDate<hourOf>, true}, {"jet_minute", 1, fnPartOfDate<minuteOf>, true},
    {"jet_second", 1, fnPartOfDate<secondOf>, true},
    {"jet_time", 0, fnTime, true},     {"jet_monthname", 1, fnMonthName, true},
    {"jet_monthname", 2, fnMonthName, true},
    {"jet_isnumeric", 1, fnIsNumeric, true}, {"jet_cbool", 1, fnCBool, true},
    {"jet_replace", 3, fnReplace, true}, {"jet_replace", 4, fnReplace, true}, {"jet_replace", 5, fnReplace, true},
    {"jet_replace", 6, fnReplace, true}, {"jet_round", 1, fnRound, true}, {"jet_round", 2, fnRound, true},
    {"jet_fix", 1, fnFix, true},       {"jet_sgn", 1, fnSgn, true},       {"jet_str", 1, fnStr, true},
    {"jet_chr", 1, fnChr, true},       {"jet_asc", 1, fnAsc, true},       {"jet_space", 1, fnSpace, true},
    {"jet_string", 2, fnString, true}, {"jet_strcomp", 2, fnStrComp, true}, {"jet_strcomp", 3, fnStrComp, true},
    {"jet_chooseindex", 1, fnChooseIndex, true},
};

} // namespace

void registerSqlFunctions(sqlite3 *db)
{
    for (const FnReg &r : kRegs)
        sqlite3_create_function_v2(db, r.name, r.nArg, SQLITE_UTF8 | (r.deterministic ? SQLITE_DETERMINISTIC : 0),
                                   nullptr, r.fn, nullptr, nullptr, nullptr);
}

void registerFunctions(sqlite3 *db)
{
    // A double-quoted word is always a name here: an unknown one must fail, not turn into a string.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    registerCollations(db);
    registerSqlFunctions(db);
}

} // namespace platform::db::jet
