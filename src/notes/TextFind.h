#pragma once
// Find and Find Next of the two notes windows: the same prompts, messages and rules on the plain
// text of each window's box. Positions are 1-based character positions of that text; a search
// never wraps past the end.
#include <QString>
#include <functional>

class QPushButton;

namespace notes {

class TextFind {
public:
    // What the search needs of its window.
    struct Box {
        std::function<QString()> text;                 // the box's plain text
        std::function<int()> selStart;                 // 0-based
        std::function<int()> selLength;
        std::function<void(int start, int length)> select; // focuses the box and selects
    };

    explicit TextFind(Box box, QPushButton *findNext = nullptr) : box_(std::move(box)), findNext_(findNext) {}
    void setFindNext(QPushButton *findNext) { findNext_ = findNext; }

    // First position of `what` in `text` at or after the 1-based `start`, compared without
    // regard to case; 0 when there is none (or `start` lies past the end).
    static int inStr(int start, const QString &text, const QString &what);

    void cmdFind_Click();
    void cmdFindNext_Click();
    void clear() { FindText.clear(); FindPosition = 0; }

    QString FindText;
    int FindPosition = 0;

private:
    void selectMatch();

    Box box_;
    QPushButton *findNext_;
};

} // namespace notes
