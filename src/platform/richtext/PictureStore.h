#pragma once
// The pictures of one rich-text document. The document itself holds only an image format
// named "rtfpict:N" and sized from the RTF; the store keeps each picture's own bytes, never
// re-encoded, and decodes them the first time the picture is drawn.
#include <QByteArray>
#include <QHash>
#include <QImage>
#include <QSize>
#include <QString>
#include <QVariant>

#include <optional>

namespace platform::richtext {

enum class PictureKind {
    Png,
    Jpeg,
    Other, // a kind we cannot draw (metafiles, PICT, a damaged bitmap): kept as read
};

struct Picture {
    PictureKind kind = PictureKind::Png;
    QByteArray bytes;
    // Other kinds: the picture's control words as read ("\wmetafile8\picw..."), written back
    // unchanged. Empty for PNG and JPEG, whose words the writer makes.
    QByteArray words;
    QSize pixels; // the picture's own size in pixels; empty when unknown
};

class PictureStore {
public:
    // Adds a picture and returns the name its image format carries.
    QString add(Picture picture);
    const Picture *find(const QString &name) const;
    // Copies every picture of `other` (names stay unique across stores).
    void merge(const PictureStore &other);
    void clear();
    int size() const { return int(pictures_.size()); }

    // What the document draws for `name`: the decoded picture, or for a picture nothing can
    // decode a frame of `frameSize` pixels. Null for an unknown name.
    QVariant resource(const QString &name, QSizeF frameSize) const;

    // A picture's size in pixels from its header alone; invalid when the header says nothing.
    static QSize ownSize(const QByteArray &bytes);

    static bool isName(const QString &name) { return name.startsWith(QLatin1String("rtfpict:")); }

    // A picture file's bytes as the store keeps them: JPEG and PNG as they are, any other
    // picture Qt reads (BMP, GIF, ...) made PNG once. No value, with a reason, for bytes
    // that are no picture.
    static std::optional<Picture> fromImageBytes(const QByteArray &bytes, QString *reason = nullptr);
    static std::optional<Picture> fromFile(const QString &path, QString *reason = nullptr);
    static Picture fromImage(const QImage &image);
    // A device-independent bitmap as RTF's \dibitmap holds it (no file header), made PNG.
    static std::optional<Picture> fromDib(const QByteArray &dib);
    // A device-dependent bitmap of RTF's \wbitmap: rows of `widthBytes` bytes, top down.
    static std::optional<Picture> fromWbitmap(const QByteArray &bits, int width, int height, int bitsPerPixel,
                                              int widthBytes);

private:
    QHash<QString, Picture> pictures_;
    mutable QHash<QString, QVariant> decoded_;
};

} // namespace platform::richtext
