#include "platform/shell/DetailColumns.h"

#include <array>
#include <utility>

namespace platform::shell {

namespace {

using Row = std::pair<int, Detail>;

constexpr std::array<Row, 13> kBefore6{{
    {0, Detail::Name},      {1, Detail::Size},     {2, Detail::Type},    {6, Detail::Attributes},
    {10, Detail::Title},    {14, Detail::Comment}, {16, Detail::Artist}, {17, Detail::Album},
    {18, Detail::Year},     {19, Detail::Track},   {20, Detail::Genre},  {21, Detail::Duration},
    {22, Detail::BitRate},
}};

constexpr std::array<Row, 15> kFrom6{{
    {0, Detail::Name},      {1, Detail::Size},      {2, Detail::Type},       {6, Detail::Attributes},
    {13, Detail::Artist},   {14, Detail::Album},    {15, Detail::Year},      {16, Detail::Genre},
    {21, Detail::Title},    {24, Detail::Comment},  {26, Detail::Track},     {27, Detail::Duration},
    {28, Detail::BitRate},  {220, Detail::Composer}, {237, Detail::BPM},
}};

template <std::size_t N>
Detail find(const std::array<Row, N> &table, int column) {
    for (const auto &[c, d] : table)
        if (c == column)
            return d;
    return Detail::None;
}

template <std::size_t N>
int find(const std::array<Row, N> &table, Detail detail) {
    for (const auto &[c, d] : table)
        if (d == detail)
            return c;
    return -1;
}

} // namespace

Detail detailOfColumn(int column, int winMajorVersion) {
    return winMajorVersion <= 5 ? find(kBefore6, column) : find(kFrom6, column);
}

int columnOfDetail(Detail detail, int winMajorVersion) {
    if (detail == Detail::None)
        return -1;
    return winMajorVersion <= 5 ? find(kBefore6, detail) : find(kFrom6, detail);
}

bool isTagDetail(Detail detail) {
    switch (detail) {
    case Detail::None:
    case Detail::Name:
    case Detail::Size:
    case Detail::Type:
    case Detail::Attributes:
        return false;
    default:
        return true;
    }
}

QString sizeText(qint64 bytes) {
    if (bytes < 0)
        bytes = 0;
    if (bytes < 1024)
        return QString::number(bytes) + QStringLiteral(" bytes");
    static const char *const units[] = {"KB", "MB", "GB"};
    // Integer arithmetic throughout, so the cut is exact and no rounding creeps in.
    qint64 unit = 1024;
    int u = 0;
    while (u < 2 && bytes >= 1000 * unit) {
        unit *= 1024;
        ++u;
    }
    const qint64 hundredths = bytes / unit * 100 + bytes % unit * 100 / unit;
    QString number;
    if (hundredths < 1000)
        number = QStringLiteral("%1.%2").arg(hundredths / 100).arg(hundredths % 100, 2, 10, QLatin1Char('0'));
    else if (hundredths < 10000)
        number = QStringLiteral("%1.%2").arg(hundredths / 100).arg(hundredths % 100 / 10);
    else
        number = QString::number(hundredths / 100);
    return number + QLatin1Char(' ') + QLatin1String(units[u]);
}

QString durationText(qint64 seconds) {
    if (seconds < 0)
        return {};
    if (seconds > 99 * 3600 + 59 * 60 + 59)
        seconds = 99 * 3600 + 59 * 60 + 59;
    return QStringLiteral("%1:%2:%3")
        .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
        .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QString bitRateText(int kbps) {
    return kbps > 0 ? QString::number(kbps) + QStringLiteral("kbps") : QString();
}

} // namespace platform::shell
