#include "platform/ui/FileFilter.h"

namespace platform::ui {

namespace {

QStringList patternsOf(const QString &text) {
    QStringList out;
    for (const QString &p : text.split(QLatin1Char(';'))) {
        const QString t = p.trimmed();
        if (!t.isEmpty())
            out << t;
    }
    return out;
}

QString qtPattern(const QString &p) { return p == QLatin1String("*.*") ? QStringLiteral("*") : p; }

} // namespace

QStringList convertFileFilter(const QString &filter) {
    QStringList out;
    if (filter.isEmpty())
        return out;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts.at(i).trimmed();
        const QStringList patterns = patternsOf(parts.at(i + 1));
        QStringList qt;
        for (const QString &p : patterns)
            qt << qtPattern(p);
        if (qt.isEmpty())
            qt << QStringLiteral("*");
        const QString group = QLatin1Char('(') + qt.join(QLatin1Char(' ')) + QLatin1Char(')');

        // Qt reads the patterns from the last bracket group, so a description that already
        // shows its patterns there gets them in Qt's form instead of a second group.
        if (description.endsWith(QLatin1Char(')'))) {
            const qsizetype open = description.lastIndexOf(QLatin1Char('('));
            if (open >= 0) {
                const QString shown = description.mid(open + 1, description.size() - open - 2);
                if (patternsOf(shown) == patterns) {
                    description = description.left(open).trimmed();
                }
            }
        }
        out << (description.isEmpty() ? group : description + QLatin1Char(' ') + group);
    }
    return out;
}

} // namespace platform::ui
