#include "core/MSendInput.h"

#include <QApplication>
#include <QHash>
#include <QKeyEvent>
#include <QSet>
#include <QWidget>

#include <array>

namespace MSendInput {

namespace {

// --- Key names ------------------------------------------------------------------------------

struct KeyTables {
    QHash<QString, quint16> KeyNames;
    QSet<QString> ExtendedKeys;
};

void AddKeyName(KeyTables &t, quint16 code, const QString &name, bool extended) {
    t.KeyNames.insert(name, code);
    if (extended)
        t.ExtendedKeys.insert(name);
}

KeyTables BuildKeyTable() {
    KeyTables t;
    struct Entry { const char *name; quint16 code; bool ext; };
    static const Entry entries[] = {
        {"BACKSPACE", 0x08, false}, {"BS", 0x08, false}, {"BKSP", 0x08, false},
        {"BREAK", 0x13, true}, {"CAPSLOCK", 0x14, false},
        {"DELETE", 0x2E, true}, {"DEL", 0x2E, true}, {"DOWN", 0x28, true}, {"END", 0x23, true},
        {"ENTER", 0x0D, false}, {"ESC", 0x1B, false}, {"HELP", 0x2F, false}, {"HOME", 0x24, true},
        {"INS", 0x2D, true}, {"INSERT", 0x2D, true}, {"LEFT", 0x25, true}, {"NUMLOCK", 0x90, true},
        {"PGDN", 0x22, true}, {"PGUP", 0x21, true}, {"PAUSE", 0x13, false}, {"PRINT", 0x2A, true},
        {"PRTSC", 0x2C, true}, {"PRTSCN", 0x2C, true}, {"PRINTSCRN", 0x2C, true},
        {"PRINTSCREEN", 0x2C, true}, {"RIGHT", 0x27, true}, {"SCROLLLOCK", 0x91, false},
        {"SELECT", 0x29, false}, {"TAB", 0x09, false}, {"UP", 0x26, true},
    };
    for (const Entry &e : entries)
        AddKeyName(t, e.code, QString::fromLatin1(e.name), e.ext);
    for (int i = 1; i <= 16; ++i)
        AddKeyName(t, static_cast<quint16>(0x6F + i), QStringLiteral("F%1").arg(i), false);
    return t;
}

const KeyTables &keyTables() {
    static const KeyTables t = BuildKeyTable();
    return t;
}

quint16 KeyNameToVk(const QString &name) { return keyTables().KeyNames.value(name.toUpper(), 0); }

bool IsExtendedKey(const QString &name) { return keyTables().ExtendedKeys.contains(name.toUpper()); }

// The character a named key types, for the key events' text.
char16_t namedKeyChar(quint16 vk) {
    switch (vk) {
    case 0x08: return u'\b';
    case 0x09: return u'\t';
    case 0x0D: return u'\r';
    case 0x1B: return 0x1B;
    default: return 0;
    }
}

// The leading whole number of a word, as a count; anything else counts 0.
int leadingCount(const QString &word) {
    qsizetype i = 0;
    while (i < word.size() && word.at(i) == QLatin1Char(' '))
        ++i;
    bool negative = false;
    if (i < word.size() && (word.at(i) == QLatin1Char('-') || word.at(i) == QLatin1Char('+')))
        negative = word.at(i++) == QLatin1Char('-');
    long n = 0;
    for (; i < word.size() && word.at(i).isDigit() && word.at(i).unicode() < 128; ++i)
        n = std::min(n * 10 + (word.at(i).unicode() - '0'), 32767L); // an Integer count
    return negative ? 0 : static_cast<int>(n);
}

// The character a key of the layout types with or without Shift (0 for none).
char16_t layoutChar(quint16 vk, bool shift) {
    static const QHash<int, char16_t> chars = [] {
        QHash<int, char16_t> m;
        for (char16_t c = 0; c < 128; ++c) {
            const qint16 ks = VkKeyScan(c);
            if (ks != -1 && !m.contains(ks))
                m.insert(ks, c);
        }
        return m;
    }();
    return chars.value((vk & 0xFF) | (shift ? 0x100 : 0), 0);
}

// --- The parser ---------------------------------------------------------------------------

class Parser {
public:
    Parser(const QString &text, bool capsLockOn) : SendText(text), capsLockOn_(capsLockOn) {}

    std::vector<KeyRecord> run() {
        while (SendPos < SendText.size())
            ParseNextItem();
        return std::move(InputQueue);
    }

private:
    QChar charAt(qsizetype pos1) const { return SendText.at(pos1 - 1); } // 1-based

