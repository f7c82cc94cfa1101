#include "import/ModM4ATags.h"

#include "core/mCommon.h"
#include "import/GenreTable.h"

#include <QFile>

#include <mutex>

namespace import::ModM4ATags {

namespace {

// ID3v1 genres 0-79 and their common extension 80-147, spelled as the catalogue has always
// stored them (45 keeps its trailing blank).
constexpr const char *kGenres[148] = {
    "Blues", "Classic Rock", "Country", "Dance", "Disco", "Funk", "Grunge", "Hip-Hop", "Jazz", "Metal",
    "New Age", "Oldies", "Other", "Pop", "R&B", "Rap", "Reggae", "Rock", "Techno", "Industrial",
    "Alternative", "Ska", "Death Metal", "Pranks", "Soundtrack", "Euro-Techno", "Ambient", "Trip-Hop",
    "Vocal", "Jazz+Funk", "Fusion", "Trance", "Classical", "Instrumental", "Acid", "House", "Game",
    "Sound Clip", "Gospel", "Noise", "AlternRock", "Bass", "Soul", "Punk", "Space", "Meditative ",
    "Instrumental Pop", "Instrumental Rock", "Ethnic", "Gothic", "Darkwave", "Techno-Industrial",
    "Electronic", "Pop-Folk", "Eurodance", "Dream", "Southern Rock", "Comedy", "Cult", "Gangsta Rap",
    "Top 40", "Christian Rap", "Pop / Funk", "Jungle", "Native American", "Cabaret", "New Wave",
    "Psychedelic", "Rave", "Showtunes", "Trailer", "Lo-Fi", "Tribal", "Acid Punk", "Acid Jazz", "Polka",
    "Retro", "Musical", "Rock & Roll", "Hard Rock", "Folk", "Folk-Rock", "National Folk", "Swing",
    "Fast Fusion", "Bebob", "Latin", "Revival", "Celtic", "Bluegrass", "Avantgarde", "Gothic Rock",
    "Progressive Rock", "Psychedelic Rock", "Symphonic Rock", "Slow Rock", "Big Band", "Chorus",
    "Easy Listening", "Acoustic", "Humour", "Speech", "Chanson", "Opera", "Chamber Music", "Sonata",
    "Symphony", "Booty Bass", "Primus", "Porn Groove", "Satire", "Slow Jam", "Club", "Tango", "Samba",
    "Folklore", "Ballad", "Power Ballad", "Rhythmic Soul", "Freestyle", "Duet", "Punk Rock", "Drum Solo",
    "A Cappella", "Euro-House", "Dance Hall", "Goa", "Drum & Bass", "Club-House", "Hardcore", "Terror",
    "Indie", "BritPop", "Negerpunk", "Polsk Punk", "Beat", "Christian Gangsta Rap", "Heavy Metal",
    "Black Metal", "Crossover", "Contemporary Christian", "Christian Rock", "Merengue", "Salsa",
    "Thrash Metal", "Anime", "JPop", "Synthpop"};

bool readBytes(QIODevice &f, qint64 n, qint64 end, QByteArray &out) {
    if (n < 0 || f.pos() + n > end)
        return false;
    out = f.read(n);
    return out.size() == n;
}

// Reads an atom header (and `extra` bytes behind it) whose atom is then entered, not skipped.
// Gives the end of the atom, or -1 when it cannot be entered.
qint64 enter(QIODevice &f, qint64 parentEnd, int extra, QByteArray *type = nullptr) {
    const qint64 start = f.pos();
    QByteArray header;
    if (!readBytes(f, 8 + extra, parentEnd, header))
        return -1;
    const qint64 size = HexBytesToLong(QByteArrayView(header).first(4)) & 0xFFFFFFFFLL;
    if (size < 8 + extra || start + size > parentEnd)
        return -1;
    if (type)
        *type = header.mid(4, 4);
    return start + size;
}

bool skipAtom(QIODevice &f, qint64 end) {
    QByteArray data, type;
    qint64 size = 0;
    return ReadAtom(f, end, data, size, type, 4);
}

QString valueOf(const QByteArray &data) { return QString::fromUtf8(data.mid(20)); }

} // namespace

void LoadGenreTable() {
    // Filled once and only read afterwards: the import reads the tags of several files at the
    // same time, and a table written while another thread looks a name up would break.
    static std::once_flag filled;
    std::call_once(filled, [] {
        GenreTable &table = GenreTable::instance();
        for (int i = 0; i < 148; ++i)
            table.set(QString::number(i), QString::fromLatin1(kGenres[i]));
    });
}

qint32 HexBytesToLong(QByteArrayView bytes) {
    if (bytes.isEmpty() || bytes.size() > 4)
        return 0;
    quint32 v = 0;
    for (char c : bytes)
        v = v << 8 | uchar(c);
    return qint32(v);
}

bool ReadAtom(QIODevice &file, qint64 end, QByteArray &Data, qint64 &Size, QByteArray &Type, qint64 maxData) {
    end = std::min(end, file.size());
    const qint64 start = file.pos();
    QByteArray sizeBytes;
    if (!readBytes(file, 4, end, sizeBytes))
        return false;
    const qint64 size = HexBytesToLong(sizeBytes) & 0xFFFFFFFFLL;
    if (size < 8 || start + size > end) {
        file.seek(start);
        return false;
    }
    QByteArray data;
    if (!readBytes(file, std::min(size - 4, std::max<qint64>(maxData, 4)), end, data) ||
        !file.seek(start + size)) {
        file.seek(start);
        return false;
    }
    Size = size;
    Type = data.left(4);
    Data = std::move(data);
    return true;
}

Mp4Tags readMp4Tags(QIODevice &f) {
    Mp4Tags t;
    if (!f.isOpen() || !f.seek(0))
        return t;
    const qint64 fileEnd = f.size();
    // The fixed path to the item list.
    if (!skipAtom(f, fileEnd)) // ftyp
        return t;
    const qint64 moovEnd = enter(f, fileEnd, 0);
    if (moovEnd < 0 || !skipAtom(f, moovEnd) || !skipAtom(f, moovEnd)) // mvhd, trak
        return t;
    const qint64 udtaEnd = enter(f, moovEnd, 0);
    const qint64 metaEnd = udtaEnd < 0 ? -1 : enter(f, udtaEnd, 4);
    if (metaEnd < 0 || !skipAtom(f, metaEnd)) // hdlr
        return t;
    QByteArray type;
    const qint64 ilstEnd = enter(f, metaEnd, 0, &type);
    if (ilstEnd < 0 || type != "ilst")
        return t;
    t.ilstFound = true;

    QByteArray data;
    qint64 size = 0;
    int counted = 0;
    while (counted != 6 && ReadAtom(f, ilstEnd, data, size, type)) {
        if (type == "free" || type == "mdat")
            break;
        if (type == "\xA9nam") {
            if (atOrBelowBlank(mCommon::TrimBlanks(t.songName))) {
                t.songName = valueOf(data);
                ++counted;
            }
        } else if (type == "\xA9" "ART") {
            if (atOrBelowBlank(mCommon::TrimBlanks(t.artist))) {
                t.artist = valueOf(data);
                ++counted;
            }
        } else if (type == "\xA9" "alb") {
            t.album = valueOf(data);
        } else if (type == "gnre") {
            // Only the low byte of the 16-bit code counts; the table is keyed from 0.
            if (data.size() > 21)
                t.genre = GenreTable::instance().value(QString::number(HexBytesToLong(data.mid(21, 1)) - 1));
            ++counted;
        } else if (type == "\xA9gen") {
            t.genre = valueOf(data);
            ++counted;
        } else if (type == "\xA9" "day") {
            t.year = firstChars(valueOf(data), 10);
            ++counted;
        } else if (type == "\xA9wrt") {
            t.composer = valueOf(data);
            ++counted;
        }
    }
    return t;
}

Mp4Tags readMp4Tags(const QString &path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return readMp4Tags(f);
}

SongFields mp4AtomFields(const Mp4Tags &t, const QString &fileName) {
    SongFields f;
    f.SongName = firstChars(t.songName, 255);
    f.Artist = firstChars(t.artist, 255);
    f.AlbumName = firstChars(t.album, 255);
    f.Genre = firstChars(t.genre, 255);
    f.Composer = firstChars(t.composer, 255);
    f.Year = firstChars(t.year, 10);
    if (atOrBelowBlank(*f.Artist))
        f.Artist = QStringLiteral("Unknown");
    if (atOrBelowBlank(*f.SongName))
        f.SongName = fileName;
    return f;
}

SongFields mp4AtomFields(const QString &filePath, const QString &fileName) {
    LoadGenreTable();
    return mp4AtomFields(readMp4Tags(filePath), fileName);
}

} // namespace import::ModM4ATags
