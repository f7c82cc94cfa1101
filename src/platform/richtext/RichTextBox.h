#pragma once
// The rich-text box of notes and reports: a text edit whose content goes in and out as RTF
// (our own reader and writer), with the selection properties the windows set and read.
//
// Positions count one character per paragraph end and per picture, so Text, SelStart and
// SelLength agree. The Sel* attributes read empty when the selection mixes values; with no
// selection they are the insertion format, which the setters then change. What a paste brings
// is cut down to what the writer keeps, so a saved note reopens as it was shown.
#include "platform/richtext/PageRenderer.h"
#include "platform/richtext/RichTextDocument.h"
#include "platform/richtext/RtfReader.h"

#include <QTextEdit>

#include <functional>
#include <memory>
#include <optional>

namespace platform::richtext {

class RichTextBox : public QTextEdit {
    Q_OBJECT
public:
    explicit RichTextBox(QWidget *parent = nullptr);
    ~RichTextBox() override;

    RichTextDocument *richDocument() const { return doc_; }

    // The whole content as RTF. Setting it reads RTF, or plain text when the text does not begin
    // with "{\rtf" ("" empties the box); it raises Change.
    QString TextRTF() const;
    void setTextRTF(const QString &rtf);
    // Makes `doc`, written apart, the box's content (in the box's default font) in the place of
    // what it held, and raises Change. The box lays the text out once, from the top as it is
    // shown, where text inserted into the box is laid out at every insertion.
    void adopt(std::unique_ptr<RichTextDocument> doc);

    // The content as plain text: "\n" for each paragraph end and line break, U+FFFC for each
    // picture. Setting it replaces everything with plain text in the box's font (hides
    // QTextEdit::setText, which would guess HTML) and raises Change.
    QString Text() const;
    void setText(const QString &text);

    int SelStart() const;
    void setSelStart(int start);  // puts the caret there, nothing selected
    int SelLength() const;
    void setSelLength(int length); // selects from SelStart
    QString SelText() const;
    // Replaces the selection with `text` in the insertion format; CR LF, CR and LF each end a
    // paragraph, a form feed stays a character. The caret ends after the text.
    void setSelText(const QString &text);

    std::optional<QString> SelFontName() const;
    void setSelFontName(const QString &name);
    std::optional<double> SelFontSize() const; // points
    void setSelFontSize(double points);
    std::optional<bool> SelBold() const;
    void setSelBold(bool on);
    std::optional<bool> SelItalic() const;
    void setSelItalic(bool on);
    std::optional<bool> SelUnderline() const;
    void setSelUnderline(bool on);
    std::optional<bool> SelStrikeThru() const;
    void setSelStrikeThru(bool on);
    // A Windows colour long, &HBBGGRR; automatic text reads as 0 (black).
    std::optional<long> SelColor() const;
    void setSelColor(long bgr);

    // Locked: no typing or pasting by the user; the caret, selection and copy still work.
    bool Locked() const { return locked_; }
    void setLocked(bool locked);

    // Writes the content as RTF through a temporary file renamed over `path`. Throws
    // std::runtime_error with a message on failure; the old file is then untouched.
    void SaveFile(const QString &path) const;
    // Reads a file as TextRTF does. Throws std::runtime_error when it cannot be read.
    void LoadFile(const QString &path);

    // Inserts a picture file at the caret, replacing the selection: JPEG and PNG as they are,
    // other pictures made PNG. False, with the reason, for a file that is no picture.
    bool insertPicture(const QString &path, QString *reason = nullptr);

    // The problems the last TextRTF or LoadFile met in damaged RTF (empty when it read clean).
    const QList<ReadProblem> &readProblems() const { return problems_; }

    // Draws from character `first` the lines that fit `pageRectTwips` of the painter's device
    // and returns the index of the first character not drawn (see PageRenderer).
    int formatRange(int first, QPainter &painter, const QRect &pageRectTwips);

signals:
    void Change();
    void SelChange();

protected:
    bool canInsertFromMimeData(const QMimeData *source) const override;
    void insertFromMimeData(const QMimeData *source) override;
    QMimeData *createMimeDataFromSelection() const override;

private:
    QTextCharFormat insertionFormat(const QTextCursor &c) const;
    void applyFormat(const QTextCharFormat &change);
    template <typename T, typename Get> std::optional<T> selAttribute(Get get) const;
    void replaceContent(const std::function<void()> &fill);
    void watchDocument();
    void insertDocument(const RichTextDocument &from);
    void insertImage(const QString &name, QSizeF twips);

    RichTextDocument *doc_;
    std::unique_ptr<PageRenderer> pages_;
    QList<ReadProblem> problems_;
    bool locked_ = false;
    int quiet_ = 0; // while above 0, content changes raise no Change (one is raised at the end)
};

} // namespace platform::richtext
