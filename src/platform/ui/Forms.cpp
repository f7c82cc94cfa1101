#include "platform/ui/Forms.h"

#include <QApplication>
#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <cmath>

namespace platform::ui {

// ---------------------------------------------------------------- twips

int twipsToPixels(double twips, double dpi) {
    return static_cast<int>(std::lround(twips * dpi / TwipsPerInch));
}

double pixelsToTwips(int pixels, double dpi) { return dpi > 0 ? pixels * TwipsPerInch / dpi : 0; }

double screenDpiX() {
    const QScreen *s = QGuiApplication::primaryScreen();
    return s && s->logicalDotsPerInchX() > 0 ? s->logicalDotsPerInchX() : 96.0;
}

double screenDpiY() {
    const QScreen *s = QGuiApplication::primaryScreen();
    return s && s->logicalDotsPerInchY() > 0 ? s->logicalDotsPerInchY() : 96.0;
}

int twipsToPixelsX(double twips) { return twipsToPixels(twips, screenDpiX()); }
int twipsToPixelsY(double twips) { return twipsToPixels(twips, screenDpiY()); }
double pixelsToTwipsX(int pixels) { return pixelsToTwips(pixels, screenDpiX()); }
double pixelsToTwipsY(int pixels) { return pixelsToTwips(pixels, screenDpiY()); }

QRect twipsRect(int left, int top, int width, int height) {
    return QRect(twipsToPixelsX(left), twipsToPixelsY(top), twipsToPixelsX(width), twipsToPixelsY(height));
}

void placeTwips(QWidget *w, int left, int top, int width, int height) {
    if (w)
        w->setGeometry(twipsRect(left, top, width, height));
}

void setClientSizeTwips(QWidget *w, int width, int height) {
    if (w)
        w->setFixedSize(twipsToPixelsX(width), twipsToPixelsY(height));
}

// ---------------------------------------------------------------- placement

QRect screenRect(const QWidget *w) {
    const QScreen *s = w ? w->screen() : nullptr;
    if (!s)
        s = QGuiApplication::primaryScreen();
    return s ? s->geometry() : QRect(0, 0, 1024, 768);
}

namespace {
QRect &availableOverride() {
    static QRect area;
    return area;
}
} // namespace

QRect availableScreenRect(const QWidget *w) {
    if (!availableOverride().isEmpty())
        return availableOverride();
    const QScreen *s = w ? w->screen() : nullptr;
    if (!s)
        s = QGuiApplication::primaryScreen();
    return s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
}

void setAvailableScreenOverride(const QRect &area) { availableOverride() = area; }

QRect fitInside(const QRect &r, const QRect &area) {
    QRect out(r.topLeft(), QSize(std::min(r.width(), area.width()), std::min(r.height(), area.height())));
    out.moveLeft(std::clamp(out.left(), area.left(), area.left() + area.width() - out.width()));
    out.moveTop(std::clamp(out.top(), area.top(), area.top() + area.height() - out.height()));
    return out;
}

namespace {
// Moves the controls of a window without a layout onto a page of `designed` size in a scroll area
// that fills the window; each control keeps its place on the page and its visibility.
QScrollArea *scrollControls(QWidget *window, const QSize &designed) {
    auto *page = new QWidget;
    page->setObjectName(QStringLiteral("ScrolledControls"));
    page->setFixedSize(designed);
    const QObjectList children = window->children();
    for (QObject *o : children) {
        auto *control = qobject_cast<QWidget *>(o);
        if (!control || control->isWindow())
            continue;
        const bool shown = !control->isHidden();
        const QRect place = control->geometry();
        control->setParent(page);
        control->setGeometry(place);
        control->setVisible(shown);
    }
    auto *area = new QScrollArea(window);
    area->setObjectName(QStringLiteral("ScrollArea"));
    area->setFrameShape(QFrame::NoFrame);
    area->setFocusPolicy(Qt::NoFocus);  // a click on the page's background takes no control's focus
    area->setWidget(page);
    // The keyboard's focus brings its control into view, as a click would have to.
    QObject::connect(qApp, &QApplication::focusChanged, area, [area](QWidget *, QWidget *now) {
        if (now && area->widget() && area->widget()->isAncestorOf(now))
            area->ensureWidgetVisible(now);
    });
    auto *fill = new QVBoxLayout(window);
    fill->setContentsMargins(0, 0, 0, 0);
    fill->addWidget(area);
    return area;
}
} // namespace

void fitOnScreen(QWidget *window) {
    if (!window)
        return;
    const QRect outer = window->frameGeometry();
    const QRect client = window->geometry();
    QMargins frame(client.left() - outer.left(), client.top() - outer.top(), outer.right() - client.right(),
                   outer.bottom() - client.bottom());
    if (frame.isNull()) {
        // Before the window manager framed it: the title bar is what must stay reachable.
        frame = QMargins(0, window->style()->pixelMetric(QStyle::PM_TitleBarHeight), 0, 0);
    }
    const QRect area = availableScreenRect(window);
    const auto fit = [&](const QSize &size) {
        return fitInside(QRect(window->pos(), size.grownBy(frame)), area);
    };
    const auto innerOf = [&](const QRect &fitted) { return fitted.size().shrunkBy(frame); };
    QRect fitted = fit(window->size());
    QSize inner = innerOf(fitted);
    if (inner != window->size()) {
        // A window whose controls are placed at fixed positions cannot lay them out smaller: its
        // controls move into a scrolled area of the designed size, so that every one of them (the
        // Save and Cancel buttons along the bottom) stays reachable.
        const QSize designed = window->size();
        if ((inner.width() < window->minimumWidth() || inner.height() < window->minimumHeight()) &&
            !window->layout()) {
            const QScrollArea *scrolled = scrollControls(window, designed);
            // The scroll bar of one direction takes room from the other: a window that can be
            // that much wider (or taller) within the screen is, so the page scrolls one way only
            // and no control is cut at the right edge (or the bottom).
            // One pixel more: at a fractional scale the window system may round the window's
            // size down by part of a pixel.
            QSize roomy = designed;
            if (inner.height() < designed.height())
                roomy.rwidth() += scrolled->verticalScrollBar()->sizeHint().width() + 1;
            if (inner.width() < designed.width())
                roomy.rheight() += scrolled->horizontalScrollBar()->sizeHint().height() + 1;
            fitted = fit(roomy);
            inner = innerOf(fitted);
        }
        // A window of fixed size is fixed to its design, not to a size larger than the screen.
        window->setMinimumSize(window->minimumSize().boundedTo(inner));
        window->setMaximumSize(window->maximumSize().expandedTo(inner));
        window->resize(inner);
    }
    // A window that was never placed is left where the window manager puts it.
    if (fitted.topLeft() != window->pos() && window->testAttribute(Qt::WA_Moved))
        window->move(fitted.topLeft());
}

namespace {
// The outer size: the frame is known only once the window has been shown.
QSize outerSize(const QWidget *w) { return w->isVisible() ? w->frameGeometry().size() : w->size(); }
} // namespace

void centreOnScreen(QWidget *w) {
    if (!w)
        return;
    const QRect s = screenRect(w);
    const QSize size = outerSize(w);
    w->move(s.left() + (s.width() - size.width()) / 2, s.top() + (s.height() - size.height()) / 2);
}

void centreOnOwner(QWidget *w, const QWidget *owner) {
    if (!w)
        return;
    if (!owner || !owner->isVisible()) {
        centreOnScreen(w);
        return;
    }
    const QRect o = owner->frameGeometry();
    const QSize size = outerSize(w);
    w->move(o.left() + (o.width() - size.width()) / 2, o.top() + (o.height() - size.height()) / 2);
}

void setTopTwips(QWidget *w, int twips) {
    if (w)
        w->move(w->x(), screenRect(w).top() + twipsToPixelsY(twips));
}

// ---------------------------------------------------------------- fonts

void applyScreenFont(QWidget *window, const QString &fontName, int pointSize) {
    if (!window || fontName.isEmpty())
        return;
    const auto controls = window->findChildren<QWidget *>();
    for (QWidget *c : controls) {
        try {
            QFont f = c->font();
            f.setFamily(fontName);
            if (pointSize > 0)
                f.setPointSize(pointSize);
            c->setFont(f);
        } catch (...) {
            // a control that cannot take the font keeps its own
        }
    }
}

// ---------------------------------------------------------------- loaded windows

namespace {
QList<QPointer<QWidget>> &loaded() {
    static QList<QPointer<QWidget>> list;
    return list;
}

void prune() { loaded().removeIf([](const QPointer<QWidget> &p) { return p.isNull(); }); }

bool removeLoaded(QWidget *w) {
    prune();
    return loaded().removeIf([w](const QPointer<QWidget> &p) { return p.data() == w; }) > 0;
}
} // namespace

void registerForm(QWidget *w) {
    if (!w || isLoaded(w))
        return;
    loaded().append(w);
}

QWidget *loadedForm(const QString &name) {
    prune();
    for (const auto &p : loaded())
        if (p->objectName() == name)
            return p.data();
    return nullptr;
}

bool isLoaded(const QString &name) { return loadedForm(name) != nullptr; }

bool isLoaded(const QWidget *w) {
    prune();
    for (const auto &p : loaded())
        if (p.data() == w)
            return true;
    return false;
}

int loadedCount() {
    prune();
    return static_cast<int>(loaded().size());
}

QList<QWidget *> loadedForms() {
    prune();
    QList<QWidget *> out;
    for (const auto &p : loaded())
        out.append(p.data());
    return out;
}

void detail::formClosed(QWidget *w) {
    // A window that unloadForm is closing is destroyed by unloadForm once close() has returned.
    if (removeLoaded(w) && !unloadingForm(w))
        w->deleteLater();
}

namespace {
QList<const QWidget *> &unloading() {
    static QList<const QWidget *> list;
    return list;
}
} // namespace

bool unloadingForm(const QWidget *w) { return w && unloading().contains(w); }

bool unloadForm(QWidget *w) {
    if (!w || !isLoaded(w))
        return true;
    QPointer<QWidget> guard(w);
    unloading().append(w);
    const bool closed = w->close();
    unloading().removeOne(w);
    if (!closed)
        return false;
    if (guard) {
        removeLoaded(guard.data());
        // Posted here, at the level of the command that unloads the window, and not from inside
        // its close event: Qt then destroys the window only once that command has returned to
        // the event loop. Posted one level deeper, the next event processing inside the command
        // (a progress window painting itself) would destroy the window, with its menus and the
        // action still running the command.
        guard->deleteLater();
    }
    return true;
}

bool unloadForm(const QString &name) { return unloadForm(loadedForm(name)); }

void unloadAllForms() {
    const auto all = loadedForms();
    for (auto it = all.crbegin(); it != all.crend(); ++it)
        unloadForm(*it);
}

void flushUnloadedForms() { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }

QString detail::formName(const QMetaObject &mo) {
    const QString full = QString::fromLatin1(mo.className());
    const qsizetype i = full.lastIndexOf(QLatin1String("::"));
    return i < 0 ? full : full.mid(i + 2);
}

// ---------------------------------------------------------------- modal show

namespace {
ModalHook &modalHook() {
    static ModalHook hook;
    return hook;
}
} // namespace

void setModalHook(ModalHook hook) { modalHook() = std::move(hook); }

bool hasModalHook() { return static_cast<bool>(modalHook()); }

ScopedModalHook::ScopedModalHook(ModalHook hook) : previous_(modalHook()) { setModalHook(std::move(hook)); }

ScopedModalHook::~ScopedModalHook() { setModalHook(std::move(previous_)); }

namespace {
// The window a modal dialog belongs to: its owner when the caller names one, else the window the
// user is working in (a modal window open above the others first), else, when no window is
// active (no window manager, or the program is in the background), the last loaded window on
// the screen.
QWidget *openingWindow(const QDialog *dialog, const QWidget *owner) {
    const QWidget *opener = owner;
    if (!opener)
        opener = QApplication::activeModalWidget();
    if (!opener || opener == dialog)
        opener = QApplication::activeWindow();
    if (!opener || opener == dialog) {
        opener = nullptr;
        const QList<QWidget *> forms = loadedForms();
        for (auto it = forms.crbegin(); it != forms.crend() && !opener; ++it)
            if (*it != dialog && (*it)->isWindow() && (*it)->isVisible())
                opener = *it;
    }
    return opener ? const_cast<QWidget *>(opener->window()) : nullptr;
}

// Keeps the dialog with the window that opened it: the window manager stacks it above that
// window, and hides and shows it with it, so that neither is left alone on the screen.
void tieToOpener(QDialog *dialog, const QWidget *opener) {
    if (!opener || !opener->windowHandle())
        return;
    if (!dialog->windowHandle())
        dialog->createWinId();
    if (QWindow *handle = dialog->windowHandle())
        handle->setTransientParent(opener->windowHandle());
}
} // namespace

int showModal(QDialog *dialog, const QWidget *owner) {
    if (!dialog)
        return QDialog::Rejected;
    if (owner)
        centreOnOwner(dialog, owner);
    tieToOpener(dialog, openingWindow(dialog, owner));
    QPointer<QDialog> guard(dialog);
    ModalHook hook = modalHook();
    if (!hook && QGuiApplication::platformName() == QLatin1String("offscreen")) {
        // Nobody could ever answer this window: it closes at once, as by its close box.
        qWarning("showModal: no modal hook on the offscreen platform; closing %s",
                 qPrintable(dialog->objectName()));
        hook = [](QDialog *) {};
    }
    if (hook) {
        QTimer::singleShot(0, dialog, [guard, hook] {
            if (!guard)
                return;
            try {
                hook(guard.data());
            } catch (...) {
                // a failing hook must not leave the modal loop running
            }
            if (guard && guard->isVisible())
                guard->close();
            // Some dialogs ignore the close box (a message box without a Cancel button).
            if (guard && guard->isVisible())
                guard->reject();
        });
    }
    dialog->setWindowModality(Qt::ApplicationModal);
    return dialog->exec();
}

void showModeless(QWidget *w, const QWidget *owner) {
    if (!w)
        return;
    w->show();
    if (owner && owner->windowHandle() && w->windowHandle())
        w->windowHandle()->setTransientParent(owner->windowHandle());
}

} // namespace platform::ui
