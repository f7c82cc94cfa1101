#pragma once
// The screen's mouse pointer, as the program sets it around long jobs: the hourglass while a
// job runs, the default afterwards. HourglassPointer does both as a scope guard.
namespace platform::ui {

enum class MousePointer { Default = 0, Hourglass = 11 };

void setMousePointer(MousePointer pointer);
MousePointer mousePointer();

// Shows the hourglass for its lifetime and then puts back the pointer it found.
class HourglassPointer {
public:
    HourglassPointer();
    ~HourglassPointer();
    HourglassPointer(const HourglassPointer &) = delete;
    HourglassPointer &operator=(const HourglassPointer &) = delete;

private:
    MousePointer previous_;
};

// Puts the default pointer back when it goes out of scope, however the command ends.
struct DefaultPointerAtEnd {
    DefaultPointerAtEnd() = default;
    DefaultPointerAtEnd(const DefaultPointerAtEnd &) = delete;
    DefaultPointerAtEnd &operator=(const DefaultPointerAtEnd &) = delete;
    ~DefaultPointerAtEnd() { setMousePointer(MousePointer::Default); }
};

} // namespace platform::ui
