#pragma once
// The user's own options: every key of the section "Options" of the per-user settings store,
// typed. Values are stored as text; on/off options as "-1" and "0". Readers that need to tell an
// absent key from a set one get the raw text ("" when absent).
//
// Every write is checked: a write that does not reach the store's file shows "Orvalis could not
// save its settings in <file>: <reason>" (title "Settings not saved") and returns false, so the
// caller does not claim the change.
#include <QString>
#include <optional>

namespace core {

class RegistryOptions {
public:
    // Key names.
    static constexpr const char *DatabaseLocationKey = "Database Location";
    static constexpr const char *FontKey = "Font";
    static constexpr const char *RptLinesPerPageKey = "RptLinesPerPage";
    static constexpr const char *RememberWindowSizeKey = "Remember Window Size";
    static constexpr const char *GridScreenTopKey = "GridScreenTop";
    static constexpr const char *GridScreenLeftKey = "GridScreenLeft";
    static constexpr const char *GridScreenWidthKey = "GridScreenWidth";
    static constexpr const char *GridScreenHeightKey = "GridScreenHeight";
    static constexpr const char *FileRenameDisabledKey = "File Rename Disabled";
    static constexpr const char *FileNameWarningKey = "Checkbox FileName Change Warning";
    static constexpr const char *PathNameWarningKey = "Checkbox PathName Change Warning";

    // "Database Location": the data folder, ending in "/"; "" when absent.
    static QString databaseLocation();
    static bool setDatabaseLocation(const QString &folder);
    // The folder used when the key is absent: $HOME/Orvalis/.
    static QString defaultDataFolder();

    // "Font": the screen font name; "" when absent.
    static QString font();
    static bool setFont(const QString &fontName);
    // The font used when the key is absent: "MS Sans Serif" below version 6, else "Arial".
    static QString defaultFont(int winMajorVersion);

    // "RptLinesPerPage": "0" to "32000", "0" = no page breaks; "" when absent (then "54").
    static QString rptLinesPerPage();
    static bool setRptLinesPerPage(const QString &lines);
    static QString defaultRptLinesPerPage() { return QStringLiteral("54"); }

    // "Remember Window Size", off when absent.
    static bool rememberWindowSize();
    static bool setRememberWindowSize(bool on);

    // The main window's placement in twips; nullopt when any of the four keys is absent or not
    // a number.
    struct Placement {
        int top = 0;
        int left = 0;
        int width = 0;
        int height = 0;
    };
    static std::optional<Placement> gridScreenPlacement();
    static bool setGridScreenPlacement(const Placement &p);

    // "File Rename Disabled", off ("0") when absent.
    static bool fileRenameDisabled();
    static bool setFileRenameDisabled(bool disabled);

    // The silenceable warnings: "1" = do not show again, "0" = show; shown when absent.
    // `key` is FileNameWarningKey or PathNameWarningKey.
    static QString warningCheckbox(const QString &key);
    static bool warningSilenced(const QString &key);
    static bool setWarningCheckbox(const QString &key, const QString &value);
    // Writes "0" under both warning keys, so both warnings show again.
    static bool resetWarnings();

    // Raw access to any key of the section.
    static QString get(const QString &key, const QString &defaultValue = {});
    static bool save(const QString &key, const QString &value);
};

} // namespace core
