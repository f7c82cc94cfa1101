#pragma once
// The forms run time the windows of the program rely on: single-instance windows reached by
// name (loaded when first touched, unloaded with their unload handler), the one road for
// showing a window modally (with a hook so tests can act on a shown window without blocking),
// twips, placement on the screen or the owner, and the screen font.
#include <QCloseEvent>
#include <QDialog>
#include <QList>
#include <QMetaObject>
#include <QPointer>
#include <QRect>
#include <QString>
#include <QWidget>
#include <functional>
#include <utility>

namespace platform::ui {

// ---------------------------------------------------------------- twips
// Window and control measures are kept in twips (1440 per inch) and converted here at the
// screen's logical DPI: 15 twips per pixel at 96 DPI.
constexpr int TwipsPerInch = 1440;

int twipsToPixels(double twips, double dpi);
double pixelsToTwips(int pixels, double dpi);
// At the primary screen's logical DPI (96 when there is no screen).
double screenDpiX();
double screenDpiY();
int twipsToPixelsX(double twips);
int twipsToPixelsY(double twips);
double pixelsToTwipsX(int pixels);
double pixelsToTwipsY(int pixels);
// A rectangle given as left, top, width and height in twips, in pixels.
QRect twipsRect(int left, int top, int width, int height);
// Places a control (relative to its parent) from twips.
void placeTwips(QWidget *w, int left, int top, int width, int height);
// Names a control (its objectName, by which windows and tests find it) and places it in twips.
template <class W>
W *named(W *w, const char *name, int left, int top, int width, int height) {
    w->setObjectName(QString::fromLatin1(name));
    placeTwips(w, left, top, width, height);
    return w;
}
// A new control of class T on `parent`, named and placed in twips; `args` go before the parent.
template <class T, class... Args>
T *make(QWidget *parent, const char *name, int left, int top, int width, int height, Args &&...args) {
    return named(new T(std::forward<Args>(args)..., parent), name, left, top, width, height);
}
// Where a control built from a window's table of controls is kept: the member that reaches it
// (set when the control is built), or none.
class ControlSlot {
public:
    ControlSlot() = default;
    template <class W>
    ControlSlot(W *&member) : set_([&member](QWidget *w) { member = qobject_cast<W *>(w); }) {}
    void operator()(QWidget *w) const {
        if (set_)
            set_(w);
    }

private:
    std::function<void(QWidget *)> set_;
};
// Gives a window a fixed client area of the given twips.
void setClientSizeTwips(QWidget *w, int width, int height);

// ---------------------------------------------------------------- placement
// The screen a window is on (the primary screen before it is shown).
QRect screenRect(const QWidget *w);
// left = (screen width - width) / 2, top = (screen height - height) / 2.
void centreOnScreen(QWidget *w);
// Centres a window on its owner; on the screen when there is no owner.
void centreOnOwner(QWidget *w, const QWidget *owner);
// Moves a window so that its top stands `twips` below the top of its screen (tablet mode).
void setTopTwips(QWidget *w, int twips);
// The part of a window's screen that windows may cover (without panels and docks), in the
// logical pixels windows are placed in. Tests set the area (an empty rectangle puts the
// screen's own back).
QRect availableScreenRect(const QWidget *w);
void setAvailableScreenOverride(const QRect &area);
// The rectangle shrunk to the area's size where it is larger, then moved inside the area.
QRect fitInside(const QRect &r, const QRect &area);
// Shrinks and moves a top-level window so that its frame, title bar included, lies inside the
// available screen area (the frame is estimated from the style while the window is hidden). A
// window that fits keeps its place and size; one the window manager places keeps that place. A
// window whose controls stand at fixed places and must shrink gets them in a scroll area of the
// designed size. Every window of the program is fitted when it opens (Form<> does it).
void fitOnScreen(QWidget *window);

// ---------------------------------------------------------------- fonts
// Gives every control of `window` the font name, keeping each control's size unless
// `pointSize` is above 0. An empty name changes nothing; a control that refuses is skipped.
void applyScreenFont(QWidget *window, const QString &fontName, int pointSize = 0);

// ---------------------------------------------------------------- loaded windows
// A window is loaded when it is created (its constructor is its load handler), counted and
// found by its objectName while loaded, and unloaded by closing it: its unload handler runs and
// the window is destroyed once the event loop gets control back. Touching a window that is not
// loaded loads a fresh one.

// Adds a window to the loaded windows (objectName must be its name). form<T>() does this.
void registerForm(QWidget *w);
// The loaded window of that name, or nullptr.
QWidget *loadedForm(const QString &name);
bool isLoaded(const QString &name);
bool isLoaded(const QWidget *w);
// The number of loaded windows (the test whether another window is open).
int loadedCount();
// The loaded windows in load order.
QList<QWidget *> loadedForms();
// Unloads a window: its close event (and so its unload handler) runs; false when the window
// refused (ignored the close event). A window that is not loaded is left alone (true). The
// window is destroyed only after the command that unloads it has returned to the event loop, so
// a command may unload the window it was started from (its menu, its button) and go on.
bool unloadForm(QWidget *w);
bool unloadForm(const QString &name);
// True while unloadForm is closing `w`: a window that treats other closes (its close box, a
// click) as the user's can tell its caller's unload from them.
bool unloadingForm(const QWidget *w);
// Unloads every loaded window, the last loaded first.
void unloadAllForms();
// Destroys the windows already unloaded (tests call this between steps; the event loop does it
// by itself).
void flushUnloadedForms();

namespace detail {
void formClosed(QWidget *w);
QString formName(const QMetaObject &mo);
} // namespace detail

// The name a window class is reached by: its class name without namespace.
template <class T> QString formName() { return detail::formName(T::staticMetaObject); }

// The loaded window of class T, or nullptr.
template <class T> T *findForm() { return qobject_cast<T *>(loadedForm(formName<T>())); }

// The window of class T, loaded (constructed, so its load handler runs) when it is not loaded.
template <class T> T *form() {
    if (T *w = findForm<T>())
        return w;
    T *w = new T();
    w->setObjectName(formName<T>());
    registerForm(w);
    return w;
}

// Base of the program's windows: runs the window's unload handler when it closes (by code or by
// the close box) and then unloads it. Base is QDialog, QMainWindow or QWidget.
template <class Base> class Form : public Base {
public:
    using Base::Base;

    // Opens the window inside the available screen area: the designed or remembered rectangle
    // is shrunk and moved into it where it does not fit.
    void setVisible(bool visible) override {
        if (visible && this->isWindow() && !this->isVisible())
            fitOnScreen(this);
        Base::setVisible(visible);
    }

protected:
    // The unload handler. Runs once, after the close was accepted.
    virtual void formUnload() {}

    void closeEvent(QCloseEvent *e) override {
        Base::closeEvent(e);
        if (!e->isAccepted())
            return;
        try {
            formUnload();
        } catch (...) {
            // an unload handler must not stop the window from closing
        }
        detail::formClosed(this);
    }
};

// ---------------------------------------------------------------- modal show
// Every modal show of the program goes through showModal. When `owner` is given the window is
// centred on it first. The dialog is tied to the window that opened it (`owner`, else the active
// window) as its transient parent. Returns the dialog's result (QDialog::Accepted / Rejected).
//
// Tests install a hook: it is called with each dialog once its modal loop runs, and is expected
// to close it (click a button, close it). A dialog still open after the hook returns is closed
// as by its close box, so a test never waits. Without a hook on the offscreen platform a modal
// window is closed at once the same way.
using ModalHook = std::function<void(QDialog *)>;
int showModal(QDialog *dialog, const QWidget *owner = nullptr);
void setModalHook(ModalHook hook);
bool hasModalHook();

// Installs a hook for its lifetime, putting the previous one back afterwards.
class ScopedModalHook {
public:
    explicit ScopedModalHook(ModalHook hook);
    ~ScopedModalHook();
    ScopedModalHook(const ScopedModalHook &) = delete;
    ScopedModalHook &operator=(const ScopedModalHook &) = delete;

private:
    ModalHook previous_;
};

// Shows a window without waiting, kept above its owner when one is given.
void showModeless(QWidget *w, const QWidget *owner = nullptr);

} // namespace platform::ui
