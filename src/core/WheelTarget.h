#pragma once
// What a window offers to be scrolled by the mouse wheel once it is hooked with
// mMouseScrollWheel::WheelHook.
namespace core {

class WheelTarget {
public:
    virtual ~WheelTarget() = default;
    // MouseKeys: the mouse buttons and Shift/Ctrl held (1 left, 2 right, 4 Shift, 8 Ctrl,
    // 16 middle); Rotation: the wheel distance, 120 per notch, positive away from the user;
    // Xpos, Ypos: the pointer's screen position.
    virtual void MouseWheel(int &MouseKeys, int &Rotation, int &Xpos, int &Ypos) = 0;
};

} // namespace core
