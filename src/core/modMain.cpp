#include "core/modMain.h"

#include <QComboBox>

namespace modMain {

void ShowComboDropDown(QComboBox *combo) {
    if (combo && combo->count() >= 1)
        combo->showPopup();
}

QVariant NullToEmpty(const QVariant &value) {
    if (value.isNull())
        return QString(QLatin1String(""));
    return value;
}

QVariant EmptyToNull(const QVariant &value) {
    if (value.isNull())
        return {};
    // Only a text can equal "": a number compared with a text is never equal to it.
    if (value.typeId() == QMetaType::QString && value.toString().isEmpty())
        return {};
    return value;
}

void ReplaceText(QString &text, const QString &find, const QString &replacement) {
    // With an empty find text every position would match and the loop would never end.
    if (find.isEmpty())
        return;
    qsizetype start = 0;
    for (;;) {
        const qsizetype p = text.indexOf(find, start, Qt::CaseSensitive);
        if (p < 0)
            return;
        text.replace(p, find.size(), replacement);
        start = p + replacement.size();
    }
}

} // namespace modMain
