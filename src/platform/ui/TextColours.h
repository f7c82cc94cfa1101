#pragma once
// Text colours the program chooses itself. Each is chosen against the colour it is drawn on, so
// that the text stays readable on a light and on a dark desktop palette alike: a colour of the
// program's own beside one taken from the desktop's palette is what makes a text vanish.
#include <QColor>
#include <QPalette>

class QWidget;

namespace platform::ui {

// A colour is light when its red, green and blue add up to more than 400.
bool isLight(const QColor &c);

// What stands out against `c`: black beside a light colour, white beside a dark one.
QColor contrastingColour(const QColor &c);

// The blue of a text drawn on `ground`: the designed dark blue on a light ground; on a dark
// ground, where a dark blue cannot be read, the same hue made light.
QColor blueOn(const QColor &designed, const QColor &ground);

// Draws `w`'s `text` role in blueOn(designed, the colour of its `ground` role).
void setBlueText(QWidget *w, const QColor &designed, QPalette::ColorRole text, QPalette::ColorRole ground);

} // namespace platform::ui
