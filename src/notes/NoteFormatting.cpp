#include "notes/NoteFormatting.h"

#include "core/PictureFormats.h"
#include "notes/MemoForm.h"
#include "platform/richtext/RichTextBox.h"
#include "platform/ui/PromptService.h"
#include "platform/ui/TextColours.h"

#include <QLabel>
#include <QStandardPaths>
#include <QToolButton>

#include <cmath>

namespace notes {

namespace ui = platform::ui;

void NoteFormatting::chkBold_Click() {
    w_.txtNotes->setSelBold(w_.chkBold->isChecked());
    w_.txtNotes->setFocus();
}

void NoteFormatting::chkItalic_Click() {
    w_.txtNotes->setSelItalic(w_.chkItalic->isChecked());
    w_.txtNotes->setFocus();
}

void NoteFormatting::chkUnderline_Click() {
    w_.txtNotes->setSelUnderline(w_.chkUnderline->isChecked());
    w_.txtNotes->setFocus();
}

namespace {
// Caption: the font name and the whole points of the size.
QString fontCaption(const QString &name, double size) {
    return name + QLatin1Char(' ') + QString::number(static_cast<long long>(std::trunc(size)));
}
} // namespace

void NoteFormatting::txtNotes_ShowSelectionFormat() {
    auto &box = *w_.txtNotes;
    // Showing a state applies nothing: setChecked raises no click.
    w_.chkBold->setChecked(box.SelBold().value_or(false));
    w_.chkItalic->setChecked(box.SelItalic().value_or(false));
    w_.chkUnderline->setChecked(box.SelUnderline().value_or(false));

    const auto name = box.SelFontName();
    const auto size = box.SelFontSize();
    if (!name)
        w_.lblFontColor->setText(QString());
    else if (!size)
        w_.lblFontColor->setText(*name);
    else
        w_.lblFontColor->setText(fontCaption(*name, *size));

    QPalette p = w_.lblFontColor->palette();
    const auto color = box.SelColor();
    if (!color) {
        p.setColor(QPalette::WindowText, Qt::black);
        p.setColor(QPalette::Window, Qt::white);
    } else {
        const int red = int(*color & 0xFF), green = int((*color >> 8) & 0xFF), blue = int((*color >> 16) & 0xFF);
        p.setColor(QPalette::WindowText, QColor(red, green, blue));
        p.setColor(QPalette::Window, ui::contrastingColour(QColor(red, green, blue)));
    }
    w_.lblFontColor->setPalette(p);
}

void NoteFormatting::cmdFontColor_Click() {
    auto &box = *w_.txtNotes;
    auto &d = w_.dialogs;
    d.DialogTitle = QStringLiteral("Choose font and color");
    d.Flags = FontFlags;
    d.FontName = box.SelFontName().value_or(QString());
    d.FontSize = static_cast<float>(box.SelFontSize().value_or(0));
    d.FontBold = box.SelBold().value_or(false);
    d.FontItalic = box.SelItalic().value_or(false);
    d.FontStrikethru = box.SelStrikeThru().value_or(false);
    d.FontUnderline = box.SelUnderline().value_or(false);
    d.Color = static_cast<int>(box.SelColor().value_or(0));
    if (d.ShowFont(&w_)) {
        // Strike-through is offered by the dialog but not applied.
        box.setSelFontName(d.FontName);
        box.setSelFontSize(d.FontSize);
        box.setSelBold(d.FontBold);
        box.setSelItalic(d.FontItalic);
        box.setSelUnderline(d.FontUnderline);
        box.setSelColor(d.Color);
        w_.chkBold->setChecked(d.FontBold);
        w_.chkItalic->setChecked(d.FontItalic);
        w_.chkUnderline->setChecked(d.FontUnderline);
        box.setSelStart(box.SelStart() + box.SelLength());
        w_.lblFontColor->setText(fontCaption(d.FontName, d.FontSize));
        w_.lblFontColor->repaint();
    }
    box.setFocus();
}

void NoteFormatting::cmdPicture_Click() {
    auto &d = w_.dialogs;
    d.DialogTitle = QStringLiteral("Picture to insert");
    d.Filter = core::pictureFilter(QStringLiteral("Pictures"));
    if (d.InitDir.isEmpty())
        d.InitDir = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    d.Flags = PictureFlags;
    if (d.ShowOpen(&w_)) {
        // Inserted straight into the note: the user's clipboard is left as it was.
        QString reason;
        if (w_.txtNotes->insertPicture(d.FileName, &reason))
            w_.NoteChanged = true;
        else
            ui::msgBox(QStringLiteral("The file ") + d.FileName + QStringLiteral(" could not be read as a picture."),
                       ui::Buttons::OK, ui::Icon::None, QStringLiteral("Picture to insert"));
    }
    w_.txtNotes->setFocus();
}

} // namespace notes
