#pragma once
// Mouse-wheel forwarding: a hooked window gets every wheel turn over it as a call of its
// MouseWheel procedure, which scrolls its grid with GridScroll. Grids (QTableView) inside a
// hooked window scroll only this way, by three rows a notch.
#include "core/WheelTarget.h"

class QAbstractItemView;
class QWidget;

namespace mMouseScrollWheel {

// Hooks `window`: wheel turns over it call target->MouseWheel; without a target, the window
// itself when it is a core::WheelTarget. Hooking a hooked window again only updates the target.
void WheelHook(QWidget *window, core::WheelTarget *target = nullptr);
// Removes the hook; nothing happens when the window is not hooked.
void WheelUnHook(QWidget *window);
// Whether the window is hooked.
bool IsHooked(const QWidget *window);

// True when the screen point lies inside the window's screen rectangle, edges included.
bool IsOver(const QWidget *window, int X, int Y);

// Scrolls the grid by three rows for each notch: down when the wheel turns towards the user
// (negative Rotation), up when away. Finer steps add up until they make a notch. Scrolling
// past either end does nothing.
void GridScroll(QAbstractItemView *grid, int MouseKeys, int Rotation, int Xpos, int Ypos);

} // namespace mMouseScrollWheel
