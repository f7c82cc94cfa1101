#include "import/cMP3ID3v2.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>

namespace import {

namespace {

constexpr qint64 kChunk = 4096;

QString sourceName() {
    QString exe = QCoreApplication::instance()
                      ? QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName()
                      : QString();
    if (exe.isEmpty())
        exe = QStringLiteral("orvalis");
    return exe + QStringLiteral(".cMP3ID3v2");
}

QString withoutNuls(QString s) {
    s.remove(QChar(0));
    return s;
}

// UTF-16 text; a byte-order mark anywhere (each string of a frame may carry its own) sets the
// byte order from there on.
QString fromUtf16(QByteArrayView bytes, bool bigEndian) {
    QString out;
    out.reserve(bytes.size() / 2);
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    for (qsizetype i = 0; i + 1 < bytes.size(); i += 2) {
        const char16_t u = bigEndian ? char16_t(p[i] << 8 | p[i + 1]) : char16_t(p[i + 1] << 8 | p[i]);
        if (u == 0xFEFF || u == 0)
            continue;
        if (u == 0xFFFE) {
            bigEndian = !bigEndian;
            continue;
        }
        out.append(QChar(u));
    }
    return out;
}

QString decodeText(uchar encoding, QByteArrayView bytes) {
    switch (encoding) {
    case 1:
        return fromUtf16(bytes, false);
    case 2:
        return fromUtf16(bytes, true);
    case 3:
        return withoutNuls(QString::fromUtf8(bytes));
    default:
        return withoutNuls(QString::fromLatin1(bytes));
    }
}

QString frameValue(const QString &id, const QByteArray &data) {
    const uchar encoding = data.isEmpty() ? 0 : uchar(data[0]);
    if (id == QLatin1String("COMM") && data.size() >= 4 && encoding <= 3)
        return withoutNuls(QString::fromLatin1(data.mid(1, 3))) + decodeText(encoding, QByteArrayView(data).sliced(4));
    if (id.startsWith(QLatin1Char('T')) && !data.isEmpty() && encoding <= 3)
        return decodeText(encoding, QByteArrayView(data).sliced(1));
    return withoutNuls(QString::fromLatin1(data));
}

QString convertV22FrameID(const QByteArray &id) {
    static const std::pair<const char *, const char *> map[] = {
        {"TP1", "TPE1"}, {"TT2", "TIT2"}, {"TAL", "TALB"}, {"COM", "COMM"},
        {"TRK", "TRCK"}, {"TEN", "TENC"}, {"TYE", "TYER"}, {"TCO", "TCON"}};
    for (const auto &[v2, v3] : map)
        if (id == v2)
            return QString::fromLatin1(v3);
    return {};
}

quint32 synchSafe(const uchar *p) {
    return quint32(p[0] & 0x7F) << 21 | quint32(p[1] & 0x7F) << 14 | quint32(p[2] & 0x7F) << 7 | (p[3] & 0x7F);
}

} // namespace

ID3v2Error::ID3v2Error(int number, const QString &description)
    : std::runtime_error(description.toStdString()), number_(number), description_(description),
      source_(sourceName()) {}

QString cMP3ID3v2::Frame(int index) const {
    if (auto id = frameIds_.valueAt(index))
        return *id;
    throw ID3v2Error(ID3v2Error::OutOfRange, QStringLiteral("Subscript out of range"));
}

void cMP3ID3v2::RemoveFrame(int index) { RemoveFrame(Frame(index)); }

void cMP3ID3v2::RemoveFrame(const QString &frameId) {
    if (!frameIds_.remove(frameId))
        throw ID3v2Error(ID3v2Error::InvalidArgument, QStringLiteral("Invalid procedure call or argument"));
    frameValueCounts_.remove(frameId);
    for (int n = 1; frameValues_.remove(frameId + QLatin1Char(':') + QString::number(n)); ++n) {
    }
}

int cMP3ID3v2::TagsInFrame(const QString &frameId) const { return frameValueCounts_.value(frameId).value_or(0); }

int cMP3ID3v2::TagsInFrame(int position) const { return frameValueCounts_.valueAt(position).value_or(0); }

QString cMP3ID3v2::FrameValue(const QString &frameId, int n) const {
    if (auto v = frameValues_.value(frameId + QLatin1Char(':') + QString::number(n)))
        return *v;
    throw ID3v2Error(ID3v2Error::InvalidArgument, QStringLiteral("Invalid procedure call or argument"));
}

void cMP3ID3v2::addValue(const QString &id, const QString &value) {
    int n = 1;
    if (!frameIds_.contains(id)) {
        frameIds_.add(id, id);
        frameValueCounts_.add(id, 1);
    } else {
        // A changed count goes to the end of the count list.
        n = frameValueCounts_.value(id).value_or(0) + 1;
        frameValueCounts_.remove(id);
        frameValueCounts_.add(id, n);
    }
    frameValues_.add(id + QLatin1Char(':') + QString::number(n), value);
}

void cMP3ID3v2::AddTag(const QString &sFrame, const QString &sTag) { addValue(sFrame, sTag); }

void cMP3ID3v2::storeFrame(const QString &id, const QString &value) {
    addValue(id, value);
    if (id == QLatin1String("COMM")) {
        const QString text = value.startsWith(QLatin1String("eng")) ? value.mid(3) : value;
        comment_ = comment_.isEmpty() ? text : comment_ + QChar(0) + QStringLiteral("\r\n") + text;
    }
}

void cMP3ID3v2::RemoveTag(const QString &sFrame, int tagIndex) {
    const QString prefix = sFrame + QLatin1Char(':');
    if (!frameValues_.remove(prefix + QString::number(tagIndex)))
        throw ID3v2Error(ID3v2Error::InvalidArgument, QStringLiteral("Invalid procedure call or argument"));
    const int count = frameValueCounts_.value(sFrame).value_or(1) - 1;
    frameValueCounts_.remove(sFrame);
    if (count <= 0)
        return;
    frameValueCounts_.add(sFrame, count);
    for (int k = tagIndex + 1; k <= count + 1; ++k) {
        const QString old = prefix + QString::number(k);
        if (auto v = frameValues_.value(old)) {
            frameValues_.remove(old);
            frameValues_.add(prefix + QString::number(k - 1), *v);
        }
    }
}

void cMP3ID3v2::setComment(const QString &text) {
    comment_ = text;
    if (frameIds_.contains(QStringLiteral("COMM")))
        RemoveFrame(QStringLiteral("COMM"));
    AddTag(QStringLiteral("COMM"), text);
}

void cMP3ID3v2::clearTag() {
    frameIds_ = {};
    frameValueCounts_ = {};
    frameValues_ = {};
    comment_.clear();
    tagPosition_ = 0;
    majorVersion_ = 0;
}

void cMP3ID3v2::setMP3File(const QString &path) {
    mp3File_ = path;
    clearTag();
    const QFileInfo info(path);
    if (!info.exists())
        throw ID3v2Error(ID3v2Error::FileNotFound, QStringLiteral("File not found"));
    if (info.isDir())
        throw ID3v2Error(ID3v2Error::PathFileAccess, QStringLiteral("Path/File access error"));
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        throw ID3v2Error(f.error() == QFileDevice::PermissionsError ? ID3v2Error::PermissionDenied
                                                                    : ID3v2Error::PathFileAccess,
                         f.error() == QFileDevice::PermissionsError ? QStringLiteral("Permission denied")
                                                                    : QStringLiteral("Path/File access error"));
    readTag(f);
}

void cMP3ID3v2::readTag(QIODevice &device) {
    clearTag();
    const qint64 at = findID3Header(device);
    if (at < 0)
        return;
    tagPosition_ = at + 1;
    readFrames(device, at);
}

qint64 cMP3ID3v2::findID3Header(QIODevice &device) const {
    const qint64 length = device.size();
    for (qint64 start = 0; start < length; start += kChunk - 3) {
        const bool last = start + kChunk >= length;
        if (!device.seek(start))
            return -1;
        const QByteArray chunk = device.read(last ? length - start : kChunk);
        const qsizetype i = chunk.indexOf("ID3");
        if (i >= 0)
            return start + i + 3;
        // No tag comes after the first MPEG-1 Layer III frame.
        if (last || chunk.contains("\xFF\xFB"))
            return -1;
    }
    return -1;
}

void cMP3ID3v2::readFrames(QIODevice &device, qint64 versionOffset) {
    if (!device.seek(versionOffset))
        return;
    const QByteArray head = device.read(7);
    if (head.isEmpty())
        return;
    majorVersion_ = uchar(head[0]);
    if (majorVersion_ < 2 || majorVersion_ > 4 || head.size() < 7)
        return;
    const qint64 tagSize = synchSafe(reinterpret_cast<const uchar *>(head.constData()) + 3);
    const qint64 lastByte = versionOffset + 6 + tagSize;
    const int headerSize = majorVersion_ == 2 ? 6 : 10;
    const int idSize = majorVersion_ == 2 ? 3 : 4;
    qint64 consumed = 0;
    for (;;) {
        const QByteArray header = device.read(headerSize);
        if (header.size() < headerSize)
            return; // the file ends inside the tag
        consumed += headerSize;
        const QByteArray id = header.left(idSize);
        if (id.count('\0') == idSize)
            return; // padding
        const auto *p = reinterpret_cast<const uchar *>(header.constData()) + idSize;
        qint64 frameSize = 0;
        if (majorVersion_ == 2)
            frameSize = qint64(p[0]) << 16 | qint64(p[1]) << 8 | p[2];
        else if (majorVersion_ == 3)
            frameSize = qint64(p[0]) << 24 | qint64(p[1]) << 16 | qint64(p[2]) << 8 | p[3];
        else
            frameSize = synchSafe(p);
        if (consumed + frameSize > tagSize || frameSize > device.size() - device.pos())
            return;
        const QByteArray data = device.read(frameSize);
        if (data.size() < frameSize)
            return;
        consumed += frameSize;
        const QString frameId = majorVersion_ == 2 ? convertV22FrameID(id) : QString::fromLatin1(id);
        storeFrame(frameId, frameValue(frameId, data));
        if (device.pos() > lastByte)
            return;
    }
}

} // namespace import
