#pragma once
// The per-user options store: values under organisation and application "Orvalis", one group
// per section (the program uses the one section "Options"). Every value is kept as text;
// on/off options as "-1" and "0".
#include <QString>

namespace platform::settings {

inline const QString OptionsSection = QStringLiteral("Options");

// The value of `key` in `section`, or `defaultValue` when the key is absent.
QString GetSetting(const QString &section, const QString &key, const QString &defaultValue = {});
// The outcome of a write: whether it reached the store's file, and when it did not, which file
// and why ("Permission denied").
struct SaveStatus {
    bool saved = true;
    QString file;
    QString reason;
    explicit operator bool() const { return saved; }
};

// Stores `value` as text under `key` in `section` and writes the store to its file.
SaveStatus SaveSetting(const QString &section, const QString &key, const QString &value);

// The text an on/off option is stored as: "-1" for on, "0" for off.
QString boolText(bool on);
// Reads an on/off text back: any non-zero number or "True" is on; "", "0", "False" and any
// other text are off.
bool textIsTrue(const QString &text);

} // namespace platform::settings
