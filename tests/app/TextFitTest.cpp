// Every window of the program, opened offscreen at the program's fonts: each caption, button,
// check box, group title and grid header shows its whole text inside its control, measured
// with the control's own font.
#include "EveryWindow.h"

#include "player/PlayForm.h"
#include "platform/richtext/RichTextBox.h"
#include "reports/RichTextForm.h"
#include "core/InputForm.h"
#include "player/PlayListFiles.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QPlainTextDocumentLayout>
#include <QPlainTextEdit>
#include <QTextBlock>
#include <QPushButton>
#include <QRadioButton>
#include <QStyleOptionButton>
#include <QTextDocument>
#include <QHelpEvent>
#include <QListWidget>
#include <QMainWindow>
#include <QScrollArea>
#include <QScrollBar>
#include <QToolTip>

namespace ui = platform::ui;

namespace {

QString shownText(QString text) {
    // "&&" shows as "&"; a single "&" marks the access key and shows nothing.
    text.replace(QStringLiteral("&&"), QStringLiteral("\x01"));
    text.remove(QLatin1Char('&'));
    text.replace(QChar(1), QLatin1Char('&'));
    return text;
}

struct Cut {
    std::string where;
    int need = 0;
    int have = 0;
};

void checkButton(QAbstractButton *b, QList<Cut> &cuts, const QString &where) {
    const QString text = shownText(b->text());
    if (text.isEmpty())
        return;
    QStyleOptionButton opt;
    opt.initFrom(b);
    opt.text = text;
    QStyle::SubElement part = QStyle::SE_PushButtonContents;
    if (qobject_cast<QCheckBox *>(b))
        part = QStyle::SE_CheckBoxContents;
    else if (qobject_cast<QRadioButton *>(b))
        part = QStyle::SE_RadioButtonContents;
    const QRect room = b->style()->subElementRect(part, &opt, b);
    int need = 0;
    for (const QString &line : text.split(QLatin1Char('\n')))
        need = std::max(need, b->fontMetrics().horizontalAdvance(line));
    const int lines = int(text.count(QLatin1Char('\n'))) + 1;
    if (need > room.width() || lines * b->fontMetrics().height() > b->height())
        cuts.append({where.toStdString(), need, room.width()});
}

void checkLabel(QLabel *l, QList<Cut> &cuts, const QString &where) {
    const QString text = l->text();
    if (text.isEmpty() || l->textFormat() == Qt::RichText || Qt::mightBeRichText(text))
        return;
    const QRect room = l->contentsRect();
    const QFontMetrics fm = l->fontMetrics();
    if (l->wordWrap()) {
        const int need = l->heightForWidth(room.width());
        if (need > room.height())
            cuts.append({(where + QStringLiteral(" (height)")).toStdString(), need, room.height()});
        return;
    }
    const QString shown = l->buddy() ? shownText(text) : text;
    int need = 0;
    const QStringList lines = shown.split(QLatin1Char('\n'));
    for (const QString &line : lines)
        need = std::max(need, fm.horizontalAdvance(line));
    if (need > room.width())
        cuts.append({where.toStdString(), need, room.width()});
    if (int(lines.size()) * fm.height() > room.height() + fm.leading())
        cuts.append({(where + QStringLiteral(" (height)")).toStdString(), int(lines.size()) * fm.height(), room.height()});
}

// A caption may wrap at word breaks inside its column (the grid's head grows for it); no word
// may be wider than the column and the lines must fit the head's height. The head paints with
// the model's alignment when it gives one: without the wrap flag there, the caption must fit on
// one line.
void checkHeader(QHeaderView *h, QList<Cut> &cuts, const QString &where) {
    if (!h->model() || h->isHidden())
        return;
    const int margin = 2 * h->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, h);
    const int height = h->height();
    const QFontMetrics fm(h->font());
    for (int i = 0; i < h->count(); ++i) {
        if (h->isSectionHidden(i) || h->sectionSize(i) == 0)
            continue;
        const QString text = h->model()->headerData(i, h->orientation(), Qt::DisplayRole).toString();
        if (text.isEmpty())
            continue;
        const QString what = where + QStringLiteral(" column \"") + text + QLatin1Char('"');
        const int room = h->sectionSize(i) - margin;
        const QVariant painted = h->model()->headerData(i, h->orientation(), Qt::TextAlignmentRole);
        const int flags = painted.isValid() ? painted.toInt() : int(h->defaultAlignment());
        if (!(flags & Qt::TextWordWrap)) {
            if (fm.horizontalAdvance(text) > room)
                cuts.append({(what + QStringLiteral(" (one line)")).toStdString(), fm.horizontalAdvance(text) + margin,
                             h->sectionSize(i)});
            continue;
        }
        int widest = 0;
        for (const QString &word : text.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            widest = std::max(widest, fm.horizontalAdvance(word));
        if (widest > room)
            cuts.append({what.toStdString(), widest + margin, h->sectionSize(i)});
        const QRect r = fm.boundingRect(QRect(0, 0, std::max(1, room), 100000), int(Qt::AlignCenter | Qt::TextWordWrap), text);
        const int need = r.height() + 2; // the lines and the head's frame
        if (need > height)
            cuts.append({(what + QStringLiteral(" (height)")).toStdString(), need, height});
    }
}

bool isButton(QWidget *c) {
    return qobject_cast<QPushButton *>(c) || qobject_cast<QCheckBox *>(c) || qobject_cast<QRadioButton *>(c);
}

// Buttons and check boxes that stand on one another: each needs its own room to be read and hit.
void checkOverlaps(QWidget *window, QList<Cut> &cuts) {
    QList<QWidget *> shown;
    for (QWidget *c : window->findChildren<QWidget *>())
        if (!c->isHidden() && c->window() == window && isButton(c) && c->isVisibleTo(window))
            shown.append(c);
    for (qsizetype i = 0; i < shown.size(); ++i)
        for (qsizetype j = i + 1; j < shown.size(); ++j)
            if (shown[i]->parentWidget() == shown[j]->parentWidget() &&
                shown[i]->geometry().intersects(shown[j]->geometry()))
                cuts.append({(window->objectName() + QLatin1Char('.') + shown[i]->objectName() +
                              QStringLiteral(" overlaps ") + shown[j]->objectName())
                                 .toStdString(),
                             0, 0});
}

QList<Cut> cutTexts(QWidget *window) {
    QList<Cut> cuts;
    checkOverlaps(window, cuts);
    const QString name = window->objectName();
    for (QWidget *c : window->findChildren<QWidget *>()) {
        if (c->window() != window || !c->isVisibleTo(window))
            continue;
        const QString where = name + QLatin1Char('.') + c->objectName() + QLatin1Char(' ') +
                              QString::fromLatin1(c->metaObject()->className());
        if (auto *b = qobject_cast<QAbstractButton *>(c); b && (qobject_cast<QPushButton *>(c) ||
                                                                 qobject_cast<QCheckBox *>(c) ||
                                                                 qobject_cast<QRadioButton *>(c)))
            checkButton(b, cuts, where);
        else if (auto *l = qobject_cast<QLabel *>(c))
            checkLabel(l, cuts, where);
        else if (auto *g = qobject_cast<QGroupBox *>(c); g && !g->title().isEmpty()) {
            const int need = g->fontMetrics().horizontalAdvance(shownText(g->title())) + 16;
            if (need > g->width())
                cuts.append({where.toStdString(), need, g->width()});
        } else if (auto *h = qobject_cast<QHeaderView *>(c))
            checkHeader(h, cuts, where);
        else if (auto *t = qobject_cast<QPlainTextEdit *>(c);
                 t && t->isReadOnly() && t->verticalScrollBarPolicy() == Qt::ScrollBarAlwaysOff) {
            // A box that cannot scroll must show all its lines.
            const QRectF last = t->document()->documentLayout()->blockBoundingRect(t->document()->lastBlock());
            const int need = int(std::ceil(last.bottom() + t->document()->documentMargin()));
            if (need > t->viewport()->height())
                cuts.append({(where + QStringLiteral(" (lines)")).toStdString(), need, t->viewport()->height()});
        }
    }
    return cuts;
}

std::string describe(const QList<Cut> &cuts) {
    std::string s;
    for (const Cut &c : cuts)
        s += "  " + c.where + ": needs " + std::to_string(c.need) + " px, has " + std::to_string(c.have) + "\n";
    return s;
}

class TextFitTest : public EveryWindowTest {
protected:
    void expectFits(QWidget *window) {
        const QList<Cut> cuts = cutTexts(window);
        EXPECT_TRUE(cuts.isEmpty()) << window->objectName().toStdString() << " cuts:\n" << describe(cuts);
    }
};

TEST_F(TextFitTest, EveryWindowShowsEachTextWhole) {
    forEveryWindow([this](QWidget *window) { expectFits(window); });
}

// 1366 x 768 at 150 %: 910 x 512 logical pixels, less a panel of 30 at the top.
const QRect SmallScreen(0, 30, 910, 482);

// Each control of a shown window lies whole on the window (or on the page of a window that
// scrolls); a window scrolls sideways (or up and down) only when it could not be made wider (or
// taller) within the screen.
QList<Cut> cutControls(QWidget *window, const QRect &area) {
    QList<Cut> cuts;
    const QString name = window->objectName();
    QWidget *page = window;
    if (auto *main = qobject_cast<QMainWindow *>(window))
        page = main->centralWidget();
    if (auto *scroll = window->findChild<QScrollArea *>(QStringLiteral("ScrollArea"))) {
        page = scroll->widget();
        QRect frame = window->frameGeometry();
        // Without a window manager, the title bar the fit allowed for.
        const int titleBar = window->style()->pixelMetric(QStyle::PM_TitleBarHeight);
        frame.setTop(std::min(frame.top(), window->geometry().top() - titleBar));
        if (scroll->horizontalScrollBar()->isVisible() && frame.width() < area.width())
            cuts.append({(name + QStringLiteral(" scrolls sideways")).toStdString(), page->width(),
                         scroll->viewport()->width()});
        if (scroll->verticalScrollBar()->isVisible() && frame.height() < area.height())
            cuts.append({(name + QStringLiteral(" scrolls up and down")).toStdString(), page->height(),
                         scroll->viewport()->height()});
    }
    for (QWidget *c : page->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
        if (c->isWindow() || !c->isVisibleTo(window) || c->width() <= 0 || c->height() <= 0)
            continue;
        const QRect r = c->geometry();
        if (r.right() > page->rect().right())
            cuts.append({(name + QLatin1Char('.') + c->objectName() + QStringLiteral(" (right edge)")).toStdString(),
                         r.right() + 1, page->width()});
        if (r.bottom() > page->rect().bottom())
            cuts.append({(name + QLatin1Char('.') + c->objectName() + QStringLiteral(" (bottom)")).toStdString(),
                         r.bottom() + 1, page->height()});
    }
    return cuts;
}

TEST_F(TextFitTest, AtOneHundredAndFiftyPercentEveryControlIsWholeAndReachable) {
    ui::setAvailableScreenOverride(SmallScreen);
    forEveryWindow([](QWidget *window) {
        window->show();
        QCoreApplication::processEvents();
        // The picture window sizes its box from the screen's own size, which the area set here
        // does not change; its layout on this screen is held by the picture layout rules' tests.
        if (window->objectName() == QLatin1String("PictureForm"))
            return;
        const QList<Cut> cuts = cutControls(window, SmallScreen);
        EXPECT_TRUE(cuts.isEmpty()) << window->objectName().toStdString() << " cuts:\n" << describe(cuts);
    });
    ui::setAvailableScreenOverride(QRect());
}

// The path box under the player is one row high: a long path shows both its ends in the row
// and whole in its tool tip, with no scroll bar over it.
TEST_F(TextFitTest, ThePlayersPathBoxShowsALongPathWithNoScrollBarOverIt) {
    ui::setAvailableScreenOverride(SmallScreen);
    open();
    const QString path = QStringLiteral("/home/someone/Music/A very long folder name for a collection of music/"
                                        "Another deeply nested folder with a long name/01 - The first song.mp3");
    player::PlayForm *p = ui::form<player::PlayForm>();
    p->lbSongURL->addItem(path);
    p->lbSongs->addItem(QStringLiteral("The first song <> Someone"));
    p->lbSongURL->setCurrentRow(0);
    p->show();
    QCoreApplication::processEvents();
    QListWidget *box = p->lbSongURL;
    EXPECT_FALSE(box->horizontalScrollBar()->isVisible());
    const QRect row = box->visualItemRect(box->item(0));
    EXPECT_LE(row.right(), box->viewport()->rect().right()) << "the row runs on past the box";
    EXPECT_GE(row.height(), box->fontMetrics().height());
    EXPECT_LE(row.bottom(), box->viewport()->rect().bottom()) << "the row is cut at the bottom";
    QHelpEvent tip(QEvent::ToolTip, row.center(), box->viewport()->mapToGlobal(row.center()));
    QCoreApplication::sendEvent(box->viewport(), &tip);
    EXPECT_EQ(QToolTip::text(), path);
    ui::unloadForm(p);
    ui::flushUnloadedForms();
    ui::setAvailableScreenOverride(QRect());
}

// The report box follows the window in both directions: whatever its size, the box keeps its
// margins inside the window and ends above the buttons.
TEST_F(TextFitTest, TheReportBoxFollowsTheWindowInBothDirections) {
    ui::setAvailableScreenOverride(SmallScreen);
    reports::RichTextForm *f = ui::form<reports::RichTextForm>();
    f->show();
    QCoreApplication::processEvents();
    const int margin = ui::twipsToPixelsX(14970 - 156 - 14580);  // the designed right margin
    for (const QSize size : {f->size(), QSize(700, 400), QSize(880, 300), QSize(500, 450), QSize(1300, 900),
                             QSize(900, 470)}) {
        f->resize(size);
        QCoreApplication::processEvents();
        const QRect box = f->RichTextBox->geometry();
        const std::string what = std::to_string(f->width()) + "x" + std::to_string(f->height());
        EXPECT_TRUE(f->rect().contains(box)) << what;
        EXPECT_NEAR(f->width() - box.right() - 1, margin, 2) << what << ": the box's right margin";
        EXPECT_LT(box.bottom(), f->cmdClose->y()) << what;
        EXPECT_GT(box.width(), f->width() / 2) << what;
    }
    ui::unloadForm(f);
    ui::flushUnloadedForms();
    ui::setAvailableScreenOverride(QRect());
}

TEST_F(TextFitTest, TheLongestPromptShowsWhole) {
    open();
    QList<Cut> cuts;
    ui::ScopedModalHook hook([&](QDialog *d) {
        cuts = cutTexts(d);
        d->reject();
    });
    modMain::ShowInputForm(player::PlayListFiles::prefixPrompt(), QStringLiteral("File location prefix?"),
                           QStringLiteral("this machine"));
    EXPECT_TRUE(cuts.isEmpty()) << describe(cuts);
}

} // namespace
