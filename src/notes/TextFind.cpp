#include "notes/TextFind.h"

#include "core/InputForm.h"
#include "platform/ui/PromptService.h"

#include <QPushButton>

namespace notes {

namespace ui = platform::ui;

int TextFind::inStr(int start, const QString &text, const QString &what) {
    if (start < 1 || start > text.size() + 1 || what.isEmpty())
        return 0;
    const qsizetype at = text.indexOf(what, start - 1, Qt::CaseInsensitive);
    return at < 0 ? 0 : int(at) + 1;
}

void TextFind::selectMatch() { box_.select(FindPosition - 1, int(FindText.size())); }

void TextFind::cmdFind_Click() {
    findNext_->setEnabled(false);
    FindText = modMain::ShowInputForm(QStringLiteral("Enter the text to search for, then press OK."),
                                      QStringLiteral("Specify text to find"), FindText);
    if (FindText.trimmed().isEmpty())
        return;
    FindPosition = inStr(1, box_.text(), FindText);
    if (FindPosition > 0) {
        selectMatch();
        findNext_->setEnabled(true);
        return;
    }
    ui::msgBox(QStringLiteral("[") + FindText +
                   QStringLiteral("]\r\n\r\nThe text you searched for (shown above) was not found."),
               ui::Buttons::OK, ui::Icon::None, QStringLiteral("Text not found"));
}

void TextFind::cmdFindNext_Click() {
    if (FindText.trimmed().isEmpty())
        return;
    FindPosition = inStr(box_.selStart() + box_.selLength() + 1, box_.text(), FindText);
    if (FindPosition > 0) {
        selectMatch();
        return;
    }
    findNext_->setEnabled(false);
    ui::msgBox(QStringLiteral("[") + FindText + QStringLiteral("]\r\n\r\nReached end of notes."), ui::Buttons::OK,
               ui::Icon::None, QStringLiteral("No more occurrences found"));
}

} // namespace notes
