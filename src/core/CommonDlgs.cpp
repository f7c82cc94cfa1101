#include "core/CommonDlgs.h"

#include "core/mCommonDialog.h"
#include "platform/ui/PromptService.h"

#include <QFont>
#include <cmath>

namespace core {

using namespace mCommonDialog;

CommonDlgs::CommonDlgs() : Filter(QStringLiteral("All files (*.*)|*.*")) {
    const QFont standard;
    FontName = standard.family();
    FontSize = static_cast<float>(standard.pointSizeF());
}

bool CommonDlgs::ShowFont(QWidget *owner) {
    Q_UNUSED(owner);
    QFont initial;
    // The face-name field holds 31 characters and its terminating NUL.
    initial.setFamily(FontName.left(31));
    if (FontSize > 0)
        initial.setPointSize(static_cast<int>(std::lround(FontSize)));
    initial.setWeight(FontBold ? QFont::Bold : QFont::Normal);
    initial.setItalic(FontItalic);
    initial.setUnderline(FontUnderline);
    initial.setStrikeOut(FontStrikethru);
    int flags = Flags;
    if (!(flags & (CF_SCREENFONTS | CF_PRINTERFONTS)))
        flags |= CF_SCREENFONTS;

    const std::optional<QFont> chosen = platform::ui::prompts().chooseFont(initial);
    if (!chosen)
        return false;
    const QFont &f = *chosen;
    if (f.pointSizeF() > 0)
        FontSize = static_cast<float>(f.pointSizeF());
    FontBold = f.weight() >= 600;
    FontItalic = f.italic();
    FontUnderline = f.underline();
    FontStrikethru = f.strikeOut();
    FontName = f.family().left(31);
    Flags = flags;
    return true;
}

bool CommonDlgs::ShowOpen(QWidget *owner) {
    Q_UNUSED(owner);
    return showFile(false);
}

bool CommonDlgs::ShowSave(QWidget *owner) {
    Q_UNUSED(owner);
    return showFile(true);
}

bool CommonDlgs::showFile(bool save) {
    // Only "|" separates here: a colon stays part of its description.
    const platform::ui::FileDialogRequest r =
        requestFor(Flags, FileName, Filter, FilterIndex, InitDir, DialogTitle, DefaultExt);

    const auto res = save ? platform::ui::prompts().saveFile(r) : platform::ui::prompts().openFile(r);
    if (!res)
        return false;

    // Several chosen files come back NUL-separated.
    const QString buffer = res->fileNames.size() > 1 ? res->fileNames.join(QChar(u'\0')) : res->fileName;
    FileName = buffer;
    FileTitle.clear();
    if (!(Flags & OFN_ALLOWMULTISELECT)) {
        FileName = StrZToStr(FileName);
        if (!(Flags & OFN_NOVALIDATE))
            FileTitle = StrZToStr(res->fileTitle);
    }
    Flags = withReadOnly(Flags, res->readOnly);
    FilterIndex = res->filterIndex;
    return true;
}

} // namespace core
