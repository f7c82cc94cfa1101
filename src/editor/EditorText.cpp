#include "editor/EditorText.h"

#include "import/SongFields.h"
#include "platform/db/LocaleDate.h"

#include <QLocale>

namespace editor {

namespace {

QString fourDigitYearFormat(const QLocale &loc) {
    QString f = loc.dateFormat(QLocale::ShortFormat);
    if (!f.contains(QLatin1String("yyyy")))
        f.replace(QLatin1String("yy"), QLatin1String("yyyy"));
    return f;
}

QDateTime asDateTime(const QVariant &value) {
    if (value.typeId() == QMetaType::QDateTime)
        return value.toDateTime();
    if (value.typeId() == QMetaType::QDate)
        return QDateTime(value.toDate(), QTime(0, 0));
    return {};
}

} // namespace

QString shortDate(const QDate &date) {
    const QLocale loc;
    return loc.toString(date, fourDigitYearFormat(loc));
}

QString dateBoxText(const QVariant &value) {
    if (!value.isValid() || value.isNull())
        return {};
    const QDateTime dt = asDateTime(value);
    if (!dt.isValid())
        return value.toString();
    QString out = shortDate(dt.date());
    const QTime t = dt.time();
    if (t.second() != 0) // the short time would drop them, and the save with it
        out += QLatin1Char(' ') + QLocale().toString(t, platform::db::LocaleDate::secondsTimeFormat(QLocale()));
    else if (t != QTime(0, 0))
        out += QLatin1Char(' ') + QLocale().toString(t, QLocale::ShortFormat);
    return out;
}

QString dateTimeText(const QVariant &value) {
    if (!value.isValid() || value.isNull())
        return {};
    const QDateTime dt = asDateTime(value);
    if (!dt.isValid())
        return value.toString();
    return shortDate(dt.date()) + QLatin1Char(' ') + QLocale().toString(dt.time(), QLocale::ShortFormat);
}

DurationProblem durationProblem(const QString &text) {
    // Pieces past the end of the text are empty, and an empty piece is no number.
    const bool numbers = import::isNumeric(text.mid(0, 2)) && import::isNumeric(text.mid(3, 2)) &&
                         import::isNumeric(text.right(2));
    if (!numbers || text.mid(2, 1) != QLatin1String(":") || text.mid(5, 1) != QLatin1String(":"))
        return DurationProblem::Format;
    const auto seconds = import::numericValue(text.right(2));
    if (seconds && qRound64(*seconds) > 59)
        return DurationProblem::Seconds;
    return DurationProblem::None;
}

int properCaseKey(const QString &textBefore, int keyAscii) {
    if (keyAscii < 'a' || keyAscii > 'z')
        return keyAscii;
    if (textBefore.isEmpty() || textBefore.endsWith(QLatin1Char(' ')))
        return keyAscii - 32;
    return keyAscii;
}

} // namespace editor
