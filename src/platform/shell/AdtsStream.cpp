#include "platform/shell/AdtsStream.h"

#include <QByteArray>

namespace platform::shell {

namespace {

constexpr int kSampleRates[16] = {96000, 88200, 64000, 48000, 44100, 32000, 24000, 22050,
                                  16000, 12000, 11025, 8000,  7350,  0,     0,     0};
constexpr qint64 kWindow = 64 * 1024; // bytes of frames looked at
constexpr int kSearch = 4096;         // how far past the tag a first frame may start

struct Header {
    int rate = 0;
    int length = 0;  // whole frame, header included
    int samples = 0; // 1024 per raw data block
};

bool parseHeader(const uchar *p, Header &h) {
    if (p[0] != 0xFF || (p[1] & 0xF6) != 0xF0) // sync word, layer 0
        return false;
    h.rate = kSampleRates[(p[2] >> 2) & 0x0F];
    h.length = ((p[3] & 0x03) << 11) | (p[4] << 3) | (p[5] >> 5);
    h.samples = ((p[6] & 0x03) + 1) * 1024;
    return h.rate > 0 && h.length >= 7;
}

// Size of an ID3v2 tag at the start of the device (0 when none).
qint64 id3v2Size(QIODevice &device) {
    const QByteArray head = device.read(10);
    if (head.size() < 10 || !head.startsWith("ID3"))
        return 0;
    const auto *p = reinterpret_cast<const uchar *>(head.constData());
    qint64 size = 10 + (qint64(p[6] & 0x7F) << 21 | qint64(p[7] & 0x7F) << 14 | qint64(p[8] & 0x7F) << 7 | (p[9] & 0x7F));
    if (p[5] & 0x10) // footer present
        size += 10;
    return size;
}

} // namespace

AdtsProperties readAdtsProperties(QIODevice &device) {
    AdtsProperties result;
    if (!device.seek(0))
        return result;
    const qint64 fileSize = device.size();
    const qint64 start = id3v2Size(device);
    if (start >= fileSize || !device.seek(start))
        return result;
    const QByteArray window = device.read(kWindow);
    const auto *p = reinterpret_cast<const uchar *>(window.constData());
    const qint64 n = window.size();

    qint64 first = -1;
    Header h;
    for (qint64 i = 0; i + 7 <= n && i < kSearch; ++i)
        if (parseHeader(p + i, h)) {
            first = i;
            break;
        }
    if (first < 0)
        return result;

    const int rate = h.rate;
    qint64 bytes = 0, samples = 0, frames = 0, pos = first;
    while (pos + 7 <= n && parseHeader(p + pos, h) && h.rate == rate) {
        bytes += h.length;
        samples += h.samples;
        ++frames;
        pos += h.length;
    }
    if (frames == 0 || samples == 0)
        return result;

    const qint64 audioBytes = fileSize - start - first;
    // When the window held the whole stream the count is exact; otherwise the frames seen give
    // the average size and samples of a frame for the rest of the file.
    const double totalSamples = pos >= n && start + first + pos >= fileSize
                                    ? double(samples)
                                    : double(audioBytes) / double(bytes) * double(samples);
    result.valid = true;
    result.sampleRate = rate;
    result.milliseconds = qint64(totalSamples * 1000.0 / rate);
    result.kbps = int(double(bytes) * 8.0 * rate / double(samples) / 1000.0);
    return result;
}

} // namespace platform::shell
