#pragma once
// A dialog object for callers that set fields, show a font, open or save dialog, and read the
// fields back. The dialogs are the prompt service's.
#include <QString>

class QWidget;

namespace core {

class CommonDlgs {
public:
    // Font-dialog flag bits.
    static constexpr int CF_SCREENFONTS = 0x1;
    static constexpr int CF_PRINTERFONTS = 0x2;
    static constexpr int CF_EFFECTS = 0x100;     // offer effects and the font colour
    static constexpr int CF_LIMITSIZE = 0x2000;  // offer only sizes from Min to Max

    CommonDlgs();

    int Flags = 0;            // open/save: OFN_* bits in and out; font: CF_* bits in and out
    QString DefaultExt;
    QString DialogTitle;
    QString FileName;         // start name in, chosen file out
    QString FileTitle;        // chosen file's name without folder, out
    QString Filter;           // "description|pattern|..."
    int FilterIndex = 1;
    QString InitDir;
    int MaxFileSize = 256;
    qint16 FontCharset = 0;
    int Color = 0;            // font colour (&HBBGGRR) in and out; chosen when Flags has CF_EFFECTS
    bool FontBold = false;
    bool FontItalic = false;
    QString FontName;         // at most 31 characters reach the dialog
    float FontSize = 0;       // points; 0 lets the dialog choose
    bool FontStrikethru = false;
    bool FontUnderline = false;
    float Max = 0;            // largest and smallest size offered, when Flags has CF_LIMITSIZE
    float Min = 0;

    // True when the user chose a font; the font fields (and Color) then hold it.
    bool ShowFont(QWidget *owner = nullptr);
    // True when the user chose a file; FileName, FileTitle and Flags then hold the result.
    // After Cancel every field keeps its value.
    bool ShowOpen(QWidget *owner = nullptr);
    bool ShowSave(QWidget *owner = nullptr);

private:
    bool showFile(bool save);
};

} // namespace core
