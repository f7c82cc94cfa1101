#include "core/Main.h"

#include "core/AppState.h"
#include "core/CatalogueInUse.h"
#include "core/DuplicateQueries.h"
#include "core/InputForm.h"
#include "core/PendingFileMoves.h"
#include "core/RegistryOptions.h"
#include "core/ShippedCatalogue.h"
#include "core/SingleInstance.h"
#include "core/StartupHooks.h"
#include "core/mCommon.h"
#include "core/mCommonDialog.h"
#include "platform/db/Database.h"
#include "platform/ui/Forms.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDevice>

#include <cerrno>
#include <cstring>
#include <optional>
#include <unistd.h>

namespace modMain {

using core::g;
using platform::db::Database;
using platform::db::DbError;
using platform::db::OpenMode;
namespace err = platform::db::err;
namespace ui = platform::ui;

namespace {

const QString kCatalogueFileName = QStringLiteral("OVdata.mdb");

// No mouse and a touch screen: the machine is used as a tablet.
bool tabletMode() {
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return false;
    bool mouse = false;
    bool touchScreen = false;
    const auto devices = QInputDevice::devices();
    for (const QInputDevice *d : devices) {
        switch (d->type()) {
        case QInputDevice::DeviceType::Mouse:
        case QInputDevice::DeviceType::TouchPad:
            mouse = true;
            break;
        case QInputDevice::DeviceType::TouchScreen:
            touchScreen = true;
            break;
        default:
            break;
        }
    }
    return !mouse && touchScreen;
}

bool fileExists(const QString &path) { return !path.isEmpty() && QFileInfo(path).isFile(); }

// A second copy: tell the user, raise the first copy's windows.
void refuseSecondCopy() {
    ui::msgBox(QStringLiteral("Orvalis is already running!  Make sure both the Player window and the main "
                              "Orvalis window are closed before starting Orvalis again."),
               ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("Orvalis"));
    core::singleInstance().activateRunningCopy();
}

// The general error message: the error's own text and its number.
void showError(int number, const QString &text) {
    ui::msgBox(text + QStringLiteral("    Error number: ") + QString::number(number), ui::Buttons::OK,
               ui::Icon::Critical, QStringLiteral("Error"));
}

StartResult finish(StartResult result, int exitCode = 0) {
    if (result != StartResult::MainWindowShown && core::hooks().endProgram)
        core::hooks().endProgram(exitCode);
    return result;
}

void closeCatalogue() {
    auto &s = g();
    if (s.ContactsTable) {
        try { s.ContactsTable->close(); } catch (...) {}
        s.ContactsTable.reset();
    }
    if (s.Db) {
        try { s.Db->close(); } catch (...) {}
        s.Db.reset();
    }
}

// Why `path` cannot be written, in the system's words ("Permission denied", "Read-only file
// system"); nullopt when it can.
std::optional<QString> notWritable(const QString &path) {
    if (::access(QFile::encodeName(path).constData(), W_OK) == 0)
        return std::nullopt;
    return QString::fromLocal8Bit(std::strerror(errno));
}

// A catalogue that cannot be written, or whose folder cannot take the log the database keeps
// beside it, would open showing nothing and fail at every change: say which, before anything
// is opened or written. nullopt when both can be written (or the file is missing, which the
// opening reports).
std::optional<QString> unwritableCatalogue(const QString &path) {
    const QFileInfo info(path);
    if (!info.isFile())
        return std::nullopt;
    // The log lies beside the file the path leads to, which for a link is its target's folder.
    const QString real = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    if (const auto why = notWritable(real))
        return QStringLiteral("The catalogue ") + path + QStringLiteral(" cannot be written: ") + *why +
               QStringLiteral(".");
    const QString folder = QFileInfo(real).absolutePath() + QLatin1Char('/');
    if (const auto why = notWritable(folder))
        return QStringLiteral("The data folder ") + folder + QStringLiteral(" cannot be written: ") + *why +
               QStringLiteral(".");
    return std::nullopt;
}

// Unloads the windows loaded since `before` (the last loaded first), so that a retry loads them
// afresh instead of finding them half loaded on the closed catalogue.
void unloadWindowsLoadedSince(const QList<QWidget *> &before) {
    auto &s = g();
    // Closing a half-loaded main window must not end the program: the catalogue is re-opened.
    const bool reopening = s.ReopeningDatabase;
    s.ReopeningDatabase = true;
    const QList<QWidget *> now = ui::loadedForms();
    for (auto it = now.crbegin(); it != now.crend(); ++it)
        if (!before.contains(*it))
            ui::unloadForm(*it);
    s.ReopeningDatabase = reopening;
}

enum class Opening { Opened, Abandoned };

QString askPassword() {
    return ShowInputForm(QStringLiteral("Type your password.  You have two chances to get it right."),
                         QStringLiteral("Password?"), QString(), true);
}

// Opens DatabasePath into Db; a protected file gets two chances at its password. Errors other
// than a wrong first password go to the caller's error handler.
Opening openDatabase() {
    auto &s = g();
    closeCatalogue();
    try {
        s.Db = Database::open(s.DatabasePath, OpenMode::Shared);
        return Opening::Opened;
    } catch (const DbError &e) {
        if (e.number() != err::NotValidPassword)
            throw;
    }
    QString password = askPassword();
    if (password.isEmpty())
        return Opening::Abandoned;
    try {
        s.Db = Database::open(s.DatabasePath, OpenMode::Exclusive, QStringLiteral(";pwd=") + password);
        return Opening::Opened;
    } catch (const DbError &e) {
        if (e.number() != err::NotValidPassword)
            throw;
    }
    password = askPassword();
    if (password.isEmpty())
        return Opening::Abandoned;
    // A second wrong password ends in the general error message of the handler.
    s.Db = Database::open(s.DatabasePath, OpenMode::Exclusive, QStringLiteral(";pwd=") + password);
    return Opening::Opened;
}

enum class Handled { Retry, Quiet, Fatal };

// What the start says when the catalogue's disk has no room: the database cannot even set up
// the files it keeps beside the catalogue. Nothing is written, so nothing stored is lost.
QString diskFullText(const QString &path) {
    const QFileInfo info(path);
    const QString real = info.canonicalFilePath().isEmpty() ? info.absoluteFilePath() : info.canonicalFilePath();
    return QStringLiteral("The catalogue ") + path + QStringLiteral(" cannot be opened: the disk holding ") +
           QFileInfo(real).absolutePath() + QStringLiteral("/ is full.");
}

// The error handler: a damaged file gets one repair offer per run; anything else is shown.
Handled handleError(int number, const QString &text, bool &repairTried) {
    auto &s = g();
    if (number == err::NotACatalogue) {
        // Nothing in the file for a repair to work on: offering one would only alarm.
        ui::msgBox(QStringLiteral("The file ") + s.DatabasePath + QStringLiteral(" is not an ") + s.ProductName +
                       QStringLiteral(" catalogue."),
                   ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Not a catalogue"));
        return Handled::Fatal;
    }
    if (number == err::DatabaseDamaged && !repairTried) {
        const ui::Answer answer = ui::msgBox(
            QStringLiteral("Database may be corrupted.  Press the OK button if you want ") + s.ProductName +
                QStringLiteral(" to attempt to repair it."),
            ui::Buttons::OKCancel, ui::Icon::Exclamation, QStringLiteral("Corrupt Database"));
        if (answer != ui::Answer::OK)
            return Handled::Quiet;
        repairTried = true;
        closeCatalogue();
        try {
            Database::repairDatabase(s.DatabasePath);
        } catch (const DbError &e) {
            showError(e.number(), e.description());
            return Handled::Fatal;
        }
        return Handled::Retry;
    }
    showError(number, number == err::DiskFull ? diskFullText(s.DatabasePath) : text);
    return Handled::Fatal;
}

// Steps 12 to 15: open the database, the duplicate queries, ContactsTable, the main window.
StartResult openCatalogue(bool &repairTried) {
    auto &s = g();
    for (;;) {
        int number = 0;
        QString text;
        if (core::ShippedCatalogue::is(s.DatabasePath)) {
            // The template is never the user's catalogue: a new catalogue starts as a copy of it.
            const auto made = core::ShippedCatalogue::copyInto(s.DataFolder);
            if (!made) {
                closeCatalogue();
                ui::msgBox(core::ShippedCatalogue::refusalText(s.DataFolder), ui::Buttons::OK, ui::Icon::Critical,
                           QStringLiteral("Catalogue not opened"));
                return finish(StartResult::Ended, 1);
            }
            s.DatabasePath = *made;
        }
        if (const auto readOnly = unwritableCatalogue(s.DatabasePath)) {
            closeCatalogue();
            showError(platform::db::err::ReadOnly, *readOnly);
            return finish(StartResult::Ended, 1);
        }
        const QList<QWidget *> windowsBefore = ui::loadedForms();
        try {
            if (openDatabase() == Opening::Abandoned) {
                closeCatalogue();
                return finish(StartResult::Ended);
            }
            ui::DefaultPointerAtEnd pointer;
            ui::setMousePointer(ui::MousePointer::Hourglass);
            // Another program changing the catalogue keeps none of the start's writes waiting.
            core::CatalogueInUse::checkAtOpening(*s.Db);
            try {
                core::createDuplicateQueries(*s.Db);
            } catch (...) {
                // A catalogue without the duplicate queries still opens; only those views fail.
            }
            // A save ended between moving a music file and its commit is finished first, so
            // the songs shown name the files that exist.
            core::PendingFileMoves::recover();
            s.ContactsTable = s.Db->openRecordset(QStringLiteral("tblContacts"), platform::db::RecordsetType::Table);
            ui::setMousePointer(ui::MousePointer::Default);
            if (core::hooks().showMainWindow)
                core::hooks().showMainWindow();
            return StartResult::MainWindowShown;
        } catch (const DbError &e) {
            number = e.number();
            text = e.description();
        } catch (const std::exception &e) {
            text = QString::fromLocal8Bit(e.what());
        }
        closeCatalogue();
        unloadWindowsLoadedSince(windowsBefore);
        switch (handleError(number, text, repairTried)) {
        case Handled::Retry:
            continue;
        case Handled::Quiet:
            closeCatalogue();
            return finish(StartResult::Ended);
        case Handled::Fatal:
            closeCatalogue();
            return finish(StartResult::Ended, 1);
        }
    }
}

// Step 7: the player alone, without a catalogue.
StartResult playerOnly(const QString &argument) {
    auto &s = g();
    if (!core::singleInstance().tryLock()) {
        refuseSecondCopy();
        return finish(StartResult::Ended);
    }
    s.PlayOnlyMode = true;
    s.PlayPath = argument;
    s.PlayCaption = QStringLiteral("Orvalis Player");
    if (core::hooks().showPlayerOnly)
        core::hooks().showPlayerOnly(argument);
    return finish(StartResult::PlayerClosed);
}

// No catalogue found: says where it belongs and asks for one. A chosen file becomes the catalogue
// and its folder the data folder, remembered for the next start; the empty catalogue that comes
// with the program is taken as the wish for a new catalogue in the data folder (the opening
// makes it). False when nothing was chosen.
bool chooseCatalogue() {
    auto &s = g();
    ui::msgBox(QStringLiteral("Database file ") + s.DatabasePath + QStringLiteral(" not found."), ui::Buttons::OK,
               ui::Icon::Critical, QStringLiteral("No database file found"));
    QString fileName;
    QString fileTitle;
    bool readOnly = false;
    QString filter = QStringLiteral("Database files (*.mdb)|*.mdb");
    int filterIndex = 1;
    int flags = 0;
    if (!mCommonDialog::VBGetOpenFileName(fileName, fileTitle, true, false, readOnly, true, filter, filterIndex,
                                          s.DataFolder, QStringLiteral("Open database file"), QString(), nullptr,
                                          flags))
        return false;
    s.DatabasePath = fileName;
    if (!core::ShippedCatalogue::is(fileName)) {
        s.DataFolder = fileName.left(fileName.lastIndexOf(QLatin1Char('/')) + 1);
        core::RegistryOptions::setDatabaseLocation(s.DataFolder);
    }
    return true;
}

// Steps 3 to 11 of a first start. A result means the start ends here.
std::optional<StartResult> firstStart(const QString &commandLine) {
    auto &s = g();
    s.RecordSourceName = QStringLiteral("tblContacts");

    const QString version = mCommon::GetWindowsVersion();
    s.WinMajorVersion = version.left(1).toInt();
    if (core::programFolder().toLower().contains(QLatin1String("source")))
        s.WinMajorVersion = 6;

    s.ScreenFontName = core::RegistryOptions::font();
    if (s.ScreenFontName.isEmpty())
        s.ScreenFontName = core::RegistryOptions::defaultFont(s.WinMajorVersion);
    s.ReportLinesPerPage = core::RegistryOptions::rptLinesPerPage();
    if (s.ReportLinesPerPage.isEmpty())
        s.ReportLinesPerPage = core::RegistryOptions::defaultRptLinesPerPage();
    s.ProductName = QStringLiteral("Orvalis");
    s.DataFolder = core::RegistryOptions::databaseLocation();
    const bool defaultDataFolder = s.DataFolder.isEmpty();
    if (defaultDataFolder)
        s.DataFolder = core::RegistryOptions::defaultDataFolder();
    s.DatabasePath = s.DataFolder + kCatalogueFileName;

    const CommandLine cmd = classifyCommandLine(commandLine);
    if (cmd.kind == CommandLine::Kind::MusicFile)
        return playerOnly(cmd.argument);
    if (cmd.kind == CommandLine::Kind::DatabaseFile) {
        if (!fileExists(cmd.text)) {
            ui::msgBox(QStringLiteral("The database file name you supplied on the command line cannot be found.  "
                                      "You specified file name ") + cmd.text,
                       ui::Buttons::OK, ui::Icon::Critical, QStringLiteral("Data file name invalid"));
            return finish(StartResult::Ended);
        }
        s.DatabasePath = cmd.text;
        // The play list, the reports and the settings files are still kept in the data folder.
        // On an account that never started the program the default one does not exist yet, and
        // an installer would have made it.
        if (defaultDataFolder)
            QDir().mkpath(s.DataFolder);
    }

    s.PlayOnlyMode = false;

    bool nothingChosen = false;
    if (!fileExists(s.DatabasePath)) {
        const QString dataFolder = s.DataFolder;
        s.DatabasePath = dataFolder + kCatalogueFileName;
        if (!fileExists(s.DatabasePath)) {
            s.DataFolder = core::programFolder() + QLatin1Char('/');
            s.DatabasePath = s.DataFolder + kCatalogueFileName;
            if (!fileExists(s.DatabasePath)) {
                // Found nowhere: the catalogue belongs in the data folder.
                s.DataFolder = dataFolder;
                s.DatabasePath = dataFolder + kCatalogueFileName;
                // A first start in the default data folder begins with a copy of the empty
                // catalogue there, as an installer would have made it.
                const auto made = defaultDataFolder ? core::ShippedCatalogue::copyInto(dataFolder) : std::nullopt;
                if (!made)
                    nothingChosen = !chooseCatalogue();
            }
        }
    }

    if (!core::singleInstance().tryLock()) {
        refuseSecondCopy();
        return finish(StartResult::Ended);
    }
    if (nothingChosen) {
        ui::msgBox(QStringLiteral("No catalogue was opened."), ui::Buttons::OK, ui::Icon::Information,
                   QStringLiteral("No database file found"));
        return finish(StartResult::Ended);
    }
    return std::nullopt;
}

} // namespace

std::optional<QString> catalogueWriteProblem(const QString &path) { return unwritableCatalogue(path); }

bool isMusicExtension(const QString &ext) {
    static const QStringList music = {QStringLiteral(".mp3"), QStringLiteral(".m4a"), QStringLiteral(".wma"),
                                      QStringLiteral(".aac"), QStringLiteral(".wav"), QStringLiteral("flac"),
                                      QStringLiteral(".ogg")};
    return music.contains(ext);
}

CommandLine classifyCommandLine(const QString &commandLine) {
    CommandLine cmd;
    cmd.text = commandLine.trimmed();
    if (cmd.text.isEmpty())
        return cmd;
    // Quotes around the whole name are the caller's, not the file's: a name may hold quotes.
    cmd.argument = cmd.text;
    if (cmd.argument.size() >= 2 && cmd.argument.startsWith(u'"') && cmd.argument.endsWith(u'"'))
        cmd.argument = cmd.argument.mid(1, cmd.argument.size() - 2);
    cmd.kind = isMusicExtension(cmd.argument.right(4).toLower()) ? CommandLine::Kind::MusicFile
                                                                 : CommandLine::Kind::DatabaseFile;
    return cmd;
}

StartResult Main(const QString &commandLine) {
    auto &s = g();
    bool repairTried = false;
    if (QString::compare(s.DatabasePath, QStringLiteral(" ")) > 0) {
        s.ReopeningDatabase = false;
        return openCatalogue(repairTried);
    }
    s.TabletModeOn = tabletMode();
    try {
        if (const auto ended = firstStart(commandLine))
            return *ended;
    } catch (const DbError &e) {
        const Handled h = handleError(e.number(), e.description(), repairTried);
        if (h != Handled::Retry)
            return finish(StartResult::Ended, h == Handled::Fatal ? 1 : 0);
    } catch (const std::exception &e) {
        showError(0, QString::fromLocal8Bit(e.what()));
        return finish(StartResult::Ended, 1);
    }
    return openCatalogue(repairTried);
}

} // namespace modMain