    void ParseNextItem() {
        // A modifier at the very end of the string has no item: it is pressed and released alone.
        if (SendPos >= SendText.size())
            return;
        ++SendPos;
        const QChar c = charAt(SendPos);
        if (c == QLatin1Char('+') || c == QLatin1Char('^') || c == QLatin1Char('%'))
            ParseModifier(c);
        else if (c == QLatin1Char('('))
            ParseGroup();
        else if (c == QLatin1Char('{'))
            ParseKeyName();
        else
            SendChar(c);
    }

    void ParseModifier(QChar c) {
        const quint16 vk = c == QLatin1Char('+') ? VkShift : c == QLatin1Char('^') ? VkControl : VkMenu;
        const int bit = c == QLatin1Char('+') ? 1 : c == QLatin1Char('^') ? 2 : 4;
        AddVirtualKey(vk, true);
        ModifierState |= bit;
        ParseNextItem();
        AddVirtualKey(vk, false);
        ModifierState &= ~bit;
    }

    void ParseGroup() {
        // SendPos is the "(" (1-based), so SendPos is also the 0-based index just after it.
        const qsizetype close = SendText.indexOf(QLatin1Char(')'), SendPos);
        if (close < 0 || close == SendPos)
            return;
        for (qsizetype i = SendPos; i < close; ++i)
            SendChar(SendText.at(i));
        SendPos = close + 1;
    }

    void ParseKeyName() {
        // The search starts two characters after the "{", so "{}}" names the "}" itself.
        const qsizetype close = SendText.indexOf(QLatin1Char('}'), SendPos + 1);
        if (close < 0)
            return;
        const QString inner = SendText.mid(SendPos, close - SendPos);
        const QStringList words = inner.split(QLatin1Char(' '));
        const QString name = words.at(0);
        int count = words.size() > 1 ? leadingCount(words.at(1)) : 0;
        if (count < 1)
            count = 1;

        const quint16 code = KeyNameToVk(name);
        if (code != 0) {
            const bool extended = IsExtendedKey(name);
            for (int i = 0; i < count; ++i)
                AddModifierKeys(code, false, extended, false, namedKeyChar(code));
        } else {
            const QChar first = inner.at(0);
            const qint16 ks = VkKeyScan(first.unicode());
            for (int i = 0; i < count; ++i) {
                if (ks == -1) {
                    // No key on the layout: typed by its code, as a plain character would be.
                    AddUnicodeChar(first.unicode());
                } else {
                    const int hi = (ks >> 8) & 0xFF;
                    const auto vk = static_cast<quint16>(ks & 0xFF);
                    AddModifierKeys(vk, hi & 1, false, (hi & 6) != 0, typedChar(vk, hi & 1));
                }
            }
        }
        SendPos = close + 1;
    }

    void SendChar(QChar c) {
        const char16_t code = c.unicode();
        if (code <= 255) {
            const bool tilde = c == QLatin1Char('~');
            const qint16 keyWord = tilde ? 13 : VkKeyScan(code);
            if (keyWord != -1) {
                const int hi = (keyWord >> 8) & 0xFF;
                bool shift = hi & 1;
                const bool letter = (code >= u'A' && code <= u'Z') || (code >= u'a' && code <= u'z');
                if (capsLockOn_ && letter)
                    shift = !shift;
                const auto vk = static_cast<quint16>(keyWord & 0xFF);
                AddModifierKeys(vk, shift, false, (hi & 6) != 0, tilde ? u'\r' : typedChar(vk, shift));
                return;
            }
        }
        AddUnicodeChar(code);
    }

    // What the key types with the Shift and Caps Lock state it will be pressed in: "+c" types
    // "C", and "{a}" with Caps Lock on types "A".
    char16_t typedChar(quint16 vk, bool shift) const {
        bool shifted = shift || (ModifierState & 1);
        if (capsLockOn_ && vk >= 0x41 && vk <= 0x5A)
            shifted = !shifted;
        return layoutChar(vk, shifted);
    }

    void AddModifierKeys(quint16 code, bool shift, bool extended, bool ctrlAndAlt, char16_t ch) {
        const bool shiftDown = shift && !(ModifierState & 1);
        if (shiftDown)
            AddVirtualKey(VkShift, true);
        if (ctrlAndAlt) {
            AddVirtualKey(VkControl, true);
            AddVirtualKey(VkMenu, true);
        }
        InputQueue.push_back({code, 0, extended ? KeyEventExtendedKey : 0u, ch});
        InputQueue.push_back({code, MapVirtualKey(code), KeyEventKeyUp, 0});
        if (ctrlAndAlt) {
            AddVirtualKey(VkControl, false);
            AddVirtualKey(VkMenu, false);
        }
        if (shiftDown)
            AddVirtualKey(VkShift, false);
    }

