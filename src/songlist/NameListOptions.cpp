// The main window's options and help: the background colour, grid editing, the options kept in
// the registry (window size, file renaming, warnings, scroll bar width), the font and database
// location windows, and help.
#include "songlist/NameList.h"

#include "core/About.h"
#include "core/AppState.h"
#include "core/HelpViewer.h"
#include "core/RegistryOptions.h"
#include "core/SettingsRows.h"
#include "core/frmDatabaseLocation.h"
#include "core/frmFontForm.h"
#include "platform/settings/RegistryImport.h"
#include "platform/ui/PromptService.h"
#include "platform/ui/TextColours.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <cmath>

namespace songlist {

namespace st = platform::settings;
namespace ui = platform::ui;
using core::RegistryOptions;
using core::SettingsRows;

namespace {

// On/off options keep their state in the caption of their menu entry: a handler compares the
// caption with its two texts and writes the other one.
const QString kAllowGridEditing = QStringLiteral("Allow &Grid Editing");
const QString kDisableGridEditing = QStringLiteral("Disable &Grid Editing");
const QString kRememberSize = QStringLiteral("Remember window size between sessions");
const QString kDoNotRememberSize = QStringLiteral("Do not remember window size between sessions");
const QString kDisallowRename = QStringLiteral("Do not allow files to be renamed or moved ...");
const QString kAllowRename = QStringLiteral("Allow files to be renamed or moved");
const QString kWebSite = QStringLiteral("https://orvalis.example/");

QColor toQColor(qint64 v) { return QColor(int(v & 0xFF), int((v >> 8) & 0xFF), int((v >> 16) & 0xFF)); }
qint64 fromQColor(const QColor &c) { return qint64(c.red()) | (qint64(c.green()) << 8) | (qint64(c.blue()) << 16); }

} // namespace

QString NameList::windowSizeCaption(bool remembered) { return remembered ? kDoNotRememberSize : kRememberSize; }

QString NameList::fileRenameCaption(bool disabled) { return disabled ? kAllowRename : kDisallowRename; }

void NameList::setBackColor(qint64 colour) {
    backColor_ = colour;
    // The texts drawn on the background (the alphabet, "Locate:", "Sort by:", the view's name)
    // take their colour from it, not from the desktop: the desktop's text colour may be as light
    // or as dark as the chosen background.
    QPalette p = centralWidget()->palette();
    p.setColor(QPalette::Window, toQColor(colour));
    p.setColor(QPalette::WindowText, ui::contrastingColour(toQColor(colour)));
    centralWidget()->setPalette(p);
}

void NameList::writeBackColor() {
    SettingsRows::write(QString::fromLatin1(SettingsRows::BackColor), QString::number(backColor_));
}

void NameList::SelectColor_Click() {
    // Errors are ignored here: a failure leaves the colour as it was.
    try {
        const auto chosen = ui::prompts().chooseColor(toQColor(backColor_));
        if (!chosen)
            return;
        const qint64 colour = fromQColor(*chosen);
        if (colour != backColor_) {
            setBackColor(colour);
            writeBackColor();
        }
    } catch (...) {
    }
}

void NameList::RestoreColor_Click() {
    setBackColor(DesignBackColor);
    writeBackColor();
}

void NameList::GridEditMenu_Click() {
    const QString caption = GridEditMenu->text();
    if (caption == kAllowGridEditing) {
        GridEditMenu->setText(kDisableGridEditing);
        Table1->setAllowUpdate(true);
    } else if (caption == kDisableGridEditing) {
        GridEditMenu->setText(kAllowGridEditing);
        Table1->setAllowUpdate(false);
    }
}

void NameList::mnuOptionFileRename_Click() {
    auto &s = core::g();
    if (mnuOptionFileRename->text() == kDisallowRename) {
        const QString P = s.ProductName;
        const QString crlf = QStringLiteral("\r\n");
        const QString text =
            QStringLiteral("By choosing this option, you are preventing ") + P +
            QStringLiteral(" from renaming a music file on your computer when you change it's File Name on the Edit "
                           "screen.") +
            crlf + crlf + QStringLiteral("This also prevents ") + P +
            QStringLiteral(" from moving a music file to a different folder when you ") +
            QStringLiteral("change it's Path Name on the Edit screen.") + crlf + crlf +
            QStringLiteral("This prevents ") + P +
            QStringLiteral(" from keeping your database in sync with the files on your computer.  You must ") +
            QStringLiteral("be careful to keep files in sync manually. ") + crlf + crlf +
            QStringLiteral("Are you sure you want to do this?");
        const auto answer =
            ui::msgBox(text, ui::Buttons::YesNo, ui::Icon::Information,
                       QStringLiteral("Do not allow files to be renamed or moved.  Are you sure?"));
        if (answer == ui::Answer::Yes)
            setFileRenameDisabled(true);
    } else {
        setFileRenameDisabled(false);
    }
}

void NameList::setFileRenameDisabled(bool disabled) {
    RegistryOptions::setFileRenameDisabled(disabled);
    mnuOptionFileRename->setText(fileRenameCaption(disabled));
    core::g().FileRenameDisabled = disabled;
}

void NameList::mnuOptionWindowSize_Click() {
    const bool remember = mnuOptionWindowSize->text() == kRememberSize;
    RegistryOptions::setRememberWindowSize(remember);
    mnuOptionWindowSize->setText(windowSizeCaption(remember));
    core::g().RememberWindowSize = remember;
}

void NameList::mnuOptionsWarningMessagesReset_Click() {
    RegistryOptions::resetWarnings();
    ui::msgBox(QStringLiteral("All warning messages will now appear."), ui::Buttons::OK, ui::Icon::None,
               QStringLiteral("Done"));
}

void NameList::ScrollBarWidth_Click() {
    const auto &s = core::g();
    const QString P = s.ProductName;
    const QString path = s.DataFolder + QStringLiteral("ScrollbarWidthChange.txt");
    try {
        if (QFileInfo::exists(path) && !QFile::remove(path))
            throw std::runtime_error("The file " + path.toStdString() + " cannot be deleted.");
        const QString cr = QStringLiteral("\r");
        const QString prompt =
            QStringLiteral("Enter Scroll Bar Width.  The normal width is 252.  The higher the number,the wider the "
                           "scroll bar.  A value of 500 is often a good size for a tablet computer.  You can enter "
                           "values from 120 to 1500.  The change will take effect when ") +
            P + QStringLiteral(" is next started, and applies to ") + P + QStringLiteral(".");
        const auto answer = ui::prompts().input({prompt, QStringLiteral("Enter new scroll bar width"),
                                                 QStringLiteral("252"), false, {}});
        if (!answer || answer->isEmpty())
            return;
        bool numeric = false;
        const double value = answer->trimmed().toDouble(&numeric);
        if (!numeric || value > 1500 || value < 120) {
            ui::msgBox(QStringLiteral("The value you supplied is outside the range of allowable values."),
                       ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Invalid value"));
            return;
        }
        const int N = int(std::nearbyint(value));  // a half goes to the even neighbour
        const QString n = QString::number(N);
        const QString crlf = QStringLiteral("\r\n");
        const QString text = QStringLiteral("Windows Registry Editor Version 5.00") + crlf + crlf +
                             QStringLiteral("[HKEY_CURRENT_USER\\Control Panel\\Desktop\\WindowMetrics]") + crlf +
                             QStringLiteral("\"ScrollHeight\"=\"-") + n + QStringLiteral("\"") + crlf +
                             QStringLiteral("\"ScrollWidth\"=\"-") + n + QStringLiteral("\"") + crlf;
        {
            QFile f(path);
            if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
                throw std::runtime_error(f.errorString().toStdString());
            const QByteArray bytes = text.toLatin1();
            if (f.write(bytes) != bytes.size())
                throw std::runtime_error(f.errorString().toStdString());
        }
        QString why;
        const bool imported = st::importRegistryFile(path, &why);
        QFile::remove(path);
        if (!imported)
            throw std::runtime_error(why.toStdString());
        ui::msgBox(QStringLiteral("Scroll Bar Width changed to ") + n + QStringLiteral(".") + cr +
                       QStringLiteral("The change will take effect when ") + P + QStringLiteral(" is next started."),
                   ui::Buttons::OK, ui::Icon::None, P);
    } catch (const std::exception &e) {
        ui::msgBox(QStringLiteral("The scroll bar width was not changed:  ") + QString::fromUtf8(e.what()),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Error - change not made"));
    }
}

void NameList::mnuFileFont_Click() { ui::showModal(ui::form<core::frmFontForm>(), this); }

void NameList::DataBaseLocation_Click() { ui::showModal(ui::form<core::frmDatabaseLocation>(), this); }

void NameList::AboutBox_Click() { ui::showModal(ui::form<core::About>()); }

void NameList::HelpSystem_Click() { core::HelpViewer::showHelp(this); }

void NameList::HelpGotoWebsite_Click() { ui::prompts().openUrl(QUrl(kWebSite)); }

void NameList::cmdHelp_Click() { HelpSystem_Click(); }

} // namespace songlist
