#pragma once
// The open and save file dialogs with the arguments the program's callers pass, answered by the
// prompt service. Filters are "description|pattern|..." texts; here a ":" separates as well.
#include <QString>

class QWidget;
namespace platform::ui {
struct FileDialogRequest;
}

namespace mCommonDialog {

// File-dialog flag bits the callers combine.
inline constexpr int OFN_READONLY = 0x1;
inline constexpr int OFN_OVERWRITEPROMPT = 0x2;
inline constexpr int OFN_HIDEREADONLY = 0x4;
inline constexpr int OFN_ENABLEHOOK = 0x20;
inline constexpr int OFN_ENABLETEMPLATE = 0x40;
inline constexpr int OFN_NOVALIDATE = 0x100;
inline constexpr int OFN_ALLOWMULTISELECT = 0x200;
inline constexpr int OFN_PATHMUSTEXIST = 0x800;
inline constexpr int OFN_FILEMUSTEXIST = 0x1000;

// 1 when the last dialog chose a file, 0 when it was cancelled; both are cleared by each call.
extern int LastDlgResult;
extern int LastDlgError;

// Asks for a file to open. On OK: FileName is the chosen path, FileTitle its name, Flags the
// flags the dialog ran with, FilterIndex the chosen entry (1-based), Filter that entry's
// description and pattern joined by one NUL character, ReadOnly true when the read-only box was
// ticked. On Cancel: false; FileName, FileTitle and Filter "", Flags 0, FilterIndex -1.
// Owner may be nullptr (no owner).
bool VBGetOpenFileName(QString &FileName, QString &FileTitle, bool FileMustExist, bool MultiSelect,
                       bool &ReadOnly, bool HideReadOnly, QString &Filter, int &FilterIndex,
                       const QString &InitDir, const QString &DlgTitle, const QString &DefaultExt,
                       QWidget *Owner, int &Flags);

// Asks for a file to save to; as VBGetOpenFileName, except that the read-only box is always
// hidden and a Cancel sets FilterIndex to 0.
bool VBGetSaveFileName(QString &FileName, QString &FileTitle, bool OverWritePrompt, QString &Filter,
                       int &FilterIndex, const QString &InitDir, const QString &DlgTitle,
                       const QString &DefaultExt, QWidget *Owner, int &Flags);

// The prompt service's request for a file dialog with these flags; `filter` in "|" form.
platform::ui::FileDialogRequest requestFor(int flags, const QString &fileName, const QString &filter,
                                           int filterIndex, const QString &initDir, const QString &title,
                                           const QString &defaultExt);

// The flags a dialog hands back: the read-only bit is the box's state, or the bit asked for
// when the box was hidden.
int withReadOnly(int flags, bool boxTicked);

// The text up to its first NUL character.
QString StrZToStr(const QString &s);

// The index-th (1-based) entry of a NUL-separated filter list, as description, NUL, pattern;
// "" when there is no such entry.
QString FilterLookup(const QString &filters, int index);

} // namespace mCommonDialog
