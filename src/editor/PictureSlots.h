#pragma once
// The editor's eight picture slots: a button over a box holding the bare name of a picture file
// in the pictures folder. A click opens the slot's picture in the picture window, or first lets
// the user pick a file when the slot is empty or its file is missing; the right button pops up
// the menu whose Paste image stores the clipboard's picture into the slot under a typed name.
//
// The picture window does the loading, storing and writing back into the slot's box; this
// class hands it the slot (core::g().CurrentPictureSlot), the picture's path or the name to
// store a pasted picture under (the main window's CMDialog1 FileName) and the paste flag.
#include <QString>

class QPoint;

namespace editor {

class NameEdit;

class PictureSlots {
public:
    explicit PictureSlots(NameEdit &w) : w_(w) {}

    // cmdPicture1_Click .. cmdPicture8_Click.
    void cmdPicture_Click(int slot);
    // cmdPicture1_MouseDown .. cmdPicture8_MouseDown; Button 2 is the right button and `pos` the
    // mouse position on the slot's button.
    void cmdPicture_MouseDown(int slot, int Button, const QPoint &pos);
    void mnuFilePasteImage_Click();
    // The "Load Picture" open dialog on the main window's CMDialog1: true when a file was chosen
    // (its path is then CMDialog1's FileName).
    bool GetFileName();

    // The picture name typed for a paste as it is handed over: ".jpg" added unless it ends in
    // ".jpg" in any letter case.
    static QString pasteFileName(const QString &name);
    // Paste image's prompt and its default answer.
    static QString pastePrompt();
    // The name offered: "<artist>-<song>-<album>" with every "/" made "-" and leading dots
    // dropped.
    static QString pasteDefaultName(const QString &artist, const QString &song, const QString &album);

private:
    NameEdit &w_;
};

} // namespace editor
