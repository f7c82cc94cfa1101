// Every tag reader meets thousands of damaged files: the fixtures and built layouts cut short,
// with bytes flipped, with sizes made huge or tiny, plus empty, zero and random files. Each read
// must return, and what it returns must fit in the bytes it was given. This file is also built
// alone with AddressSanitizer and UndefinedBehaviorSanitizer (tests.cmake), so it uses no
// fixture class and nothing but the readers.
#include "common/TestRng.h"
#include "import/ModM4ATags.h"
#include "import/Module1.h"
#include "import/TagBytes.h"
#include "import/cMP3ID3v2.h"
#include "platform/shell/AdtsStream.h"
#include "platform/shell/ShellItem.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace tagbytes;

namespace {

using testenv::Rng;

QByteArray mutate(QByteArray b, Rng &r) {
    if (b.isEmpty())
        return b;
    const auto pos = [&] { return qsizetype(r.below(quint32(b.size()))); };
    switch (r.below(6)) {
    case 0: // cut short
        b.truncate(pos());
        break;
    case 1: // flip a few bytes
        for (quint32 i = 0, n = 1 + r.below(8); i < n; ++i)
            b[pos()] = char(b[pos()] ^ char(1 + r.below(255)));
        break;
    case 2: { // a huge 32-bit value where a size may lie
        static const quint32 huge[] = {0xFFFFFFFFu, 0x7FFFFFFFu, 0x80000000u, 0x7F7F7F7Fu, 0x00FFFFFFu, 0x10000000u};
        const QByteArray v = r.below(2) ? be32(huge[r.below(6)]) : le32(huge[r.below(6)]);
        const qsizetype at = pos();
        b.replace(at, std::min<qsizetype>(4, b.size() - at), v);
        break;
    }
    case 3: { // a tiny size
        const qsizetype at = pos();
        b.replace(at, std::min<qsizetype>(4, b.size() - at), be32(r.below(9)));
        break;
    }
    case 4: { // zero a stretch
        const qsizetype at = pos();
        const qsizetype n = std::min<qsizetype>(1 + r.below(64), b.size() - at);
        b.replace(at, n, QByteArray(n, '\0'));
        break;
    }
    default: { // repeat a stretch somewhere else
        const qsizetype at = pos();
        b.insert(pos(), b.mid(at, 1 + r.below(32)));
        break;
    }
    }
    return b;
}

void feedEveryReader(QByteArray bytes) {
    QBuffer buffer(&bytes);
    ASSERT_TRUE(buffer.open(QIODevice::ReadOnly));

    const auto comments = import::Module1::readVorbisComments(buffer);
    qsizetype text = 0;
    for (const auto &[name, value] : comments)
        text += name.size() + value.size();
    ASSERT_LE(text, bytes.size());
    import::Module1::vorbisCommentFields(comments, "f.flac");
    import::Module1::parseCommentList(bytes);
    import::Module1::parseCommentList(bytes, 7);

    const auto atoms = import::ModM4ATags::readMp4Tags(buffer);
    ASSERT_LE(atoms.songName.size() + atoms.artist.size() + atoms.album.size(), 3 * bytes.size());
    import::ModM4ATags::mp4AtomFields(atoms, "f.m4a");

    import::cMP3ID3v2 tag;
    tag.readTag(buffer);
    ASSERT_LE(tag.FrameCount(), bytes.size() / 6 + 1);
    for (int i = 1; i <= std::min(tag.FrameCount(), 50); ++i)
        tag.TagsInFrame(tag.Frame(i));

    buffer.seek(0);
    const platform::shell::AdtsProperties adts = platform::shell::readAdtsProperties(buffer);
    ASSERT_GE(adts.milliseconds, 0);
    ASSERT_GE(adts.kbps, 0);
}

// The TagLib wrapper reads files by name, and picks its reader by the name's extension.
void feedTagLibWrapper(const QTemporaryDir &dir, const QByteArray &bytes, const QString &extension) {
    const QString path = dir.filePath(QStringLiteral("mutated") + extension);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(bytes);
    }
    const platform::shell::TagTexts t = platform::shell::readTagTexts(path);
    for (const QString *text : {&t.title, &t.artist, &t.album, &t.genre, &t.comment, &t.composer, &t.bpm})
        ASSERT_LE(text->size(), bytes.size());
    ASSERT_TRUE(t.duration.isEmpty() || t.duration.size() == 8);
}

// The extension a seed is read as: its file's own, or the one its first bytes stand for.
QString extensionOf(const QByteArray &seed, const QString &fileName) {
    if (!fileName.isEmpty())
        return fileName.mid(fileName.lastIndexOf(QLatin1Char('.')));
    if (seed.startsWith("fLaC"))
        return QStringLiteral(".flac");
    if (seed.startsWith("OggS"))
        return QStringLiteral(".ogg");
    if (seed.mid(4, 4) == "ftyp")
        return QStringLiteral(".m4a");
    return QStringLiteral(".mp3");
}