    void AddUnicodeChar(char16_t code) {
        InputQueue.push_back({0, code, KeyEventUnicode, code});
        InputQueue.push_back({0, code, KeyEventUnicode | KeyEventKeyUp, 0});
    }

    void AddVirtualKey(quint16 vk, bool down) {
        InputQueue.push_back({vk, 0, down ? 0u : KeyEventKeyUp, 0});
    }

    QString SendText;
    qsizetype SendPos = 0; // 1-based position of the last character consumed
    // Grows with every record it takes, so no item can run past its end.
    std::vector<KeyRecord> InputQueue;
    int ModifierState = 0;
    bool capsLockOn_;
};

// --- Delivery as Qt key events -----------------------------------------------------------

int qtKeyForChar(char16_t ch) { return QChar(ch).toUpper().unicode(); }

int qtKeyForVk(quint16 vk, char16_t ch, Qt::KeyboardModifiers mods) {
    switch (vk) {
    case 0x08: return Qt::Key_Backspace;
    case 0x09: return (mods & Qt::ShiftModifier) ? Qt::Key_Backtab : Qt::Key_Tab;
    case 0x0D: return Qt::Key_Return;
    case 0x10: return Qt::Key_Shift;
    case 0x11: return Qt::Key_Control;
    case 0x12: return Qt::Key_Alt;
    case 0x13: return Qt::Key_Pause;
    case 0x14: return Qt::Key_CapsLock;
    case 0x1B: return Qt::Key_Escape;
    case 0x20: return Qt::Key_Space;
    case 0x21: return Qt::Key_PageUp;
    case 0x22: return Qt::Key_PageDown;
    case 0x23: return Qt::Key_End;
    case 0x24: return Qt::Key_Home;
    case 0x25: return Qt::Key_Left;
    case 0x26: return Qt::Key_Up;
    case 0x27: return Qt::Key_Right;
    case 0x28: return Qt::Key_Down;
    case 0x29: return Qt::Key_Select;
    case 0x2A: return Qt::Key_Print;
    case 0x2C: return Qt::Key_Print;
    case 0x2D: return Qt::Key_Insert;
    case 0x2E: return Qt::Key_Delete;
    case 0x2F: return Qt::Key_Help;
    case 0x90: return Qt::Key_NumLock;
    case 0x91: return Qt::Key_ScrollLock;
    default: break;
    }
    if (vk >= 0x70 && vk <= 0x7F)
        return Qt::Key_F1 + (vk - 0x70);
    if ((vk >= 0x30 && vk <= 0x39) || (vk >= 0x41 && vk <= 0x5A))
        return vk;
    return ch ? qtKeyForChar(ch) : Qt::Key_unknown;
}

Qt::KeyboardModifier modifierOf(quint16 vk) {
    switch (vk) {
    case VkShift: return Qt::ShiftModifier;
    case VkControl: return Qt::ControlModifier;
    case VkMenu: return Qt::AltModifier;
    default: return Qt::NoModifier;
    }
}

// Where a keyboard's key would go now: the open popup, else the focused widget.
QWidget *keyTarget() {
    if (QWidget *popup = QApplication::activePopupWidget())
        return popup->focusWidget() ? popup->focusWidget() : popup;
    return QApplication::focusWidget();
}

void deliver(const std::vector<KeyRecord> &records) {
    Qt::KeyboardModifiers mods;
    for (const KeyRecord &r : records) {
        const bool up = r.flags & KeyEventKeyUp;
        const QEvent::Type type = up ? QEvent::KeyRelease : QEvent::KeyPress;
        int key;
        QString text;
        if (r.flags & KeyEventUnicode) {
            key = qtKeyForChar(r.scan);
            text = QString(QChar(r.scan));
        } else {
            if (const Qt::KeyboardModifier m = modifierOf(r.vk); m != Qt::NoModifier) {
                if (up)
                    mods &= ~m;
                else
                    mods |= m;
            }
            key = qtKeyForVk(r.vk, r.ch, mods);
            // Ctrl or Alt alone make a shortcut, not a character; both together are AltGr.
            const bool shortcut = bool(mods & Qt::ControlModifier) != bool(mods & Qt::AltModifier);
            if (r.ch && !shortcut)
                text = QString(QChar(r.ch));
        }
        // Re-read the target for every event: a key may move the focus (Tab) or open a popup.
        QWidget *target = keyTarget();
        if (!target)
            continue;
        QKeyEvent ev(type, key, mods, text);
        QCoreApplication::sendEvent(target, &ev);
    }
}

} // namespace

// --- Layout -----------------------------------------------------------------------------------

qint16 VkKeyScan(char16_t ch) {
    static const std::array<qint16, 128> table = [] {
        std::array<qint16, 128> t;
        t.fill(-1);
        const auto set = [&t](char c, int vk, bool shift) { t[static_cast<unsigned char>(c)] = static_cast<qint16>(vk | (shift ? 0x100 : 0)); };
        for (char c = 'a'; c <= 'z'; ++c) {
            set(c, c - 'a' + 'A', false);
            set(static_cast<char>(c - 'a' + 'A'), c - 'a' + 'A', true);
        }
        for (char c = '0'; c <= '9'; ++c)
            set(c, c, false);
        const char *shiftedDigits = ")!@#$%^&*(";
        for (int i = 0; i < 10; ++i)
            set(shiftedDigits[i], '0' + i, true);
        struct Oem { char plain, shifted; int vk; };
        static const Oem oems[] = {{';', ':', 0xBA}, {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD},
                                   {'.', '>', 0xBE}, {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB},
                                   {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE}};
        for (const Oem &o : oems) {
            set(o.plain, o.vk, false);
            set(o.shifted, o.vk, true);
        }
        set(' ', 0x20, false);
        set('\b', 0x08, false);
        set('\t', 0x09, false);
        set('\r', 0x0D, false);
        set('\x1b', 0x1B, false);
        return t;
    }();
    return ch < 128 ? table[ch] : -1;
}

quint16 MapVirtualKey(quint16 vk) {
    static const QHash<quint16, quint16> scans = [] {
        QHash<quint16, quint16> s;
        const char *rows[] = {"QWERTYUIOP", "ASDFGHJKL", "ZXCVBNM"};
        const quint16 starts[] = {0x10, 0x1E, 0x2C};
        for (int r = 0; r < 3; ++r)
            for (int i = 0; rows[r][i]; ++i)
                s.insert(static_cast<quint16>(rows[r][i]), static_cast<quint16>(starts[r] + i));
        for (int d = 1; d <= 9; ++d)
            s.insert(static_cast<quint16>('0' + d), static_cast<quint16>(0x01 + d));
        s.insert('0', 0x0B);
        for (int f = 0; f < 10; ++f)
            s.insert(static_cast<quint16>(0x70 + f), static_cast<quint16>(0x3B + f));
        const std::pair<quint16, quint16> rest[] = {
            {0x08, 0x0E}, {0x09, 0x0F}, {0x0D, 0x1C}, {0x10, 0x2A}, {0x11, 0x1D}, {0x12, 0x38},
            {0x13, 0x45}, {0x14, 0x3A}, {0x1B, 0x01}, {0x20, 0x39}, {0x21, 0x49}, {0x22, 0x51},
            {0x23, 0x4F}, {0x24, 0x47}, {0x25, 0x4B}, {0x26, 0x48}, {0x27, 0x4D}, {0x28, 0x50},
            {0x2C, 0x54}, {0x2D, 0x52}, {0x2E, 0x53}, {0x7A, 0x57}, {0x7B, 0x58}, {0x90, 0x45},
            {0x91, 0x46}, {0xBA, 0x27}, {0xBB, 0x0D}, {0xBC, 0x33}, {0xBD, 0x0C}, {0xBE, 0x34},
            {0xBF, 0x35}, {0xC0, 0x29}, {0xDB, 0x1A}, {0xDC, 0x2B}, {0xDD, 0x1B}, {0xDE, 0x28}};
        for (const auto &p : rest)
            s.insert(p.first, p.second);
        return s;
    }();
    return scans.value(vk, 0);
}

std::vector<KeyRecord> ParseKeys(const QString &text, bool capsLockOn) { return Parser(text, capsLockOn).run(); }

void SendKeys(const QString &Text, bool Wait) {
    Q_UNUSED(Wait);
    std::vector<KeyRecord> records = ParseKeys(Text);
    if (records.empty() || !QCoreApplication::instance())
        return;
    // The keys reach the focus after the caller returns to the event loop, as typed keys do.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(),
        [records = std::move(records)] {
            try {
                deliver(records);
            } catch (...) {
            }
        },
        Qt::QueuedConnection);
}

} // namespace MSendInput
