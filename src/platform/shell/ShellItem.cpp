#include "platform/shell/ShellItem.h"

#include "platform/shell/AdtsStream.h"

#include <QFile>
#include <QMimeDatabase>

#include <taglib/audioproperties.h>
#include <taglib/fileref.h>
#include <taglib/mpegfile.h>
#include <taglib/tag.h>
#include <taglib/tpropertymap.h>
#include <taglib/wavfile.h>

namespace platform::shell {

namespace {

QString toQString(const TagLib::String &s) { return QString::fromStdString(s.to8Bit(true)); }

QString firstProperty(const TagLib::PropertyMap &map, const char *key) {
    const auto it = map.find(key);
    return it == map.end() || it->second.isEmpty() ? QString() : toQString(it->second.front());
}

void readTag(const TagLib::Tag &tag, TagTexts &t) {
    t.title = toQString(tag.title());
    t.artist = toQString(tag.artist());
    t.album = toQString(tag.album());
    t.genre = toQString(tag.genre());
    t.comment = toQString(tag.comment());
    t.year = tag.year() > 0 ? QString::number(tag.year()) : QString();
    t.track = tag.track() > 0 ? QString::number(tag.track()) : QString();
}

void readTags(TagLib::File &file, TagTexts &t) {
    if (const TagLib::Tag *tag = file.tag())
        readTag(*tag, t);
    // A WAV file's tag is its ID3v2 chunk; most rippers write a RIFF INFO chunk instead, which
    // is read when there is no ID3v2 chunk.
    if (const auto *wav = dynamic_cast<const TagLib::RIFF::WAV::File *>(&file))
        if (!wav->hasID3v2Tag() && wav->hasInfoTag())
            readTag(*wav->InfoTag(), t);
    const TagLib::PropertyMap props = file.properties();
    t.composer = firstProperty(props, "COMPOSER");
    t.bpm = firstProperty(props, "BPM");
}

void readAudio(const TagLib::AudioProperties *audio, TagTexts &t) {
    if (!audio)
        return;
    // A file whose length cannot be measured (empty, undecodable) has no length, not a zero one.
    if (audio->lengthInMilliseconds() > 0)
        t.duration = durationText(audio->lengthInSeconds());
    t.bitRate = bitRateText(audio->bitrate());
}

} // namespace

TagTexts readTagTexts(const QString &path) {
    TagTexts t;
    const QByteArray name = QFile::encodeName(path);
    try {
        if (path.endsWith(QLatin1String(".aac"), Qt::CaseInsensitive)) {
            // TagLib has no ADTS reader: its MPEG reader finds the ID3v2 tag in front of the
            // stream, and the frame headers give length and bit rate.
            TagLib::MPEG::File file(name.constData(), false);
            if (file.isValid())
                readTags(file, t);
            QFile f(path);
            if (f.open(QIODevice::ReadOnly)) {
                const AdtsProperties adts = readAdtsProperties(f);
                if (adts.valid && adts.milliseconds > 0) {
                    t.duration = durationText(adts.milliseconds / 1000);
                    t.bitRate = bitRateText(adts.kbps);
                }
            }
            return t;
        }
        TagLib::FileRef ref(name.constData(), true, TagLib::AudioProperties::Average);
        if (ref.isNull())
            return t;
        readTags(*ref.file(), t);
        readAudio(ref.audioProperties(), t);
    } catch (...) {
        // A file TagLib chokes on gives what was read before; the import goes on.
    }
    return t;
}

ShellItem::ShellItem(QFileInfo info) : info_(std::move(info)) {}
ShellItem::ShellItem(ShellItem &&) noexcept = default;
ShellItem &ShellItem::operator=(ShellItem &&) noexcept = default;
ShellItem::~ShellItem() = default;

const TagTexts &ShellItem::tags() const {
    if (!tags_)
        tags_ = std::make_unique<TagTexts>(isFolder() ? TagTexts{} : readTagTexts(path()));
    return *tags_;
}

QString ShellItem::detail(Detail d) const {
    switch (d) {
    case Detail::None:
        return {};
    case Detail::Name:
        return name();
    case Detail::Size:
        return isFolder() ? QString() : sizeText(info_.size());
    case Detail::Type: {
        if (isFolder())
            return QStringLiteral("File folder");
        static const QMimeDatabase db;
        return db.mimeTypeForFile(info_, QMimeDatabase::MatchExtension).comment();
    }
    case Detail::Attributes: {
        // Letters in the order the attributes column shows them; "D" marks a folder, which
        // is how the import tells folders from files. Read-only means no write bit at all
        // (the mode bits of the listing; asking the system for access would cost a call).
        QString a;
        constexpr auto anyWrite = QFileDevice::WriteOwner | QFileDevice::WriteGroup | QFileDevice::WriteOther;
        if (!(info_.permissions() & anyWrite))
            a += QLatin1Char('R');
        if (info_.isHidden())
            a += QLatin1Char('H');
        if (isFolder())
            a += QLatin1Char('D');
        return a;
    }
    case Detail::Title:
        return tags().title;
    case Detail::Artist:
        return tags().artist;
    case Detail::Composer:
        return tags().composer;
    case Detail::Album:
        return tags().album;
    case Detail::Genre:
        return tags().genre;
    case Detail::Year:
        return tags().year;
    case Detail::Comment:
        return tags().comment;
    case Detail::Track:
        return tags().track;
    case Detail::Duration:
        return tags().duration;
    case Detail::BitRate:
        return tags().bitRate;
    case Detail::BPM:
        return tags().bpm;
    }
    return {};
}

} // namespace platform::shell
