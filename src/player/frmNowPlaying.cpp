#include "player/frmNowPlaying.h"

#include "player/PlayForm.h"

#include <QCheckBox>
#include <QLabel>
#include <QResizeEvent>

namespace player {

using namespace platform::ui;

frmNowPlaying::frmNowPlaying(QWidget *owner) : Form<QWidget>(owner, Qt::Window) {
    setWindowTitle(QStringLiteral("Now Playing"));
    lblNowPlaying = new QLabel(this);
    lblNowPlaying->setObjectName(QStringLiteral("lblNowPlaying"));
    lblNowPlaying->setTextFormat(Qt::PlainText);
    QFont f(QStringLiteral("Arial"));
    f.setPointSize(18);
    f.setBold(true);
    lblNowPlaying->setFont(f);
    placeTwips(lblNowPlaying, 50, 120, 7100, 600);
    resize(twipsToPixelsX(7200), twipsToPixelsY(900));
}

QString frmNowPlaying::shownText(const QString &caption) {
    QString out;
    out.reserve(caption.size());
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] == QLatin1Char('&') && i + 1 < caption.size()) {
            ++i;  // "&&" shows one "&"; "&x" shows x
        }
        out += caption[i];
    }
    return out;
}

void frmNowPlaying::setCaption(const QString &caption) {
    caption_ = caption;
    lblNowPlaying->setText(shownText(caption));
}

void frmNowPlaying::Form_Resize() {
    const QRect g = lblNowPlaying->geometry();
    lblNowPlaying->resize(std::max(0, width() - twipsToPixelsX(100)), g.height());
}

void frmNowPlaying::resizeEvent(QResizeEvent *e) {
    Form<QWidget>::resizeEvent(e);
    Form_Resize();
}

void frmNowPlaying::formUnload() {
    if (auto *p = findForm<PlayForm>())
        p->cbNowPlaying->setChecked(false);
}

} // namespace player
