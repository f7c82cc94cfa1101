#include "import/Module1.h"

#include <QFile>

namespace import::Module1 {

namespace {

// Reads from a device, never more than MaxVorbisBytes in all and never past its end.
class BudgetReader {
public:
    explicit BudgetReader(QIODevice &device) : device_(device) {}

    // Up to n bytes; fewer at the end of the device or of the budget.
    QByteArray read(qint64 n) {
        n = std::min(n, left_);
        if (n <= 0)
            return {};
        const qint64 available = device_.size() - device_.pos();
        QByteArray bytes = device_.read(std::min(n, std::max<qint64>(available, 0)));
        left_ -= bytes.size();
        return bytes;
    }
    // Moves forward without reading; false when that passes the end of the device.
    bool skip(qint64 n) {
        const qint64 to = device_.pos() + n;
        return n >= 0 && to <= device_.size() && device_.seek(to);
    }
    bool exhausted() const { return left_ <= 0; }

private:
    QIODevice &device_;
    qint64 left_ = MaxVorbisBytes;
};

quint32 bigEndian24(const QByteArray &b, int at) {
    return quint32(uchar(b[at])) << 16 | quint32(uchar(b[at + 1])) << 8 | uchar(b[at + 2]);
}

VorbisComments readFlac(BudgetReader &in, QByteArray magic) {
    if (magic.startsWith("ID3")) {
        // An ID3v2 tag some encoders put in front of the stream.
        const QByteArray rest = in.read(6);
        if (rest.size() < 6)
            return {};
        const auto *p = reinterpret_cast<const uchar *>(rest.constData());
        qint64 size = qint64(p[2] & 0x7F) << 21 | qint64(p[3] & 0x7F) << 14 | qint64(p[4] & 0x7F) << 7 | (p[5] & 0x7F);
        if (p[1] & 0x10)
            size += 10;
        if (!in.skip(size))
            return {};
        magic = in.read(4);
    }
    if (magic != "fLaC")
        return {};
    for (;;) {
        const QByteArray header = in.read(4);
        if (header.size() < 4)
            return {};
        const int type = uchar(header[0]) & 0x7F;
        const bool last = uchar(header[0]) & 0x80;
        const quint32 length = bigEndian24(header, 1);
        if (type == 4) // VORBIS_COMMENT
            return parseCommentList(in.read(length));
        if (last || type == 127 || !in.skip(length))
            return {};
    }
}

VorbisComments readOgg(BudgetReader &in, QByteArray first4) {
    bool haveSerial = false;
    qint32 serial = 0;
    int packetIndex = 0;
    bool opus = false;
    QByteArray packet;
    QByteArray header = std::move(first4);
    const auto commentsOf = [&opus](const QByteArray &p) -> VorbisComments {
        if (opus)
            return p.startsWith("OpusTags") ? parseCommentList(p, 8) : VorbisComments{};
        return p.startsWith("\x03vorbis") ? parseCommentList(p, 7) : VorbisComments{};
    };
    for (;;) {
        header += in.read(27 - header.size());
        if (header.size() < 27 || !header.startsWith("OggS"))
            break;
        const int segments = uchar(header[26]);
        const qint32 pageSerial = LittleEndianToLong(QByteArrayView(header).sliced(14, 4));
        header.clear();
        const QByteArray table = in.read(segments);
        if (table.size() < segments)
            break;
        qint64 bodySize = 0;
        for (char s : table)
            bodySize += uchar(s);
        if (!haveSerial) {
            haveSerial = true;
            serial = pageSerial;
        }
        if (pageSerial != serial) { // a page of another logical stream
            if (!in.skip(bodySize))
                break;
            continue;
        }
        const QByteArray body = in.read(bodySize);
        qsizetype at = 0;
        for (char s : table) {
            const int len = uchar(s);
            packet += body.mid(at, len);
            at += len;
            if (at > body.size())
                break; // cut off: the packet stays incomplete
            if (len == 255)
                continue;
            if (packetIndex == 0) {
                if (packet.startsWith("OpusHead"))
                    opus = true;
                else if (!packet.startsWith("\x01vorbis"))
                    return {};
            } else {
                return commentsOf(packet);
            }
            ++packetIndex;
            packet.clear();
        }
        if (body.size() < bodySize || in.exhausted())
            break;
    }
    // The comment packet was cut off: the comments that arrived whole still count.
    return packetIndex == 1 ? commentsOf(packet) : VorbisComments{};
}

} // namespace

qint32 LittleEndianToLong(QByteArrayView bytes) {
    if (bytes.size() < 4)
        return 0;
    const auto *p = reinterpret_cast<const uchar *>(bytes.data());
    return qint32(quint32(p[0]) | quint32(p[1]) << 8 | quint32(p[2]) << 16 | quint32(p[3]) << 24);
}

VorbisComments parseCommentList(QByteArrayView data, qsizetype offset) {
    VorbisComments out;
    qsizetype pos = offset;
    const auto left = [&] { return data.size() - pos; };
    if (pos < 0 || left() < 4)
        return out;
    const qint32 vendor = LittleEndianToLong(data.sliced(pos, 4));
    pos += 4;
    if (vendor < 0 || vendor > left() - 4)
        return out;
    pos += vendor;
    const auto count = quint32(LittleEndianToLong(data.sliced(pos, 4)));
    pos += 4;
    // Every entry takes at least its four length bytes, so the bytes left bound the loop
    // whatever the count says.
    for (quint32 i = 0; i < count && left() >= 4; ++i) {
        const qint32 len = LittleEndianToLong(data.sliced(pos, 4));
        pos += 4;
        if (len < 0 || len > left())
            break;
        const QByteArrayView entry = data.sliced(pos, len);
        pos += len;
        const qsizetype eq = entry.indexOf('=');
        if (eq <= 0)
            continue;
        out.emplace_back(QString::fromLatin1(entry.first(eq)), QString::fromUtf8(entry.sliced(eq + 1)));
    }
    return out;
}

VorbisComments readVorbisComments(QIODevice &device) {
    if (!device.isOpen() || !device.seek(0))
        return {};
    BudgetReader in(device);
    const QByteArray magic = in.read(4);
    if (magic == "OggS")
        return readOgg(in, magic);
    return readFlac(in, magic);
}

VorbisComments readVorbisComments(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return readVorbisComments(f);
}

QString GetVorbisComment(const VorbisComments &comments, const QString &name) {
    const QString wanted = name.endsWith(QLatin1Char('=')) ? name.chopped(1) : name;
    for (const auto &[n, value] : comments)
        if (n.compare(wanted, Qt::CaseInsensitive) == 0)
            return value;
    return {};
}

SongFields vorbisCommentFields(const VorbisComments &comments, const QString &fileName) {
    SongFields f;
    const auto get = [&comments](const char *name) { return GetVorbisComment(comments, QLatin1String(name)); };
    const QString artist = firstChars(get("ARTIST"), 255);
    f.Artist = atOrBelowBlank(artist) ? QStringLiteral("Unknown") : artist;
    const QString title = firstChars(get("TITLE"), 255);
    f.SongName = atOrBelowBlank(title) ? fileName : title;
    f.AlbumName = firstChars(get("ALBUM"), 255);
    f.Year = firstChars(get("DATE"), 10);
    f.Genre = firstChars(get("GENRE"), 255);
    f.Composer = firstChars(get("COMPOSER"), 255);
    f.TrackText = firstChars(get("TRACKNUMBER"), 10);
    f.TrackNum = numericValue(*f.TrackText);
    f.Notes = get("COMMENT");
    return f;
}

SongFields vorbisCommentFields(const QString &filePath, const QString &fileName) {
    return vorbisCommentFields(readVorbisComments(filePath), fileName);
}

} // namespace import::Module1
