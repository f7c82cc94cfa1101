// Every window under the light palette and under a dark one (the Fusion style with the colours a
// dark desktop theme gives Qt programs): each visible text stands out from the colour it is drawn
// on, be it a label, a box, a button, a grid row (the current one included) or a page of rich text
// (a report, the help). A colour of the program's own beside one taken from the desktop's palette
// shows up here as a faint text.
#include "EveryWindow.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QTextFrame>
#include <QTextTable>
#include <QToolButton>

#include <cmath>
#include <optional>

namespace ui = platform::ui;

namespace {

double luminance(const QColor &c) {
    const auto channel = [](double v) { return v <= 0.03928 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * channel(c.redF()) + 0.7152 * channel(c.greenF()) + 0.0722 * channel(c.blueF());
}

double contrast(const QColor &a, const QColor &b) {
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Above the desktop's own pairs (white on the Fusion highlight is 3.7) and far above a text that
// vanishes (white on light blue is 1.3, dark blue on a dark box 1.2).
constexpr double kReadable = 3.0;

struct Faint {
    QString where, text;
    QColor colour, ground;
};

class Faints {
public:
    explicit Faints(QWidget *window) : window_(window) {}

    void add(const QWidget *w, const QString &text, const QColor &colour, const QColor &ground) {
        const QString shown = text.simplified();
        if (shown.isEmpty() || shown == QString(QChar::ObjectReplacementCharacter) ||
            contrast(colour, ground) >= kReadable)
            return;
        // A box inside a control (a combo's line edit) goes by the control's name.
        const QString name = w->objectName().isEmpty() && w->parentWidget() ? w->parentWidget()->objectName()
                                                                              : w->objectName();
        const QString where = window_->objectName() + QLatin1Char('.') + name + QLatin1Char(' ') +
                              QString::fromLatin1(w->metaObject()->className());
        for (const Faint &f : found_)
            if (f.where == where && f.colour == colour && f.ground == ground)
                return;
        found_.append({where, shown.left(40), colour, ground});
    }
    bool isEmpty() const { return found_.isEmpty(); }
    std::string describe() const {
        std::string s;
        for (const Faint &f : found_)
            s += "  " + f.where.toStdString() + ": \"" + f.text.toStdString() + "\" " + f.colour.name().toStdString() +
                 " on " + f.ground.name().toStdString() + " (" + std::to_string(contrast(f.colour, f.ground)) + ")\n";
        return s;
    }

private:
    QWidget *window_;
    QList<Faint> found_;
};

QColor role(const QWidget *w, QPalette::ColorRole r) { return w->palette().color(r); }

// The colour a widget that paints no background of its own is seen on: the first of it and its
// parents that fills its background, the window at the latest.
QColor groundOf(const QWidget *w) {
    for (const QWidget *p = w; p; p = p->parentWidget())
        if (p->autoFillBackground() || p->isWindow())
            return role(p, p->backgroundRole());
    return {};
}

std::optional<QColor> brushColour(const QVariant &v) {
    if (!v.isValid() || !v.canConvert<QBrush>())
        return std::nullopt;
    const QBrush b = qvariant_cast<QBrush>(v);
    return b.style() == Qt::NoBrush ? std::nullopt : std::optional<QColor>(b.color());
}

std::optional<QColor> brushColour(const QBrush &b) {
    return b.style() == Qt::NoBrush ? std::nullopt : std::optional<QColor>(b.color());
}

// Rich text: each run in its own colour, or the box's, on its own background, or its table
// cell's, block's or page's, or the box's.
void checkDocument(const QWidget *w, const QTextDocument &doc, const QColor &text, QColor ground, Faints &out) {
    if (const auto page = brushColour(doc.rootFrame()->frameFormat().background()))
        ground = *page;
    for (QTextBlock b = doc.begin(); b.isValid(); b = b.next()) {
        QColor blockGround = ground;
        if (QTextTable *table = QTextCursor(b).currentTable()) {
            if (const auto t = brushColour(table->format().background()))
                blockGround = *t;
            if (const auto cell = brushColour(table->cellAt(b.position()).format().background()))
                blockGround = *cell;
        }
        if (const auto block = brushColour(b.blockFormat().background()))
            blockGround = *block;
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            const QTextCharFormat cf = f.charFormat();
            if (cf.isImageFormat())
                continue;
            out.add(w, f.text(), brushColour(cf.foreground()).value_or(text),
                    brushColour(cf.background()).value_or(blockGround));
        }
    }
}

void checkItems(QAbstractItemView *v, Faints &out) {
    const QAbstractItemModel *m = v->model();
    if (!m)
        return;
    const QRect shown = v->viewport()->rect();
    const int rows = std::min(m->rowCount(v->rootIndex()), 500);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < m->columnCount(v->rootIndex()); ++c) {
            const QModelIndex i = m->index(r, c, v->rootIndex());
            if (!v->visualRect(i).intersects(shown))
                continue;
            const bool selected = v->selectionModel() && v->selectionModel()->isSelected(i);
            const QColor base = v->alternatingRowColors() && r % 2 ? role(v, QPalette::AlternateBase) : role(v, QPalette::Base);
            const QColor text = selected ? role(v, QPalette::HighlightedText)
                                         : brushColour(i.data(Qt::ForegroundRole)).value_or(role(v, QPalette::Text));
            const QColor ground = selected ? role(v, QPalette::Highlight)
                                           : brushColour(i.data(Qt::BackgroundRole)).value_or(base);
            out.add(v, i.data(Qt::DisplayRole).toString(), text, ground);
        }
}

void checkHeader(QHeaderView *h, Faints &out) {
    if (!h->model() || h->isHidden())
        return;
    for (int i = 0; i < h->count(); ++i)
        if (!h->isSectionHidden(i) && h->sectionSize(i) > 0)
            out.add(h, h->model()->headerData(i, h->orientation(), Qt::DisplayRole).toString(),
                    role(h, QPalette::ButtonText), role(h, QPalette::Button));
}

void checkLabel(QLabel *l, Faints &out) {
    const QString text = l->text();
    const QColor colour = role(l, l->foregroundRole());
    if (l->textFormat() == Qt::RichText || (l->textFormat() == Qt::AutoText && Qt::mightBeRichText(text))) {
        QTextDocument doc;
        doc.setHtml(text);
        checkDocument(l, doc, colour, groundOf(l), out);
    } else {
        out.add(l, text, colour, groundOf(l));
    }
}

void checkControl(QWidget *c, Faints &out) {
    if (auto *h = qobject_cast<QHeaderView *>(c))
        checkHeader(h, out);
    else if (auto *v = qobject_cast<QAbstractItemView *>(c))
        checkItems(v, out);
    else if (auto *t = qobject_cast<QTextEdit *>(c))
        checkDocument(t, *t->document(), role(t, QPalette::Text), role(t->viewport(), t->viewport()->backgroundRole()), out);
    else if (auto *p = qobject_cast<QPlainTextEdit *>(c))
        checkDocument(p, *p->document(), role(p, QPalette::Text), role(p->viewport(), p->viewport()->backgroundRole()), out);
    else if (auto *e = qobject_cast<QLineEdit *>(c))
        out.add(e, e->displayText(), role(e, QPalette::Text), role(e, QPalette::Base));
    else if (auto *box = qobject_cast<QComboBox *>(c); box && !box->isEditable())
        out.add(box, box->currentText(), role(box, QPalette::ButtonText), role(box, QPalette::Button));
    else if (auto *b = qobject_cast<QPushButton *>(c))
        out.add(b, b->text(), role(b, QPalette::ButtonText), b->isFlat() ? groundOf(b) : role(b, QPalette::Button));
    else if (auto *tb = qobject_cast<QToolButton *>(c); tb && tb->toolButtonStyle() != Qt::ToolButtonIconOnly)
        out.add(tb, tb->text(), role(tb, QPalette::ButtonText), tb->autoRaise() ? groundOf(tb) : role(tb, QPalette::Button));
    else if (auto *check = qobject_cast<QAbstractButton *>(c); check && !qobject_cast<QToolButton *>(c))
        out.add(check, check->text(), role(check, check->foregroundRole()), groundOf(check));
    else if (auto *g = qobject_cast<QGroupBox *>(c))
        out.add(g, g->title(), role(g, QPalette::WindowText), groundOf(g));
    else if (auto *l = qobject_cast<QLabel *>(c))
        checkLabel(l, out);
}

// The texts of a window's enabled, visible controls (a disabled one is meant to be dim).
Faints faintTexts(QWidget *window) {
    Faints out(window);
    for (QWidget *c : window->findChildren<QWidget *>())
        if (c->window() == window && c->isVisibleTo(window) && c->isEnabled())
            checkControl(c, out);
    return out;
}

// The colours a dark desktop theme (Adwaita dark through Qt's GTK platform theme) gives.
QPalette darkPalette() {
    const QColor text(0xf0, 0xf0, 0xf0), window(0x32, 0x32, 0x32), base(0x24, 0x24, 0x24);
    QPalette p(text, window, QColor(0x4b, 0x4b, 0x4b), QColor(0x21, 0x21, 0x21), QColor(0x26, 0x26, 0x26), text,
               QColor(0x4b, 0x4b, 0x4b), base, window);
    p.setColor(QPalette::AlternateBase, QColor(0x2b, 0x2b, 0x2b));
    p.setColor(QPalette::Highlight, QColor(0x30, 0x8c, 0xc6));
    p.setColor(QPalette::HighlightedText, text);
    p.setColor(QPalette::Link, QColor(0x30, 0x8c, 0xc6));
    p.setColor(QPalette::PlaceholderText, text);
    for (const auto r : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        p.setColor(QPalette::Disabled, r, QColor(0x82, 0x82, 0x82));
    return p;
}

QPalette lightPalette() { return QApplication::style()->standardPalette(); }

struct Desktop {
    const char *name;
    QPalette (*palette)();
};

class TextContrastTest : public EveryWindowTest, public ::testing::WithParamInterface<Desktop> {
protected:
    void SetUp() override {
        if (QApplication::style()->name() != QLatin1String("fusion"))
            QApplication::setStyle(QStringLiteral("Fusion"));
        saved_ = QApplication::palette();
        QApplication::setPalette(GetParam().palette());
        EveryWindowTest::SetUp();
    }
    void TearDown() override {
        EveryWindowTest::TearDown();
        QApplication::setPalette(saved_);
    }
    void expectReadable(QWidget *window, const std::string &when = {}) {
        const Faints faints = faintTexts(window);
        EXPECT_TRUE(faints.isEmpty()) << window->objectName().toStdString() << when << ", faint texts:\n"
                                      << faints.describe();
    }

private:
    QPalette saved_;
};

TEST_P(TextContrastTest, EveryTextStandsOutFromWhatItIsDrawnOn) {
    forEveryWindow([this](QWidget *window) { expectReadable(window); });
}

TEST_P(TextContrastTest, MainWindowTextsFollowTheChosenBackground) {
    open();
    w->show();
    for (const QColor chosen : {QColor(0xff, 0xff, 0xc0), QColor(0xc0, 0xc0, 0xc0), QColor(0, 0, 0x40)}) {
        prompts.answerColor(chosen);
        w->SelectColor_Click();
        expectReadable(w, " on " + chosen.name().toStdString());
    }
    w->RestoreColor_Click();
    expectReadable(w, " on the design colour");
}

const Desktop kDesktops[] = {{"Light", lightPalette}, {"Dark", darkPalette}};
INSTANTIATE_TEST_SUITE_P(Desktops, TextContrastTest, ::testing::ValuesIn(kDesktops),
                         [](const ::testing::TestParamInfo<Desktop> &i) { return std::string(i.param.name); });

} // namespace
