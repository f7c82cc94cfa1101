#pragma once
// Types a key string into the widget that has the keyboard focus, as if the user pressed the
// keys. Key strings: plain characters; "+", "^", "%" hold Shift, Ctrl, Alt over the next item;
// "(...)" makes a group of plain characters for a modifier to hold; "{NAME}" or "{NAME n}" a
// named key (or one character) n times; "~" is Enter.
//
// The string is first turned into a list of keyboard records (key down, key up, Unicode
// character), exactly the sequence a keyboard would produce; the records are then delivered
// as Qt key events, in one uninterrupted run once control is back in the event loop.
#include <QString>
#include <vector>

namespace MSendInput {

inline constexpr quint32 KeyEventExtendedKey = 1;
inline constexpr quint32 KeyEventKeyUp = 2;
inline constexpr quint32 KeyEventUnicode = 4;

inline constexpr quint16 VkShift = 0x10;
inline constexpr quint16 VkControl = 0x11;
inline constexpr quint16 VkMenu = 0x12; // Alt

// One keyboard record.
struct KeyRecord {
    quint16 vk = 0;     // virtual-key code; 0 on a Unicode record
    quint16 scan = 0;   // scan code of a key-up record; the character of a Unicode record
    quint32 flags = 0;  // KeyEvent* bits
    char16_t ch = 0;    // on a key-down record: the character the keystroke types, 0 for none
};

// The keyboard layout the key strings are written for (US English): the key of a character as
// virtual-key code in the low byte and Shift (1), Ctrl (2), Alt (4) in the high byte; -1 when
// the layout has no key for it.
qint16 VkKeyScan(char16_t ch);
// The scan code of a virtual key on that layout (0 when it has none).
quint16 MapVirtualKey(quint16 vk);

// Turns a key string into its keyboard records. `capsLockOn` inverts Shift for plain letters,
// so that they still arrive in the case written.
std::vector<KeyRecord> ParseKeys(const QString &text, bool capsLockOn = false);

// Sends the keys to the focused widget (or the open popup) once the event loop runs again,
// as a keyboard's keys would arrive. `Wait` is accepted for the callers' sake; delivery is the
// same either way.
void SendKeys(const QString &Text, bool Wait = false);

} // namespace MSendInput
