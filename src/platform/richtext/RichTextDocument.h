#pragma once
// A text document whose pictures live in its own picture store and are decoded only when
// first drawn.
#include "platform/richtext/PictureStore.h"

#include <QTextDocument>
#include <QTextImageFormat>

namespace platform::richtext {

class RichTextDocument : public QTextDocument {
    Q_OBJECT
public:
    explicit RichTextDocument(QObject *parent = nullptr);

    PictureStore &pictures() { return pictures_; }
    const PictureStore &pictures() const { return pictures_; }

    // Empties the text and the picture store.
    void clearAll();

    // The image format of a stored picture, `twips` its shown size (15 twips to a pixel).
    static QTextImageFormat imageFormat(const QString &name, QSizeF twips);

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    PictureStore pictures_;
};

} // namespace platform::richtext
