#pragma once
// The texts of the filter window: the terms its buttons add to the criteria, the fields it
// offers, and the grid's record source built from what the user typed. The user's condition is
// the one piece of user text that becomes SQL; it stands alone between parentheses, and only an
// "order by" tail of its own may follow it.
#include <QString>

namespace categories {

class CriteriaText {
public:
    // True when the text sorts above a single blank by character codes (not empty, not blank,
    // not led by a control character).
    static bool afterBlank(const QString &text);

    // A criteria text cut before its first "order by" (any letter case) that stands outside a
    // quoted literal. `orderBy` is the cut-off tail from "order by" on, in the user's letter
    // case; both are empty when the text has no tail.
    struct Parts {
        QString condition;
        QString orderBy;
    };
    static Parts split(const QString &criteria);

    // What applying a (non-empty) criteria text puts in place of the grid's view.
    struct View {
        QString CriteriaClause;  // " (" + condition + ") "
        QString WhereClause;     // " Where " + CriteriaClause [+ " And (" + category term + ") "]
        QString RecordSource;    // "Select distinctrow * from  " + source + WhereClause + order tail
    };
    // `orderByClause` (the grid's sort) ends the record source unless the text has its own tail.
    // Throws DbError 3075 when the condition is not one expression by itself (and the errors of
    // translating it, such as an unknown function).
    static View view(const QString &criteria, const QString &recordSourceName, const QString &categoryClause,
                     const QString &orderByClause);

    // The criteria text with the genre and rating terms Add Criteria appends (each only when its
    // value is above blank; values are trimmed and quoted).
    static QString addGenreAndRating(const QString &criteria, const QString &genre, const QString &rating);
    // The term that limits the grid to one album (and its artist, in track order when there is
    // one); empty when the album is at or below blank.
    static QString albumTerm(const QString &album, const QString &artist);
    // The criteria text with a term appended, joined by " And " when the text already holds one.
    static QString withTerm(const QString &criteria, const QString &term);

    // Whether a field of the grid is offered in the field-name list (pictures, descriptions,
    // the mark and internal numbers are not).
    static bool offersField(const QString &field);
};

} // namespace categories
