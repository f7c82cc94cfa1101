#include "platform/richtext/RichTextDocument.h"

#include <QTextBlock>
#include <QUrl>

namespace platform::richtext {

RichTextDocument::RichTextDocument(QObject *parent) : QTextDocument(parent) {}

void RichTextDocument::clearAll() {
    clear();
    pictures_.clear();
}

QTextImageFormat RichTextDocument::imageFormat(const QString &name, QSizeF twips) {
    QTextImageFormat f;
    f.setName(name);
    f.setWidth(twips.width() / 15.0);
    f.setHeight(twips.height() / 15.0);
    return f;
}

QVariant RichTextDocument::loadResource(int type, const QUrl &name) {
    const QString key = name.toString();
    if (type == ImageResource && PictureStore::isName(key)) {
        // The frame of an undrawable picture takes the size of the first format naming it.
        QSizeF size(32, 32);
        const Picture *p = pictures_.find(key);
        if (p && p->kind != PictureKind::Other && !p->pixels.isEmpty())
            size = p->pixels;
        for (QTextBlock b = begin(); b.isValid() && p && p->kind == PictureKind::Other && size == QSizeF(32, 32);
             b = b.next())
            for (auto it = b.begin(); !it.atEnd(); ++it) {
                const QTextCharFormat f = it.fragment().charFormat();
                if (f.isImageFormat() && f.toImageFormat().name() == key) {
                    size = QSizeF(f.toImageFormat().width(), f.toImageFormat().height());
                    break;
                }
            }
        return pictures_.resource(key, size);
    }
    return QTextDocument::loadResource(type, name);
}

} // namespace platform::richtext