QList<QByteArray> seeds(QStringList *names = nullptr) {
    QList<QByteArray> out;
    const QDir dir(QStringLiteral(ORVALIS_TEST_DATA_DIR));
    for (const QString &name : dir.entryList(QDir::Files)) {
        if (name.endsWith(QLatin1String(".sh")))
            continue;
        QFile f(dir.filePath(name));
        if (f.open(QIODevice::ReadOnly)) {
            out << f.readAll();
            if (names)
                names->append(name);
        }
    }
    out << id3Tag(2, id3Frame(2, "TT2", latin1Text("t")) + id3Frame(2, "COM", commBody(0, "eng", "d", "c")))
        << id3Tag(3, id3Frame(3, "TIT2", QByteArray(1, '\1') + utf16Bytes("abc", false, true)) +
                         id3Frame(3, "COMM", commBody(1, "eng", "d", "c")), 16)
        << id3Tag(4, id3Frame(4, "TIT2", utf8Text("t")) + id3Frame(4, "TPE1", QByteArray(1, '\2') + utf16Bytes("a", true, false)))
        << m4aFile(textItem("\xA9nam", "n") + gnreItem(18) + textItem("\xA9" "day", "2000"))
        << flacFile({flacBlock(6, QByteArray(40, '\1')), flacBlock(4, commentList({"TITLE=t", "ARTIST=a"}))})
        << oggStream({vorbisIdPacket(), vorbisCommentPacket({"TITLE=" + QByteArray(600, 't'), "ARTIST=a"})}, 7, 2);
    return out;
}

} // namespace

TEST(ReaderRobustness, MutatedFilesNeverBreakAReader) {
    const QList<QByteArray> inputs = seeds();
    ASSERT_GE(inputs.size(), 20);
    Rng rng(20240607);
    int fed = 0;
    for (const QByteArray &seed : inputs) {
        for (int i = 0; i < 1000; ++i) {
            QByteArray b = mutate(seed, rng);
            if (i % 3 == 0)
                b = mutate(b, rng); // two faults at once
            feedEveryReader(b);
            ++fed;
            if (HasFatalFailure())
                return;
        }
    }
    EXPECT_GE(fed, 20000);
}

TEST(ReaderRobustness, EmptyZeroAndRandomFiles) {
    Rng rng(7);
    for (int size : {0, 1, 3, 4, 7, 8, 10, 27, 100, 4096, 4099, 70000}) {
        feedEveryReader(QByteArray(size, '\0'));
        QByteArray random(size, '\0');
        for (char &c : random)
            c = char(rng.next());
        feedEveryReader(random);
        // Each format's magic in front of noise.
        for (const QByteArray &magic : {QByteArray("ID3\x03"), QByteArray("ID3\x04"), QByteArray("fLaC"),
                                        QByteArray("OggS"), be32(16) + "ftyp"})
            feedEveryReader(magic + random);
    }
}

TEST(ReaderRobustness, ClaimedSizesFarBeyondTheFileAreNotAllocated) {
    // Headers that claim up to four gigabytes on a file of a few bytes: each reader must stop
    // at the end of what is there.
    feedEveryReader(QByteArray("fLaC\x84\xFF\xFF\xFF", 8) + QByteArray(8, 'x'));
    feedEveryReader(QByteArray("ID3\x03\0\0\x7F\x7F\x7F\x7F", 10) + "TIT2" + be32(0xFFFFFFF0) + QByteArray(10, 'x'));
    feedEveryReader(be32(16) + "ftyp" + QByteArray(8, '\0') + be32(0xFFFFFFFF) + "moov");
    feedEveryReader(oggStream({vorbisIdPacket()}) + "OggS" + QByteArray(22, '\0') + char(255) + QByteArray(255, '\xFF'));
}

TEST(ReaderRobustness, MutatedFilesNeverBreakTheTagLibWrapper) {
    // Fewer rounds than the in-memory readers: every read goes through a file.
    QStringList names;
    const QList<QByteArray> inputs = seeds(&names);
    ASSERT_GE(inputs.size(), 20);
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    Rng rng(977);
    int fed = 0;
    for (qsizetype s = 0; s < inputs.size(); ++s) {
        const QString extension = extensionOf(inputs[s], names.value(s));
        for (int i = 0; i < 30; ++i) {
            const QByteArray b = mutate(inputs[s], rng);
            feedTagLibWrapper(dir, b, extension);
            if (i % 4 == 0)
                feedTagLibWrapper(dir, b, QStringLiteral(".aac"));  // the ADTS road of the wrapper
            ++fed;
            if (HasFatalFailure())
                return;
        }
    }
    for (const char *extension : {".mp3", ".flac", ".ogg", ".m4a", ".wma", ".wav", ".aac", ".mp4"})
        feedTagLibWrapper(dir, QByteArray(), QString::fromLatin1(extension));
    EXPECT_GE(fed, 600);
}
