#include "songlist/IncrementalSearch.h"

#include "core/AppState.h"
#include "core/MSendInput.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/OnScreenKeyboard.h"
#include "platform/ui/PromptService.h"
#include "platform/db/JetSql.h"
#include "platform/db/LocaleDate.h"
#include "platform/db/SqlFunctions.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

#include <QInputDevice>
#include <QLineEdit>

namespace songlist {

namespace ui = platform::ui;

namespace {

// VB's RTrim: trailing blanks only.
QString trimTrailingBlanks(const QString &s) {
    qsizetype n = s.size();
    while (n > 0 && s.at(n - 1) == QLatin1Char(' '))
        --n;
    return s.left(n);
}

} // namespace

QString IncrementalSearch::criteria(const QString &indexName, const QString &text) {
    // The text stays inside its literal whatever it holds: a quote in it is doubled.
    return indexName + QStringLiteral(" like ") + platform::db::jet::quoted(text + QLatin1Char('*'));
}

bool IncrementalSearch::locate(ui::DataControl &data, const QString &criteria) {
    auto *rs = data.recordset();
    if (!rs)
        return false;
    platform::db::Bookmark before;
    if (data.hasCurrentRow())
        before = rs->bookmark();
    if (data.findFirst(criteria))
        return true;
    if (!before.isEmpty())
        data.setBookmark(before);
    return false;
}

void IncrementalSearch::KeyUp(int KeyCode, int /*Shift*/) {
    if (w_.recordCount() < 1)
        return;
    // The page and up/down keys leave the box for the grid; they are not passed on.
    if (KeyCode == 33 || KeyCode == 34 || KeyCode == 38 || KeyCode == 40)
        w_.Table1->setFocus();
}

void IncrementalSearch::Change() {
    if (w_.recordCount() < 1)
        return;
    auto &s = core::g();
    try {
        ui::setMousePointer(ui::MousePointer::Hourglass);
        const QString text = w_.txtLocate->text();
        if (text.size() == 1) {
            while (w_.Table1->selBookmarkCount() > 0)
                w_.Table1->removeSelBookmark(0);
        }
        // A date sort searches only once the typed text forms a whole date.
        const auto date = s.SortIsDate ? platform::db::LocaleDate::parse(text) : std::nullopt;
        if (s.SortIsDate && !date) {
            ui::setMousePointer(ui::MousePointer::Default);
            return;
        }
        if (text.contains(QLatin1Char('[')) || text.contains(QLatin1Char(']'))) {
            // Brackets open a character list in the engine's patterns: the box starts over.
            w_.txtLocate->clear();
        } else if (!text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('#')) &&
                   !text.contains(QLatin1Char('*'))) {
            const QString index = s.ContactsTable ? s.ContactsTable->index() : QString();
            // A date is looked for as the grid shows it (with a four-digit year), however the
            // user wrote the year.
            const QString searched = date ? platform::db::jet::localeDateText(*date) : trimTrailingBlanks(text);
            s.LocateCriteria = criteria(index, searched);
            locate(*w_.Data1, s.LocateCriteria);
        }
        ui::setMousePointer(ui::MousePointer::Default);
    } catch (const std::exception &e) {
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(platform::db::errorText(e), ui::Buttons::OK, ui::Icon::None,
                   QStringLiteral("NameList.txtLocate"));
    }
}

void IncrementalSearch::KeyPress(int &KeyAscii) {
    w_.PendingMoveColumn = 0;
    if (KeyAscii != 13)
        return;
    KeyAscii = 0;
    auto &s = core::g();
    w_.Table1->setFocus();
    // With no row to open, the edit command says why instead of the editor failing to load one.
    if (w_.recordCount() <= 0) {
        w_.cmdEdit_Click();
        return;
    }
    s.EditingExistingRecord = true;
    OtherWindows::open(QString::fromLatin1(OtherWindows::NameEdit));
    s.EditingExistingRecord = false;
}

std::function<IncrementalSearch::InputDevices()> &IncrementalSearch::inputDevicesHook() {
    static std::function<InputDevices()> hook;
    return hook;
}

IncrementalSearch::InputDevices IncrementalSearch::inputDevices() {
    if (const auto &hook = inputDevicesHook())
        return hook();
    InputDevices d;
    d.mousePresent = false;
    for (const QInputDevice *dev : QInputDevice::devices()) {
        if (dev->type() == QInputDevice::DeviceType::Mouse || dev->type() == QInputDevice::DeviceType::TouchPad)
            d.mousePresent = true;
        if (dev->type() == QInputDevice::DeviceType::TouchScreen)
            d.touchScreen = true;
    }
    return d;
}

void IncrementalSearch::Click() {
    // Asked anew on every click: a tablet may get or lose its mouse while the program runs.
    const InputDevices d = inputDevices();
    if (!d.mousePresent && d.touchScreen)
        ui::startOnScreenKeyboard();
}

bool IncrementalSearch::focusLeftForAControl(Qt::FocusReason reason) {
    // A popup (the box's own context menu, a menu of the window) or another window taking the
    // focus is not the user moving on: the text stays, so a Paste lands in it.
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

void IncrementalSearch::LostFocus() { w_.txtLocate->clear(); }

QString IncrementalSearch::alphabetKeys(int index) {
    if (index >= 0 && index <= 25)
        return QString(QChar(char16_t(index + 65)));
    if (index >= 26 && index <= 35)
        return QString(QChar(char16_t(index + 22)));
    if (index == 36)
        return QStringLiteral(" ");
    if (index == 37)
        return QStringLiteral("{BS}");
    return {};
}

void IncrementalSearch::AlphabetClick(int Index) {
    w_.txtLocate->setFocus();
    const QString keys = alphabetKeys(Index);
    if (!keys.isEmpty())
        MSendInput::SendKeys(keys, false);
}

} // namespace songlist
