#pragma once
// Writes a report into a rich-text document through one cursor: runs of text with the
// character attributes the box's Sel* setters give, the text between two attribute changes
// inserted at once. The document needs no box and no layout while it is written, so a report
// of many thousand lines costs about what Qt's own insertion of its text does.
#include "platform/richtext/RichTextDocument.h"

#include <QString>
#include <QTextCharFormat>
#include <QTextCursor>

#include <optional>
#include <vector>

namespace platform::richtext {

class ReportText {
public:
    // Writes at the end of `doc`, starting from the attributes of `start`.
    explicit ReportText(RichTextDocument &doc, const QTextCharFormat &start = {});
    ~ReportText();
    ReportText(const ReportText &) = delete;
    ReportText &operator=(const ReportText &) = delete;

    void font(const QString &name);
    void size(double points);
    void bold(bool on);
    void color(long bgr); // a Windows colour long, &HBBGGRR
    // CR LF, CR and LF each end a paragraph; a form feed stays a character.
    void append(const QString &text) { pending_ += text; }
    void flush();

    // The change each attribute setter of the box and of this writer makes to a format.
    static QTextCharFormat fontChange(const QString &name);
    static std::optional<QTextCharFormat> sizeChange(double points);
    static QTextCharFormat boldChange(bool on);
    static QTextCharFormat colorChange(long bgr);
    // `text` with its line ends made paragraph ends, as a document holds them.
    static QString paragraphs(QString text);

private:
    enum class Kind { Font, Size, Bold, Color };
    // A report sets the same few attributes over and over: the format each setting gives from
    // each format met is remembered, so a repeated setting neither builds nor merges a format.
    struct Step {
        int from;
        Kind kind;
        double value;
        QString name;
        int to;
    };
    template <typename Make>
    void change(Kind kind, double value, const QString &name, const Make &make);

    QTextCursor cursor_;
    std::vector<QTextCharFormat> formats_; // each distinct format met, the current one at current_
    int current_ = 0;
    std::vector<Step> steps_;
    QString pending_;
};

} // namespace platform::richtext
