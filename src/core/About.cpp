#include "core/About.h"

#include "platform/ui/PromptService.h"
#include "platform/ui/TextColours.h"

#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QUrl>

namespace core {

using namespace platform::ui;

QPixmap About::picture() {
    // A night-blue field with a pair of beamed notes and the program's name.
    const QSize size(twipsToPixelsX(5400), twipsToPixelsY(2400));
    QPixmap pm(size);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0, QColor(18, 32, 74));
    sky.setColorAt(1, QColor(64, 112, 160));
    p.fillRect(pm.rect(), sky);

    const double u = size.height() / 16.0;
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(240, 200, 80));
    p.drawEllipse(QPointF(3.0 * u, 11.5 * u), 1.4 * u, 1.0 * u);
    p.drawEllipse(QPointF(7.0 * u, 10.5 * u), 1.4 * u, 1.0 * u);
    p.setPen(QPen(QColor(240, 200, 80), 0.45 * u));
    p.drawLine(QPointF(4.3 * u, 11.3 * u), QPointF(4.3 * u, 3.5 * u));
    p.drawLine(QPointF(8.3 * u, 10.3 * u), QPointF(8.3 * u, 2.5 * u));
    QPainterPath beam;
    beam.moveTo(4.1 * u, 3.5 * u);
    beam.lineTo(8.5 * u, 2.5 * u);
    beam.lineTo(8.5 * u, 4.0 * u);
    beam.lineTo(4.1 * u, 5.0 * u);
    beam.closeSubpath();
    p.setPen(Qt::NoPen);
    p.drawPath(beam);

    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPixelSize(static_cast<int>(4 * u));
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(QRectF(10 * u, 0, size.width() - 10.5 * u, size.height()), Qt::AlignVCenter | Qt::AlignLeft,
               QStringLiteral("Orvalis"));
    return pm;
}

About::About(QWidget *parent) : Form<QDialog>(parent) {
    setWindowTitle(QStringLiteral("About Orvalis"));
    const QPixmap pm = picture();

    Image1 = new QLabel(this);
    Image1->setObjectName(QStringLiteral("Image1"));
    Image1->setPixmap(pm);
    Image1->setGeometry(0, 0, pm.width(), pm.height());

    const int w = pm.width();
    const int line = twipsToPixelsY(300);
    int y = pm.height() + twipsToPixelsY(120);
    auto addLabel = [&](const QString &name, const QString &text) {
        auto *l = new QLabel(text, this);
        l->setObjectName(name);
        l->setAlignment(Qt::AlignCenter);
        l->setGeometry(0, y, w, line);
        y += line;
        return l;
    };
    lblVersion = addLabel(QStringLiteral("lblVersion"), QStringLiteral("Version 2.30"));
    Label2 = addLabel(QStringLiteral("Label2"), WebAddress);
    lblInfo = addLabel(QStringLiteral("lblInfo"), QStringLiteral("Made by the Orvalis project."));

    setBlueText(Label2, QColor(0, 0, 255), QPalette::WindowText, QPalette::Window);
    QFont linkFont = Label2->font();
    linkFont.setUnderline(true);
    Label2->setFont(linkFont);
    Label2->setCursor(Qt::PointingHandCursor);
    Label2->installEventFilter(this);

    const int bw = twipsToPixelsX(1095), bh = twipsToPixelsY(375);
    y += twipsToPixelsY(120);
    Command1 = new QPushButton(QStringLiteral("OK"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry((w - bw) / 2, y, bw, bh);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, [this] { Command1_Click(); });

    // Load: exactly as wide as the picture, then centred on the screen.
    setFixedSize(w, y + bh + twipsToPixelsY(180));
    centreOnScreen(this);
}

bool About::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Label2 && event->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton) {
        try {
            Label2_Click();
        } catch (...) {
        }
        return true;
    }
    return Form<QDialog>::eventFilter(watched, event);
}

void About::Label2_Click() { prompts().openUrl(QUrl(WebAddress)); }

void About::Command1_Click() { close(); }

} // namespace core
