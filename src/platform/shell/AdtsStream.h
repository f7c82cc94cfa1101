#pragma once
// Length and bit rate of a raw AAC stream (ADTS frames, the ".aac" files), which TagLib does not
// read. Like TagLib's average read style it reads only frame headers: the first frames give the
// average frame size, and the file size gives the rest.
#include <QIODevice>
#include <QtGlobal>

namespace platform::shell {

struct AdtsProperties {
    bool valid = false;       // false when no ADTS frame was found near the start
    qint64 milliseconds = 0;  // playing time
    int kbps = 0;             // average bit rate in kbit/s
    int sampleRate = 0;
};

// Reads from the start of an open device. An ID3v2 tag in front of the stream is skipped.
AdtsProperties readAdtsProperties(QIODevice &device);

} // namespace platform::shell
