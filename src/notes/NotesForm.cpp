#include "notes/NotesForm.h"

#include "core/AppState.h"
#include "editor/NameEdit.h"
#include "platform/ui/OnScreenKeyboard.h"

#include <QPlainTextEdit>
#include <QTextDocument>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QToolButton>

#include <cmath>

namespace notes {

namespace ui = platform::ui;
using core::g;

namespace {
QPlainTextEdit *editorNotes() {
    auto *e = ui::findForm<editor::NameEdit>();
    return e ? e->txtNotes : nullptr;
}
} // namespace

NotesForm::NotesForm()
    : finder(TextFind::Box{[this] { return txtNotes->toPlainText(); },
                           [this] { return txtNotes->textCursor().selectionStart(); },
                           [this] {
                               const QTextCursor c = txtNotes->textCursor();
                               return c.selectionEnd() - c.selectionStart();
                           },
                           [this](int start, int length) {
                               txtNotes->setFocus();
                               QTextCursor c = txtNotes->textCursor();
                               c.setPosition(start);
                               c.setPosition(start + length, QTextCursor::KeepAnchor);
                               txtNotes->setTextCursor(c);
                           }}) {
    setWindowTitle(QStringLiteral("Notes"));
    txtNotes = ui::named(new QPlainTextEdit(this), "txtNotes", 375, 240, 8550, 4665);
    txtNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtNotes->setTabChangesFocus(true);
    cmdExit = ui::named(new QPushButton(QStringLiteral("&Exit"), this), "cmdExit", 3900, 4980, 1530, 564);
    cmdFindNext = ui::named(new QPushButton(QStringLiteral("Find Next"), this), "cmdFindNext", 6900, 4968, 1008, 564);
    cmdFindNext->setEnabled(false);
    cmdFind = ui::named(new QPushButton(QStringLiteral("Find"), this), "cmdFind", 7920, 4968, 1008, 564);
    for (QPushButton *b : {cmdExit, cmdFindNext, cmdFind})
        b->setAutoDefault(false);
    ImageKeyboard = ui::named(new QToolButton(this), "ImageKeyboard", 375, 4980, 600, 375);
    ImageKeyboard->setText(QString(QChar(0x2328)));
    ImageKeyboard->setFocusPolicy(Qt::NoFocus);
    resize(ui::twipsToPixelsX(9345), ui::twipsToPixelsY(5775));
    finder.setFindNext(cmdFindNext);

    connect(txtNotes, &QPlainTextEdit::textChanged, this, [this] { txtNotes_Change(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    connect(cmdFind, &QPushButton::clicked, this, [this] { cmdFind_Click(); });
    connect(cmdFindNext, &QPushButton::clicked, this, [this] { cmdFindNext_Click(); });
    connect(ImageKeyboard, &QToolButton::clicked, this, [this] { ImageKeyboard_Click(); });
    Form_Load();
}

void NotesForm::Form_Load() {
    auto &s = g();
    const bool kept = s.RecordChanged;
    const QPlainTextEdit *source = editorNotes();
    // The raw text, so non-breaking spaces and line separators pass both ways unchanged.
    txtNotes->setPlainText(source ? source->document()->toRawText() : QString());
    s.RecordChanged = kept;

    // A top of 0 (never closed) or of 10 twips (the tablet placement) places the window afresh;
    // the screen keeps whole pixels, so 10 twips come back as the pixel they were put on.
    const int tabletTop = ui::twipsToPixelsY(10);
    if (s.NotesTop != 0 && ui::twipsToPixelsY(double(s.NotesTop)) != tabletTop) {
        move(ui::twipsToPixelsX(double(s.NotesLeft)), ui::twipsToPixelsY(double(s.NotesTop)));
        resize(ui::twipsToPixelsX(double(s.NotesWidth)), ui::twipsToPixelsY(double(s.NotesHeight)));
    } else {
        ui::centreOnScreen(this);
        if (s.TabletModeOn)
            ui::setTopTwips(this, 10);
    }
    if (s.TabletModeOn) {
        QFont f = txtNotes->font();
        f.setPointSize(14);
        txtNotes->setFont(f);
    }
    ImageKeyboard->setVisible(s.TabletModeOn);
    ui::applyScreenFont(this, s.ScreenFontName);
}

void NotesForm::txtNotes_Change() { g().RecordChanged = true; }

void NotesForm::formUnload() {
    auto &s = g();
    s.NotesLeft = std::lround(ui::pixelsToTwipsX(x()));
    s.NotesTop = std::lround(ui::pixelsToTwipsY(y()));
    s.NotesWidth = std::lround(ui::pixelsToTwipsX(width()));
    s.NotesHeight = std::lround(ui::pixelsToTwipsY(height()));
    finder.FindText.clear();
    if (s.RecordChanged)
        if (QPlainTextEdit *target = editorNotes())
            target->setPlainText(txtNotes->document()->toRawText());
}

void NotesForm::closeEvent(QCloseEvent *e) {
    closing_ = true;
    Form<QDialog>::closeEvent(e);
    closing_ = false;
}

void NotesForm::reject() {
    if (closing_)
        Form<QDialog>::reject();
    else
        close();
}

void NotesForm::ImageKeyboard_Click() {
    if (g().TabletModeOn)
        ui::startOnScreenKeyboard();
}

void NotesForm::resizeEvent(QResizeEvent *e) {
    Form<QDialog>::resizeEvent(e);
    Form_Resize();
}

void NotesForm::Form_Resize() {
    const QRect frame = frameGeometry();
    const double height = ui::pixelsToTwipsY(frame.height());
    const double width = ui::pixelsToTwipsX(frame.width());
    struct Twips {
        double left, top, width, height;
    };
    auto get = [](QWidget *w) {
        return Twips{ui::pixelsToTwipsX(w->x()), ui::pixelsToTwipsY(w->y()), ui::pixelsToTwipsX(w->width()),
                     ui::pixelsToTwipsY(w->height())};
    };
    Twips box = get(txtNotes), exit = get(cmdExit), next = get(cmdFindNext), find = get(cmdFind),
          keys = get(ImageKeyboard);
    if (height > 1600) {
        box.height = height - 1515;
        exit.top = height - 1150;
    }
    if (width > 1200) {
        box.width = width - 600;
        exit.left = width / 2 - exit.width / 2;
        find.left = box.left + box.width - find.width - next.width;
        next.left = find.left - next.width;
    }
    find.top = next.top = keys.top = exit.top;
    keys.left = box.left;
    // In a narrow window the Find buttons stand right of Exit rather than over it.
    if (exit.left + exit.width > next.left) {
        next.left = exit.left + exit.width;
        find.left = next.left + next.width;
    }
    auto put = [](QWidget *w, const Twips &t) {
        ui::placeTwips(w, int(std::lround(t.left)), int(std::lround(t.top)), int(std::lround(t.width)),
                       int(std::lround(t.height)));
    };
    put(txtNotes, box);
    put(cmdExit, exit);
    put(cmdFindNext, next);
    put(cmdFind, find);
    put(ImageKeyboard, keys);
}

} // namespace notes
