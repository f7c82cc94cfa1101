#include "core/CommonDialogControl.h"

#include "core/CommonDlgs.h"

namespace core {

bool CommonDialogControl::ShowOpen() { return show(false); }

bool CommonDialogControl::ShowSave() { return show(true); }

bool CommonDialogControl::show(bool save) {
    CommonDlgs d;
    d.Flags = Flags;
    d.DefaultExt = DefaultExt;
    d.DialogTitle = DialogTitle;
    d.FileName = FileName;
    d.FileTitle = FileTitle;
    if (!Filter.isEmpty())
        d.Filter = Filter;
    // An index of 0 (never set) shows the first entry.
    d.FilterIndex = FilterIndex > 0 ? FilterIndex : 1;
    d.InitDir = InitDir;
    const bool chosen = save ? d.ShowSave() : d.ShowOpen();
    if (!chosen) {
        if (CancelError)
            throw DialogCancelled();
        return false;
    }
    Flags = d.Flags;
    FileName = d.FileName;
    FileTitle = d.FileTitle;
    FilterIndex = d.FilterIndex;
    return true;
}

} // namespace core
