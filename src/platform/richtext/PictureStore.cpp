#include "platform/richtext/PictureStore.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QPainter>
#include <QPixmap>
#include <QThread>
#include <QtEndian>

#include <atomic>
#include <cstring>

namespace platform::richtext {

namespace {

std::atomic<quint64> nextPicture{1};

QSize headerSize(const QByteArray &bytes) { return PictureStore::ownSize(bytes); }


bool isPng(const QByteArray &b) { return b.startsWith("\x89PNG\r\n\x1a\n"); }
bool isJpeg(const QByteArray &b) { return b.startsWith("\xFF\xD8\xFF"); }

QImage frame(QSizeF size) {
    const QSize s(std::clamp(qRound(size.width()), 1, 4000), std::clamp(qRound(size.height()), 1, 4000));
    QImage img(s, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setPen(QColor(128, 128, 128));
    p.drawRect(0, 0, s.width() - 1, s.height() - 1);
    return img;
}

bool onGuiThread() {
    return qobject_cast<QGuiApplication *>(QCoreApplication::instance()) &&
           QThread::currentThread() == QCoreApplication::instance()->thread();
}

} // namespace

QSize PictureStore::ownSize(const QByteArray &bytes) {
    QByteArray copy = bytes;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    return reader.size();
}

QString PictureStore::add(Picture picture) {
    const QString name = QStringLiteral("rtfpict:%1").arg(nextPicture++);
    if (picture.pixels.isEmpty() && picture.kind != PictureKind::Other)
        picture.pixels = headerSize(picture.bytes);
    pictures_.insert(name, std::move(picture));
    return name;
}

const Picture *PictureStore::find(const QString &name) const {
    auto it = pictures_.constFind(name);
    return it == pictures_.cend() ? nullptr : &*it;
}

void PictureStore::merge(const PictureStore &other) {
    for (auto it = other.pictures_.cbegin(); it != other.pictures_.cend(); ++it)
        pictures_.insert(it.key(), it.value());
}

void PictureStore::clear() {
    pictures_.clear();
    decoded_.clear();
}

QVariant PictureStore::resource(const QString &name, QSizeF frameSize) const {
    const Picture *p = find(name);
    if (!p)
        return {};
    auto it = decoded_.constFind(name);
    if (it != decoded_.cend())
        return *it;
    QImage img;
    if (p->kind != PictureKind::Other)
        img = QImage::fromData(p->bytes);
    if (img.isNull())
        img = frame(frameSize);
    // On the GUI thread the text layout draws pixmaps; keeping one spares a conversion per paint.
    const QVariant v = onGuiThread() ? QVariant(QPixmap::fromImage(img)) : QVariant(img);
    decoded_.insert(name, v);
    return v;
}

std::optional<Picture> PictureStore::fromImageBytes(const QByteArray &bytes, QString *reason) {
    if (isPng(bytes) || isJpeg(bytes)) {
        Picture p{isPng(bytes) ? PictureKind::Png : PictureKind::Jpeg, bytes, {}, headerSize(bytes)};
        if (p.pixels.isValid() && !p.pixels.isEmpty())
            return p;
    }
    const QImage img = QImage::fromData(bytes);
    if (img.isNull()) {
        if (reason)
            *reason = QStringLiteral("The file is not a picture that can be read.");
        return std::nullopt;
    }
    return fromImage(img);
}

std::optional<Picture> PictureStore::fromFile(const QString &path, QString *reason) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        if (reason)
            *reason = f.errorString();
        return std::nullopt;
    }
    return fromImageBytes(f.readAll(), reason);
}

Picture PictureStore::fromImage(const QImage &image) {
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return Picture{PictureKind::Png, png, {}, image.size()};
}

std::optional<Picture> PictureStore::fromDib(const QByteArray &dib) {
    if (dib.size() < 40)
        return std::nullopt;
    uchar head[40];
    std::memcpy(head, dib.constData(), sizeof head);
    const auto u32 = [&](int at) { return qFromLittleEndian<quint32>(head + at); };
    const auto u16 = [&](int at) { return qFromLittleEndian<quint16>(head + at); };
    const quint32 headerSize = u32(0);
    if (headerSize < 12 || headerSize > quint32(dib.size()))
        return std::nullopt;
    quint32 colours = 0;
    quint32 masks = 0;
    if (headerSize >= 40) {
        const quint16 bpp = u16(14);
        colours = u32(32);
        if (colours == 0 && bpp <= 8)
            colours = 1u << bpp;
        if (u32(16) == 3 && headerSize == 40) // BI_BITFIELDS: three masks follow the header
            masks = 12;
        colours = std::min<quint32>(colours, 256) * 4;
    } else {
        const quint16 bpp = u16(10);
        colours = bpp <= 8 ? (1u << bpp) * 3 : 0;
    }
    const quint64 offset = 14 + quint64(headerSize) + masks + colours;
    QByteArray file("BM");
    file.append(12, char(0));
    qToLittleEndian<quint32>(quint32(14 + dib.size()), file.data() + 2);
    qToLittleEndian<quint32>(quint32(std::min<quint64>(offset, 0xFFFFFFFFu)), file.data() + 10);
    file.append(dib);
    const QImage img = QImage::fromData(file, "BMP");
    if (img.isNull())
        return std::nullopt;
    return fromImage(img);
}

std::optional<Picture> PictureStore::fromWbitmap(const QByteArray &bits, int width, int height, int bitsPerPixel,
                                                 int widthBytes) {
    if (width <= 0 || height <= 0 || width > 16384 || height > 16384)
        return std::nullopt;
    if (widthBytes <= 0)
        widthBytes = ((width * bitsPerPixel + 15) / 16) * 2; // rows of whole 16-bit words
    if (qint64(widthBytes) * height > bits.size() || qint64(widthBytes) * 8 < qint64(width) * bitsPerPixel)
        return std::nullopt;
    QImage img(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        const auto *row = reinterpret_cast<const uchar *>(bits.constData()) + qsizetype(y) * widthBytes;
        auto *out = reinterpret_cast<QRgb *>(img.scanLine(y));
        for (int x = 0; x < width; ++x) {
            switch (bitsPerPixel) {
            case 1: out[x] = (row[x / 8] & (0x80 >> (x % 8))) ? qRgb(255, 255, 255) : qRgb(0, 0, 0); break;
            case 24: out[x] = qRgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]); break;
            case 32: out[x] = qRgb(row[4 * x + 2], row[4 * x + 1], row[4 * x]); break;
            default: return std::nullopt;
            }
        }
    }
    return fromImage(img);
}

} // namespace platform::richtext
