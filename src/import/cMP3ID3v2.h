#pragma once
// Reads the ID3v2 tag (major versions 2, 3 and 4) of one MP3 file into keyed lists of frame
// identifiers and values, and collects the comment frames into one comment text. Values can be
// added and removed in memory; the file is never written.
//
//     import::cMP3ID3v2 tag;
//     tag.setMP3File(path);              // throws import::ID3v2Error when the file cannot be opened
//     if (tag.HasID3v2Tag())
//         for (int i = 1; i <= tag.FrameCount(); ++i) {
//             QString id = tag.Frame(i);                    // "TIT2"
//             for (int n = 1; n <= tag.TagsInFrame(id); ++n)
//                 QString value = tag.FrameValue(id, n);
//         }
//
// The tag is found by searching the file in 4096-byte chunks (overlapping by 3 bytes) for
// "ID3", up to the chunk that holds the first FF FB pair (an MPEG-1 Layer III frame). Frames are
// read until padding (an all-NUL identifier), a frame that does not fit the tag size, the end of
// the tag, or the end of the file: a truncated or damaged tag keeps the frames read before the
// damage. Version 2 identifiers are mapped to their 4-character forms (TP1 TPE1, TT2 TIT2,
// TAL TALB, COM COMM, TRK TRCK, TEN TENC, TYE TYER, TCO TCON); any other becomes "". Flags,
// extended headers and unsynchronisation are not interpreted.
//
// Values: text frames ("T...") and COMM are decoded by their encoding byte (Latin-1, UTF-16
// with byte-order mark, UTF-16BE, UTF-8); a COMM value is its language code, description and
// text run together. Other frames are one character per byte. NUL characters are removed from
// every value. The comment text joins the COMM values (a leading "eng" dropped) with NUL,
// carriage return and line feed between them.
#include "import/KeyedList.h"

#include <QIODevice>
#include <QString>
#include <stdexcept>

namespace import {

// An error of the reader: the number and text of the failure and the reader's source name.
class ID3v2Error : public std::runtime_error {
public:
    static constexpr int InvalidArgument = 5;    // a missing key
    static constexpr int OutOfRange = 9;         // a bad position
    static constexpr int FileNotFound = 53;
    static constexpr int PermissionDenied = 70;
    static constexpr int PathFileAccess = 75;

    ID3v2Error(int number, const QString &description);
    int number() const noexcept { return number_; }
    const QString &description() const noexcept { return description_; }
    const QString &source() const noexcept { return source_; }

private:
    int number_;
    QString description_;
    QString source_;
};

class cMP3ID3v2 {
public:
    // Whether the last read found a tag.
    bool HasID3v2Tag() const { return tagPosition_ >= 1; }
    // The tag's major version byte (also one outside 2 to 4, whose frames are not read).
    quint8 ID3v2TagVersion() const { return majorVersion_; }
    quint8 TagVersion() const { return majorVersion_; }

    // Number of distinct frame identifiers, and the identifier at a 1-based position (in order
    // of first appearance). Frame throws ID3v2Error OutOfRange for a bad position.
    int FrameCount() const { return frameIds_.count(); }
    QString Frame(int index) const;

    // Removes a frame (by 1-based position or identifier) with all its values. Throws
    // ID3v2Error for a position or identifier that is not there.
    void RemoveFrame(int index);
    void RemoveFrame(const QString &frameId);

    // Number of values of a frame identifier, or of the entry at a 1-based position of the
    // count list (whose order changes as counts change); 0 when there is none.
    int TagsInFrame(const QString &frameId) const;
    int TagsInFrame(int position) const;
    // Value n (1-based) of a frame; throws ID3v2Error InvalidArgument when there is none.
    QString FrameValue(const QString &frameId, int n) const;

    // Adds a value to a frame (creating the frame when it is new).
    void AddTag(const QString &sFrame, const QString &sTag);
    // Removes value tagIndex of a frame and renumbers the rest from 1. When none is left the
    // count goes, and the identifier stays with 0 values. Throws ID3v2Error when absent.
    void RemoveTag(const QString &sFrame, int tagIndex);

    // The comment text. Setting it replaces the COMM frame by one value holding the text.
    QString Comment() const { return comment_; }
    void setComment(const QString &text);

    // The file path. Setting it reads the file's tag; a file that cannot be opened throws
    // ID3v2Error (FileNotFound, PermissionDenied or PathFileAccess) and leaves the lists empty.
    QString MP3File() const { return mp3File_; }
    void setMP3File(const QString &path);

    // Reads the tag from an open device (what setMP3File does after opening the file).
    void readTag(QIODevice &device);

private:
    // Empties the lists and forgets the tag read before.
    void clearTag();
    qint64 findID3Header(QIODevice &device) const;
    void readFrames(QIODevice &device, qint64 versionOffset);
    void storeFrame(const QString &id, const QString &value);
    void addValue(const QString &id, const QString &value);

    QString mp3File_;
    qint64 tagPosition_ = 0; // 1-based position of the version byte; 0 = no tag
    quint8 majorVersion_ = 0;
    QString comment_;
    KeyedList<QString> frameIds_;
    KeyedList<int> frameValueCounts_;
    KeyedList<QString> frameValues_;
};

} // namespace import
