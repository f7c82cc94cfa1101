#include "core/CommonDlgs.h"

#include "core/mCommonDialog.h"
#include "platform/ui/PromptService.h"

#include <QColor>
#include <QFont>

#include <algorithm>
#include <cmath>

namespace core {

using namespace mCommonDialog;

CommonDlgs::CommonDlgs() : Filter(QStringLiteral("All files (*.*)|*.*")) {
    const QFont standard;
    FontName = standard.family();
    FontSize = static_cast<float>(standard.pointSizeF());
}

namespace {
// Colours are kept as the platform's RGB longs: red in the low byte, then green, then blue.
QColor colorOfLong(int value) { return QColor(value & 0xFF, (value >> 8) & 0xFF, (value >> 16) & 0xFF); }
int longOfColor(const QColor &c) { return c.red() | (c.green() << 8) | (c.blue() << 16); }
} // namespace

bool CommonDlgs::ShowFont(QWidget *owner) {
    Q_UNUSED(owner);
    platform::ui::FontRequest request;
    request.title = DialogTitle;
    QFont &initial = request.font;
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
    request.offerColor = (flags & CF_EFFECTS) != 0;
    request.color = colorOfLong(Color);
    const bool limited = (flags & CF_LIMITSIZE) != 0;
    if (limited) {
        request.minSize = static_cast<int>(std::lround(Min));
        request.maxSize = static_cast<int>(std::lround(Max));
    }

    const std::optional<platform::ui::FontChoice> chosen = platform::ui::prompts().chooseFont(request);
    if (!chosen)
        return false;
    const QFont &f = chosen->font;
    if (f.pointSizeF() > 0)
        FontSize = static_cast<float>(f.pointSizeF());
    if (limited && request.maxSize > 0)
        FontSize = std::clamp(FontSize, float(request.minSize), float(std::max(request.minSize, request.maxSize)));
    FontBold = f.weight() >= 600;
    FontItalic = f.italic();
    FontUnderline = f.underline();
    FontStrikethru = f.strikeOut();
    FontName = f.family().left(31);
    if (request.offerColor && chosen->color.isValid())
        Color = longOfColor(chosen->color);
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
