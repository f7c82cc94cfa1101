// The 1 MB note the rich-text and notes benchmarks time: about 250 KB of text in 2,000
// formatted paragraphs and four 100 KB JPEG pictures, as RTF and as the same document in Qt's
// HTML (pictures as data: URLs), made once per run; and Qt's own rich text of it, the baseline
// both compare with.
#pragma once

#include "platform/richtext/RichTextBox.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTextEdit>

namespace bench {

using platform::richtext::RichTextBox;

inline QByteArray jpegOfAbout(qsizetype bytes, quint32 seed) {
    QRandomGenerator rng(seed);
    for (int side = 160;; side += 16) {
        QImage img(side, side, QImage::Format_RGB32);
        for (int y = 0; y < side; ++y)
            for (int x = 0; x < side; ++x)
                img.setPixel(x, y, qRgb(int(rng.bounded(256)), (x * 3 + y) % 256, int(rng.bounded(256))));
        QByteArray out;
        QBuffer b(&out);
        b.open(QIODevice::WriteOnly);
        img.save(&b, "JPEG", 85);
        if (out.size() >= bytes)
            return out;
    }
}

struct Note {
    QString rtf;
    QString html;
    qsizetype textChars = 0;
};

inline const Note &note() {
    static Note n;
    if (!n.rtf.isEmpty())
        return n;
    static QTemporaryDir dir;
    RichTextBox box;
    box.setFont(QFont(QStringLiteral("Tahoma"), 10));
    QStringList dataUrls;
    for (int i = 0; i < 2000; ++i) {
        box.setSelFontName(QStringLiteral("Tahoma"));
        box.setSelFontSize(10.5);
        box.setSelBold(true);
        box.setSelColor(0x800000);
        box.setSelText(QStringLiteral("Paragraph %1: ").arg(i));
        box.setSelBold(false);
        box.setSelColor(0);
        box.setSelText(QStringLiteral("the quick brown fox jumps over the lazy dog, "));
        box.setSelItalic(true);
        box.setSelColor(0x0000C0);
        box.setSelText(QStringLiteral("caf\u00e9 na\u00efve \u00fcber "));
        box.setSelItalic(false);
        box.setSelUnderline(true);
        box.setSelFontName(QStringLiteral("Arial"));
        box.setSelText(QStringLiteral("underlined words"));
        box.setSelUnderline(false);
        box.setSelColor(0);
        box.setSelText(QStringLiteral(" and a plain tail of text.\r\n"));
        if (i % 500 == 250) {
            const QByteArray jpeg = jpegOfAbout(100 * 1024, quint32(i));
            const QString path = dir.filePath(QStringLiteral("p%1.jpg").arg(i));
            QFile f(path);
            f.open(QIODevice::WriteOnly);
            f.write(jpeg);
            f.close();
            box.insertPicture(path);
            box.setSelText(QStringLiteral("\r\n"));
            dataUrls << QStringLiteral("data:image/jpeg;base64,") + QString::fromLatin1(jpeg.toBase64());
        }
    }
    n.rtf = box.TextRTF();
    n.textChars = box.Text().size();
    // The same document as Qt's HTML, each picture inline as a data: URL.
    QString html = box.richDocument()->toHtml();
    QRegularExpression src(QStringLiteral("src=\"rtfpict:[0-9]+\""));
    for (const QString &url : dataUrls) {
        const QRegularExpressionMatch m = src.match(html);
        if (m.hasMatch())
            html.replace(m.capturedStart(), m.capturedLength(), QStringLiteral("src=\"") + url + QLatin1Char('"'));
    }
    n.html = html;
    return n;
}

// The baselines: Qt's setHtml and toHtml of the note on a text edit.
inline void qtSetHtmlOfNote(benchmark::State &state) {
    const Note &n = note();
    QTextEdit edit;
    for (auto _ : state)
        edit.setHtml(n.html);
    state.counters["html_bytes"] = double(n.html.size());
}

inline void qtToHtmlOfNote(benchmark::State &state) {
    const Note &n = note();
    QTextEdit edit;
    edit.setHtml(n.html);
    for (auto _ : state)
        benchmark::DoNotOptimize(edit.toHtml());
}

} // namespace bench
