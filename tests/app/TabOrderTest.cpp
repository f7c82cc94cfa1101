// Every window of the program walked from the keyboard alone: Tab, pressed again and again from
// the control that has the focus when the window opens, reaches each of its enabled controls and
// goes round; a box drawn as several widgets is one stop, a group of radio buttons is one stop,
// and no Tab is typed into a box on the way.
#include "EveryWindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QRadioButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTextEdit>

namespace {

// A control the user works with (as opposed to labels, frames and the parts of a control).
bool isControl(const QWidget *c) {
    if (qobject_cast<const QHeaderView *>(c) || qobject_cast<const QScrollBar *>(c))
        return false;
    return qobject_cast<const QAbstractButton *>(c) || qobject_cast<const QLineEdit *>(c) ||
           qobject_cast<const QComboBox *>(c) || qobject_cast<const QAbstractItemView *>(c) ||
           qobject_cast<const QPlainTextEdit *>(c) || qobject_cast<const QTextEdit *>(c) ||
           qobject_cast<const QAbstractSlider *>(c);
}

// The control of `window` a focused widget belongs to: the outermost control holding it (a
// combo box for its line edit).
QWidget *controlOf(QWidget *focused, QWidget *window) {
    QWidget *found = nullptr;
    for (QWidget *p = focused; p && p != window; p = p->parentWidget())
        if (isControl(p))
            found = p;
    return found ? found : focused;
}

// Radio buttons that exclude each other are one stop: Tab reaches the group, the arrows move
// within it. The group stands for them all by its first button.
QWidget *stopOf(QWidget *control) {
    auto *radio = qobject_cast<QRadioButton *>(control);
    if (!radio || !radio->autoExclusive() || !radio->parentWidget())
        return control;
    for (QRadioButton *r : radio->parentWidget()->findChildren<QRadioButton *>(Qt::FindDirectChildrenOnly))
        if (r->autoExclusive())
            return r;
    return control;
}

QList<QWidget *> controlsToReach(QWidget *window) {
    QList<QWidget *> out;
    for (QWidget *c : window->findChildren<QWidget *>()) {
        if (c->window() != window || !c->isVisibleTo(window) || !c->isEnabled() || !isControl(c))
            continue;
        if (controlOf(c, window) != c || c->focusProxy())
            continue;  // a part of another control, or one that hands its focus on
        if (!out.contains(stopOf(c)))
            out << stopOf(c);
    }
    return out;
}

QString textOf(const QWidget *c) {
    if (auto *e = qobject_cast<const QLineEdit *>(c))
        return e->text();
    if (auto *e = qobject_cast<const QPlainTextEdit *>(c))
        return e->toPlainText();
    if (auto *e = qobject_cast<const QTextEdit *>(c))
        return e->toPlainText();
    if (auto *e = qobject_cast<const QComboBox *>(c))
        return e->currentText();
    return {};
}

QString nameOf(const QWidget *c) {
    return c->objectName().isEmpty() ? QString::fromLatin1(c->metaObject()->className()) : c->objectName();
}

// Where the keys go: the focused widget of the window, or of a list dropped down from one of its
// boxes. (Offscreen, a dropped list takes the window's activation with it as it closes; on a
// desktop the window stays active and its focused widget has the keys.)
QWidget *keysAt(QWidget *window) {
    QWidget *f = QApplication::focusWidget();
    if (f && f->isVisible()) {
        if (f->window() == window)
            return f;
        if (QWidget *owner = f->window()->parentWidget(); owner && window->isAncestorOf(owner))
            return f;
    }
    return window->focusWidget();
}

class TabOrderTest : public EveryWindowTest {
protected:
    void walk(QWidget *window) {
        const QPointer<QWidget> shown = window;
        window->show();
        window->activateWindow();
        QApplication::processEvents();
        ASSERT_TRUE(shown);
        ASSERT_TRUE(QTest::qWaitForWindowActive(window)) << nameOf(window).toStdString();
        QApplication::processEvents();
        const QList<QWidget *> controls = controlsToReach(window);
        QHash<QWidget *, QString> before;
        for (QWidget *c : controls)
            before.insert(c, textOf(c));

        QSet<QWidget *> reached;
        QStringList path;
        QWidget *first = nullptr, *previous = nullptr;
        // A page of links takes a Tab stop for each link before Tab moves on, so the keyboard
        // can follow them.
        int links = 0;
        for (QTextBrowser *page : window->findChildren<QTextBrowser *>())
            links += page->toHtml().count(QStringLiteral("href="));
        for (int i = 0; i < 3 * int(controls.size()) + 5 + links; ++i) {
            QWidget *target = keysAt(window);
            if (!target)
                break;
            QTest::keyClick(target, Qt::Key_Tab);
            QApplication::processEvents();
            QWidget *now = keysAt(window);
            // In a list dropped down from a box, the keys are in the box.
            if (now && now->window() != window)
                now = now->window()->parentWidget();
            if (!now || now->window() != window)
                continue;
            QWidget *control = stopOf(controlOf(now, window));
            if (control == previous)
                continue;  // from one link of a page to its next
            previous = control;
            if (control == first)
                break;  // round once
            if (!first)
                first = control;
            reached.insert(control);
            path << nameOf(control);
        }
        QStringList missed, typedInto;
        for (QWidget *c : controls) {
            // A control the walk itself disabled (a box's check found its folder missing) is not
            // to be reached.
            if (!reached.contains(c) && c->isEnabled())
                missed << nameOf(c);
            if (textOf(c) != before.value(c))
                typedInto << nameOf(c) + QStringLiteral(": \"") + textOf(c) + QLatin1Char('"');
        }
        EXPECT_TRUE(missed.isEmpty()) << nameOf(window).toStdString() << ": Tab never reaches "
                                      << missed.join(", ").toStdString() << "\n  path: "
                                      << path.join(" > ").toStdString();
        // One box drawn as several widgets (a frame with its text on it) is one stop.
        QStringList twice;
        for (QWidget *a : std::as_const(reached))
            for (QWidget *b : std::as_const(reached))
                if (a != b && a->parentWidget() == b->parentWidget() && a->geometry().contains(b->geometry()))
                    twice << nameOf(a) + QStringLiteral(" around ") + nameOf(b);
        EXPECT_TRUE(twice.isEmpty()) << nameOf(window).toStdString() << ": one box takes two Tab stops: "
                                     << twice.join(", ").toStdString();
        EXPECT_TRUE(typedInto.isEmpty()) << nameOf(window).toStdString() << ": Tab typed into "
                                         << typedInto.join(", ").toStdString();
    }
};

TEST_F(TabOrderTest, TabReachesEveryEnabledControlOfEachWindowAndTypesIntoNoBox) {
    forEveryWindow([this](QWidget *window) { walk(window); });
}

} // namespace
