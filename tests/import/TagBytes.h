#pragma once
// Builders for the byte layouts the readers parse: ID3v2 tags and frames, MP4 atoms, FLAC
// metadata blocks and Ogg pages. Header-only, so the sanitizer build can share it.
#include <QByteArray>
#include <QString>
#include <QStringList>

#include <initializer_list>
#include <utility>

namespace tagbytes {

inline QByteArray be32(quint32 v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (24 - 8 * i));
    return b;
}
inline QByteArray le32(quint32 v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char(v >> (8 * i));
    return b;
}
inline QByteArray synchSafe(quint32 v) {
    QByteArray b(4, '\0');
    for (int i = 0; i < 4; ++i)
        b[i] = char((v >> (21 - 7 * i)) & 0x7F);
    return b;
}

// --- ID3v2 ---
// A frame of version 3 or 4 (the size written plain or synch-safe) or 2 (3-character id).
inline QByteArray id3Frame(int version, const QByteArray &id, const QByteArray &body) {
    if (version == 2) {
        const auto n = quint32(body.size());
        return id + QByteArray(1, char(n >> 16)) + char(n >> 8) + char(n) + body;
    }
    return id + (version == 4 ? synchSafe(quint32(body.size())) : be32(quint32(body.size()))) +
           QByteArray(2, '\0') + body;
}
inline QByteArray id3Tag(int version, const QByteArray &frames, int padding = 0) {
    const QByteArray content = frames + QByteArray(padding, '\0');
    return QByteArray("ID3") + char(version) + '\0' + '\0' + synchSafe(quint32(content.size())) + content;
}
// A text frame body: encoding byte then the text.
inline QByteArray latin1Text(const QString &s) { return QByteArray(1, '\0') + s.toLatin1(); }
inline QByteArray utf8Text(const QString &s) { return QByteArray(1, '\3') + s.toUtf8(); }
inline QByteArray utf16Bytes(const QString &s, bool bigEndian, bool bom) {
    QByteArray out;
    if (bom)
        out += bigEndian ? QByteArray("\xFE\xFF") : QByteArray("\xFF\xFE");
    for (QChar c : s) {
        const char16_t u = c.unicode();
        out += bigEndian ? QByteArray(1, char(u >> 8)) + char(u & 0xFF) : QByteArray(1, char(u & 0xFF)) + char(u >> 8);
    }
    return out;
}
// A COMM body: encoding, language, description, terminator, text.
inline QByteArray commBody(int encoding, const QByteArray &lang, const QString &description, const QString &text) {
    QByteArray b(1, char(encoding));
    b += lang;
    if (encoding == 1)
        b += utf16Bytes(description, false, true) + QByteArray(2, '\0') + utf16Bytes(text, false, true);
    else if (encoding == 3)
        b += description.toUtf8() + '\0' + text.toUtf8();
    else
        b += description.toLatin1() + '\0' + text.toLatin1();
    return b;
}

// --- MP4 ---
inline QByteArray atom(const QByteArray &type, const QByteArray &content) {
    return be32(quint32(8 + content.size())) + type + content;
}
// An ilst item holding a data atom with a UTF-8 value (or raw bytes).
inline QByteArray item(const QByteArray &type, const QByteArray &value, quint32 dataType = 1) {
    return atom(type, atom("data", be32(dataType) + be32(0) + value));
}
inline QByteArray textItem(const QByteArray &type, const QString &value) { return item(type, value.toUtf8()); }
inline QByteArray gnreItem(int code) { return item("gnre", QByteArray(1, char(code >> 8)) + char(code & 0xFF), 0); }
// ftyp, moov(mvhd, trak, udta(meta(hdlr, ilst(items)))), then whatever follows the ilst inside
// meta, then mdat: the one layout the fixed atom path expects.
inline QByteArray m4aFile(const QByteArray &items, const QByteArray &afterIlst = {}) {
    const QByteArray meta = atom("meta", QByteArray(4, '\0') + atom("hdlr", QByteArray(25, '\0')) +
                                             atom("ilst", items) + afterIlst);
    const QByteArray moov = atom("moov", atom("mvhd", QByteArray(100, '\0')) +
                                             atom("trak", atom("tkhd", QByteArray(84, '\0'))) + atom("udta", meta));
    return atom("ftyp", QByteArray("M4A ") + be32(0)) + moov + atom("mdat", QByteArray(64, '\x55'));
}

// --- Vorbis comments, FLAC, Ogg ---
inline QByteArray commentList(const QList<QByteArray> &entries, const QByteArray &vendor = "test vendor") {
    QByteArray b = le32(quint32(vendor.size())) + vendor + le32(quint32(entries.size()));
    for (const QByteArray &e : entries)
        b += le32(quint32(e.size())) + e;
    return b;
}
inline QByteArray flacBlock(int type, const QByteArray &body, bool last = false) {
    const auto n = quint32(body.size());
    return QByteArray(1, char(type | (last ? 0x80 : 0))) + char(n >> 16) + char(n >> 8) + char(n) + body;
}
// "fLaC", STREAMINFO, the given blocks (the last one marked last), then some frame bytes.
inline QByteArray flacFile(const QList<QByteArray> &blocks) {
    QByteArray f = "fLaC";
    f += flacBlock(0, QByteArray(34, '\0'), blocks.isEmpty());
    for (int i = 0; i < blocks.size(); ++i) {
        QByteArray b = blocks[i];
        if (i == blocks.size() - 1)
            b[0] = char(uchar(b[0]) | 0x80);
        f += b;
    }
    return f + QByteArray(32, '\xFF');
}
// Ogg pages of one logical stream carrying the given packets, each page holding at most
// `maxSegments` lacing values, so a long packet runs across pages.
inline QByteArray oggStream(const QList<QByteArray> &packets, quint32 serial = 0x1234, int maxSegments = 255) {
    QList<std::pair<int, QByteArray>> segments; // lacing value, bytes
    for (const QByteArray &p : packets) {
        qsizetype at = 0;
        for (;;) {
            const int len = int(std::min<qsizetype>(255, p.size() - at));
            segments.append({len, p.mid(at, len)});
            at += len;
            if (len < 255)
                break;
        }
    }
    QByteArray out;
    quint32 sequence = 0;
    for (qsizetype s = 0; s < segments.size();) {
        const qsizetype n = std::min<qsizetype>(maxSegments, segments.size() - s);
        QByteArray table, body;
        for (qsizetype k = s; k < s + n; ++k) {
            table += char(segments[k].first);
            body += segments[k].second;
        }
        out += QByteArray("OggS") + '\0' + char(s == 0 ? 2 : 0) + QByteArray(8, '\0') + le32(serial) +
               le32(sequence++) + le32(0) + char(n) + table + body;
        s += n;
    }
    return out;
}
inline QByteArray vorbisIdPacket() { return QByteArray("\x01vorbis") + QByteArray(23, '\0'); }
inline QByteArray vorbisCommentPacket(const QList<QByteArray> &entries) {
    return QByteArray("\x03vorbis") + commentList(entries) + '\1';
}

} // namespace tagbytes
