#include "categories/CriteriaText.h"

#include "core/mCommon.h"
#include "platform/db/JetSql.h"

#include <QStringList>

namespace categories {

using mCommon::TrimBlanks; // blanks only, not other white space

bool CriteriaText::afterBlank(const QString &text) { return text > QStringLiteral(" "); }

CriteriaText::Parts CriteriaText::split(const QString &criteria) {
    // Quoted values may hold the words themselves (a song named "Order by Midnight"); only the
    // first occurrence outside them starts the tail.
    const qsizetype at = mCommon::FindOutsideQuotes(criteria, QStringLiteral("order by"));
    if (at < 0)
        return {criteria, {}};
    return {criteria.left(at), criteria.mid(at)};
}

CriteriaText::View CriteriaText::view(const QString &criteria, const QString &recordSourceName,
                                      const QString &categoryClause, const QString &orderByClause) {
    const Parts parts = split(TrimBlanks(criteria));
    const QString condition = TrimBlanks(parts.condition);
    // The condition must stand as one expression by itself: "1=1) Or (1=1" would close the
    // parentheses around it and leave the shown category. Refused with 3075 like any syntax error.
    platform::db::jet::translateExpression(condition);
    View v;
    v.CriteriaClause = QStringLiteral(" (") + condition + QStringLiteral(") ");
    v.WhereClause = QStringLiteral(" Where ") + v.CriteriaClause;
    if (!categoryClause.isEmpty())
        v.WhereClause += QStringLiteral(" And (") + TrimBlanks(categoryClause) + QStringLiteral(") ");
    const QString tail = parts.orderBy.isEmpty() ? orderByClause : QStringLiteral(" ") + parts.orderBy;
    v.RecordSource = QStringLiteral("Select distinctrow * from  ") + recordSourceName + v.WhereClause + tail;
    return v;
}

QString CriteriaText::addGenreAndRating(const QString &criteria, const QString &genre, const QString &rating) {
    QString text = criteria;
    const auto add = [&text](const QString &field, const QString &value) {
        if (!afterBlank(value))
            return;
        text += (afterBlank(TrimBlanks(text)) ? QStringLiteral(" And ") : QStringLiteral(" ")) + field +
                QStringLiteral(" = ");
        // A quote inside the value is doubled, so it stays part of the value.
        text += platform::db::jet::quoted(TrimBlanks(value)) + QLatin1Char(' ');
    };
    add(QStringLiteral("Genre"), genre);
    add(QStringLiteral("Rating"), rating);
    return text;
}

QString CriteriaText::albumTerm(const QString &album, const QString &artist) {
    if (!afterBlank(album))
        return {};
    const QString albumLiteral = platform::db::jet::quoted(album);
    if (!afterBlank(TrimBlanks(artist)))
        return QStringLiteral("AlbumName=") + albumLiteral + QLatin1Char(' ');
    return QStringLiteral("AlbumName=") + albumLiteral + QStringLiteral(" And Artist=") +
           platform::db::jet::quoted(artist) + QStringLiteral(" Order By TrackNum ");
}

QString CriteriaText::withTerm(const QString &criteria, const QString &term) {
    if (term.isEmpty())
        return criteria;
    return criteria + (afterBlank(TrimBlanks(criteria)) ? QStringLiteral(" And ") : QString()) + term;
}

bool CriteriaText::offersField(const QString &field) {
    static const QStringList internal = {QStringLiteral("Selected"), QStringLiteral("RecordID"),
                                         QStringLiteral("Lyrics"),   QStringLiteral("Credits"),
                                         QStringLiteral("TrackNum"), QStringLiteral("FileSizeNum")};
    if (field.left(11) == QLatin1String("PicturePath") || field.right(4) == QLatin1String("Desc"))
        return false;
    return !internal.contains(field);
}

} // namespace categories
