#pragma once
// The picture window's plain rules: where its controls stand for a screen, how a picture is
// fitted into the 4:3 display box, which slot Next and Previous move to, and how names become
// the ".jpg" names of stored pictures. Measures are twips, as the window's design is.
#include <QString>
#include <QStringList>
#include <functional>

namespace pictures {

// The screen as the window's opening sees it: its size in twips and its twips per pixel
// (1440 / logical DPI: 15 at 96 DPI).
struct ScreenInfo {
    double width = 0;   // twips
    double height = 0;  // twips
    double twipsPerPixelX = 15;
    double twipsPerPixelY = 15;
};

// A control's rectangle in twips.
struct TwipsRect {
    double left = 0, top = 0, width = 0, height = 0;
};

// Where the window and its controls stand after the density, small-screen and layout steps.
struct PictureLayout {
    double windowWidth = 0, windowHeight = 0; // client area, twips
    TwipsRect picResized;
    TwipsRect cmdCancel, cmdClose, cmdLoadFile, cmdDelete, cmdClipboardPaste, cmdNext, cmdPrev;
    bool turned = false; // buttons in a row under the box (screen not wider than high)
};

// The design values: client area 14865 x 9195 twips laid out for 12 twips per pixel.
PictureLayout designLayout();
// The layout for a screen: density (x15/12 at 15 twips per pixel, x10/12 at 10), small
// screens (below 1280 x 800 pixels the window takes the screen's size), then the button
// column beside the box or, on a screen not wider than high, the turned window with a row.
PictureLayout layoutFor(const ScreenInfo &screen);

// The landscape factors of the fit rule: the opening's (seven threes) and the others' (six).
constexpr double OpeningFactor = 1.3333333;
constexpr double CommandFactor = 1.333333;

struct FittedSize {
    long width = 0, height = 0; // twips
};
// The size a picture of `w` x `h` pixels is painted at in a box of `boxW` x `boxH` twips: it
// fills the box's height (narrower than 4:3) or its width (wider), keeping its shape.
// Rounding is half to even.
FittedSize fitRule(int w, int h, double boxW, double boxH, double factor);

// The slot Next or Previous moves to from `slot` (1 to 8), trying only the slots its table
// lists; `counts(n)` tells whether slot n holds a stored picture. 0 when none counts.
int nextSlot(int slot, const std::function<bool(int)> &counts);
int previousSlot(int slot, const std::function<bool(int)> &counts);

// True when a slot text can name a file in the pictures folder: not empty after trimming and
// a bare file name (no folder part, not "." or ".."). Anything else is a broken link that is
// never read, moved or deleted.
bool isBareFileName(const QString &text);

// The ".jpg" name a picture is stored under: the text after the last dot becomes "jpg", or
// ".jpg" is appended when the name has no dot ("Cover.JPG" gives "Cover.jpg").
QString storedName(const QString &name);

// The hand-over name for a name typed for a pasted picture: the trimmed answer, followed by
// ".jpg" unless its last four characters are ".jpg" in any case. Empty when the answer is
// empty or no usable file name.
QString pasteName(const QString &answer);

// Why the name a pasted picture is to be stored under (a hand-over name, ending in ".jpg") is
// refused, as the message that says so; empty when it can be stored. A name starting with "."
// would be a hidden file that the viewer and Previous/Next never show, and one whose stored
// form is over 255 bytes cannot be written by the file system: the paste would be lost.
QString refusedPastedName(const QString &name);
// The title of that message.
QString refusedNameTitle();

// The first "<base> (2).jpg", "<base> (3).jpg", ... for which `taken` is false, where base is
// `name` without its ".jpg".
QString freeName(const QString &name, const std::function<bool(const QString &)> &taken);

} // namespace pictures
