#pragma once
// Stand-in for the silent import of a registry text file: the values the file sets under the
// desktop's window-metrics key are kept in the system-metrics store (SystemMetrics.h); the
// program applies them to its own windows when it next starts. Other keys are left alone.
#include <QString>

namespace platform::settings {

// Reads a registry import text ("Windows Registry Editor Version 5.00", a [key] line, then
// "name"="value" lines). Returns false (with the reason in `error`) when the file cannot be
// read or is not such a text.
bool importRegistryFile(const QString &path, QString *error = nullptr);

} // namespace platform::settings
