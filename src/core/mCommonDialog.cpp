#include "core/mCommonDialog.h"

#include "platform/ui/PromptService.h"

namespace mCommonDialog {

int LastDlgResult = 0;
int LastDlgError = 0;

namespace {

constexpr QChar Nul(u'\0');

} // namespace

platform::ui::FileDialogRequest requestFor(int flags, const QString &fileName, const QString &filter,
                                           int filterIndex, const QString &initDir, const QString &title,
                                           const QString &defaultExt) {
    platform::ui::FileDialogRequest r;
    r.title = title;
    r.fileName = fileName;
    r.filter = filter;
    r.filterIndex = filterIndex;
    r.initialDir = initDir;
    r.defaultExt = defaultExt;
    r.fileMustExist = flags & OFN_FILEMUSTEXIST;
    r.pathMustExist = flags & OFN_PATHMUSTEXIST;
    r.multiSelect = flags & OFN_ALLOWMULTISELECT;
    r.overwritePrompt = flags & OFN_OVERWRITEPROMPT;
    r.readOnly = flags & OFN_READONLY;
    r.hideReadOnly = flags & OFN_HIDEREADONLY;
    return r;
}

int withReadOnly(int flags, bool boxTicked) {
    const bool on = boxTicked || ((flags & OFN_HIDEREADONLY) && (flags & OFN_READONLY));
    return (flags & ~OFN_READONLY) | (on ? OFN_READONLY : 0);
}

namespace {

// The callers' filter with ":" as a second separator, in "|" form for the prompt service, and
// the NUL-separated list the chosen entry is looked up in.
QString dialogFilter(const QString &filter) {
    QString f = filter;
    f.replace(QLatin1Char(':'), QLatin1Char('|'));
    return f;
}

QString nulList(const QString &pipeFilter) {
    QString list = pipeFilter;
    list.replace(QLatin1Char('|'), Nul);
    return list + Nul + Nul;
}

// Shared by open and save; `cancelIndex` is what FilterIndex becomes on Cancel.
bool run(bool save, int flags, QString &FileName, QString &FileTitle, bool *ReadOnly, QString &Filter,
         int &FilterIndex, const QString &InitDir, const QString &DlgTitle, const QString &DefaultExt,
         int &Flags, int cancelIndex) {
    LastDlgResult = 0;
    LastDlgError = 0;
    const QString pipeFilter = dialogFilter(Filter);
    const platform::ui::FileDialogRequest req =
        requestFor(flags, FileName, pipeFilter, FilterIndex, InitDir, DlgTitle, DefaultExt);
    const auto res = save ? platform::ui::prompts().saveFile(req) : platform::ui::prompts().openFile(req);
    if (res) {
        LastDlgResult = 1;
        FileName = StrZToStr(res->fileName);
        FileTitle = StrZToStr(res->fileTitle);
        Flags = withReadOnly(flags, res->readOnly);
        FilterIndex = res->filterIndex;
        Filter = FilterLookup(nulList(pipeFilter), FilterIndex);
        if (ReadOnly && (Flags & OFN_READONLY))
            *ReadOnly = true;
        return true;
    }
    FileName.clear();
    FileTitle.clear();
    Filter.clear();
    Flags = 0;
    FilterIndex = cancelIndex;
    return false;
}

} // namespace

bool VBGetOpenFileName(QString &FileName, QString &FileTitle, bool FileMustExist, bool MultiSelect,
                       bool &ReadOnly, bool HideReadOnly, QString &Filter, int &FilterIndex,
                       const QString &InitDir, const QString &DlgTitle, const QString &DefaultExt,
                       QWidget *Owner, int &Flags) {
    Q_UNUSED(Owner); // the prompt service places its dialogs itself
    const int flags = (FileMustExist ? OFN_FILEMUSTEXIST : 0) | (MultiSelect ? OFN_ALLOWMULTISELECT : 0) |
                      (ReadOnly ? OFN_READONLY : 0) | (HideReadOnly ? OFN_HIDEREADONLY : 0) |
                      (Flags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE));
    return run(false, flags, FileName, FileTitle, &ReadOnly, Filter, FilterIndex, InitDir, DlgTitle,
               DefaultExt, Flags, -1);
}

bool VBGetSaveFileName(QString &FileName, QString &FileTitle, bool OverWritePrompt, QString &Filter,
                       int &FilterIndex, const QString &InitDir, const QString &DlgTitle,
                       const QString &DefaultExt, QWidget *Owner, int &Flags) {
    Q_UNUSED(Owner);
    const int flags = (OverWritePrompt ? OFN_OVERWRITEPROMPT : 0) | OFN_HIDEREADONLY |
                      (Flags & ~(OFN_ENABLEHOOK | OFN_ENABLETEMPLATE));
    return run(true, flags, FileName, FileTitle, nullptr, Filter, FilterIndex, InitDir, DlgTitle,
               DefaultExt, Flags, 0);
}

QString StrZToStr(const QString &s) {
    const qsizetype n = s.indexOf(Nul);
    return n < 0 ? s : s.left(n);
}

QString FilterLookup(const QString &filters, int index) {
    if (filters.isEmpty())
        return {};
    qsizetype start = 0;
    for (;;) {
        const qsizetype descEnd = filters.indexOf(Nul, start);
        if (descEnd < 0)
            return {};
        const qsizetype patEnd = filters.indexOf(Nul, descEnd + 1);
        const QString entry = filters.mid(start, (patEnd < 0 ? filters.size() : patEnd) - start);
        if (index == 1)
            return entry;
        --index;
        if (index == 0 || patEnd < 0)
            return {};
        start = patEnd + 1;
    }
}

} // namespace mCommonDialog
