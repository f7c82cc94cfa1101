#pragma once
// The formatting row of the titled notes window: bold, italic and underline toggles that show
// and set the selection's attributes, the label showing its font and colour, the font and colour
// dialog, and picture insertion.
namespace notes {

class MemoForm;

class NoteFormatting {
public:
    explicit NoteFormatting(MemoForm &w) : w_(w) {}

    void chkBold_Click();
    void chkItalic_Click();
    void chkUnderline_Click();
    void txtNotes_ShowSelectionFormat();
    void cmdFontColor_Click();
    void cmdPicture_Click();

    // Font-dialog flags: screen fonts, initialised from the fields, effects and colour, existing
    // fonts only, no script choice.
    static constexpr int FontFlags = 8454465;
    // Open-dialog flags: path and file must exist, share-aware, explorer style, long names.
    static constexpr int PictureFlags = 2643968;

private:
    MemoForm &w_;
};

} // namespace notes
