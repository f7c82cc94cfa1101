#include "core/modMain.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeyEvent>

namespace modMain {

namespace {
// A list dropped as its box gets the focus would keep Tab to itself, and the keyboard could
// never get past the box: Tab (or Shift+Tab) in it closes the list and moves on from the box.
class DroppedListTab : public QObject {
public:
    explicit DroppedListTab(QComboBox *combo) : QObject(combo), combo_(combo) {
        setObjectName(QStringLiteral("DroppedListTab"));
    }

protected:
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() != QEvent::KeyPress)
            return false;
        const auto *k = static_cast<QKeyEvent *>(e);
        if (k->key() != Qt::Key_Tab && k->key() != Qt::Key_Backtab)
            return false;
        combo_->hidePopup();
        // Once the list has closed and given the box its focus back.
        QCoreApplication::postEvent(combo_, new QKeyEvent(QEvent::KeyPress, k->key(), k->modifiers()));
        return true;
    }

private:
    QComboBox *combo_;
};
} // namespace

void ShowComboDropDown(QComboBox *combo) {
    if (!combo || combo->count() < 1)
        return;
    if (combo->view() && !combo->findChild<DroppedListTab *>(QStringLiteral("DroppedListTab"), Qt::FindDirectChildrenOnly))
        combo->view()->installEventFilter(new DroppedListTab(combo));
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
