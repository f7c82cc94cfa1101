#pragma once
// A small store of desktop metrics the program applies to its own windows, standing in for the
// system-wide values another platform keeps in its registry. It lives beside the options but in
// its own group ("WindowMetrics"), never in "Options".
#include <QString>
#include <optional>

namespace platform::settings {

// The stored text of a metric ("" when absent), e.g. "ScrollWidth" -> "-500".
QString metric(const QString &name);
void setMetric(const QString &name, const QString &value);

// The scroll-bar width kept as metric "ScrollWidth", a width given as a negative number (the
// form the registry import text uses); its absolute value. nullopt when none is stored or the
// text is not a number.
std::optional<int> scrollBarWidth();

} // namespace platform::settings
