#include "reports/frmChangeFilePath.h"

#include "core/AppState.h"
#include "core/StartFolders.h"
#include "core/mBrowseDirectorysOnly.h"
#include "core/mCommon.h"
#include "platform/db/Database.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"
#include "reports/CleanupWindows.h"
#include "reports/ColumnTextChange.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace reports {

namespace db = platform::db;
namespace ui = platform::ui;
using cleanup::make;

frmChangeFilePath::frmChangeFilePath(QWidget *parent) : Form<QDialog>(parent) {
    cleanup::setUpWindow(this, QStringLiteral("Change Music Folder Names in Orvalis"), 7740, 4080);

    const QString q = QStringLiteral("\"");
    Label1 = make<QLabel>(this, "Label1", 120, 120, 7500, 720,
                          QStringLiteral("Change the folder location of music files.  Use this feature if files have "
                                         "changed location on your hard disk from when they were originally "
                                         "cataloged.  You can specify both a mount point and/or folder/sub-folder "
                                         "names."));
    lblOrigPath = make<QLabel>(this, "lblOrigPath", 120, 960, 7500, 255,
                               QStringLiteral("Original file path.  For example:  /home/me/Music/MySongs/ "));
    txtOrigPath = make<QLineEdit>(this, "txtOrigPath", 120, 1230, 6300, 315);
    cmdBrowseOrig = make<QPushButton>(this, "cmdBrowseOrig", 6540, 1215, 1080, 345, QStringLiteral("Browse"));
    lblNewPath = make<QLabel>(this, "lblNewPath", 120, 1680, 7500, 255,
                              QStringLiteral("New file path.  For example:  /media/NewMusic/MySongs/ "));
    txtNewPath = make<QLineEdit>(this, "txtNewPath", 120, 1950, 6300, 315);
    cmdBrowseNew = make<QPushButton>(this, "cmdBrowseNew", 6540, 1935, 1080, 345, QStringLiteral("Browse"));
    Label2 = make<QLabel>(this, "Label2", 120, 2430, 7500, 960,
                          QStringLiteral("You can specify just part of the file path, such as ") + q +
                              QStringLiteral("MySongs") + q +
                              QStringLiteral(", but be careful that the characters you specify only affect the folder "
                                             "name you intend.   NOTE: This only affects the Path Name field in your "
                                             "database.  It does not rename a folder."));
    OKButton = make<QPushButton>(this, "OKButton", 4920, 3540, 1215, 372, QStringLiteral("&OK"));
    CancelButton = make<QPushButton>(this, "CancelButton", 6300, 3540, 1215, 372, QStringLiteral("&Cancel"));
    for (QLabel *l : {Label1, Label2})
        l->setWordWrap(true);
    for (QPushButton *b : {cmdBrowseOrig, cmdBrowseNew, OKButton, CancelButton})
        b->setAutoDefault(false);

    connect(cmdBrowseOrig, &QPushButton::clicked, this, [this] { cmdBrowseOrig_Click(); });
    connect(cmdBrowseNew, &QPushButton::clicked, this, [this] { cmdBrowseNew_Click(); });
    connect(OKButton, &QPushButton::clicked, this, [this] { OKButton_Click(); });
    connect(CancelButton, &QPushButton::clicked, this, [this] { CancelButton_Click(); });

    // Load: every control takes the screen font's name.
    ui::applyScreenFont(this, core::g().ScreenFontName);
}

void frmChangeFilePath::browse(QLineEdit *box, const QString &caption) {
    try {
        auto &s = core::g();
        if (s.LastCopyFolder.isEmpty())
            s.LastCopyFolder = core::StartFolders::music();
        const QString folder =
            mBrowseDirectorysOnly::BrowseForFolder(this, QStringLiteral("Select a Folder"), s.LastCopyFolder, caption);
        if (!folder.isEmpty())
            box->setText(folder);
    } catch (...) {
        // the pick ends quietly
    }
}

void frmChangeFilePath::cmdBrowseOrig_Click() { browse(txtOrigPath, QStringLiteral("Pick the original Folder")); }
void frmChangeFilePath::cmdBrowseNew_Click() { browse(txtNewPath, QStringLiteral("Pick the new Folder")); }
void frmChangeFilePath::CancelButton_Click() { close(); }

QString frmChangeFilePath::question(const QString &T1, const QString &T2, long songs, long tracks) {
    const QString q = QStringLiteral("\"");
    return QStringLiteral("Number of music file names that contain ") + q + T1 + q + QStringLiteral(" is: ") +
           QString::number(songs) + QStringLiteral(".") + QStringLiteral("\r\n\r\n") +
           QStringLiteral("Number of songs in your play lists that contain ") + q + T1 + q + QStringLiteral(" is: ") +
           QString::number(tracks) + QStringLiteral(".") + QStringLiteral("\r\n\r\n") +
           QStringLiteral("Are you sure you want to replace this part of the file name with ") + q + T2 + q +
           QStringLiteral(" for every one of these file names?");
}

void frmChangeFilePath::OKButton_Click() {
    const QString T1 = txtOrigPath->text(), T2 = txtNewPath->text();
    if (!cleanup::filledIn(T1) || !cleanup::filledIn(T2)) {
        ui::msgBox(QStringLiteral("Both the original and the new file path or string must be specified."),
                   ui::Buttons::OK, ui::Icon::Exclamation, QStringLiteral("String not specified"));
        return;
    }
    const QString O = mCommon::TrimBlanks(T1), N = mCommon::TrimBlanks(T2);
    const TextColumn songs = TextColumn::songFolders(), tracks = TextColumn::trackPaths();
    db::Database &database = *core::g().Db;
    try {
        const long A = ColumnTextChange::countContaining(database, songs, O);
        const long B = ColumnTextChange::countContaining(database, tracks, O);
        if (A <= 0 && B <= 0) {
            ui::msgBox(QStringLiteral("The characters you specified were not found in any file names."),
                       ui::Buttons::OK, ui::Icon::None, QStringLiteral("Not found"));
            return;
        }
        if (!cleanup::confirmed(question(T1, T2, A, B)))
            return;
        ui::setMousePointer(ui::MousePointer::Hourglass);
        long replaced = 0;
        {
            db::Transaction t(database);
            if (A > 0)
                replaced += ColumnTextChange::replaceAll(database, songs, O, N);
            if (B > 0)
                replaced += ColumnTextChange::replaceAll(database, tracks, O, N);
            t.commit();
        }
        ui::setMousePointer(ui::MousePointer::Default);
        ui::msgBox(QStringLiteral("Update completed. Total number of replacements made: ") + QString::number(replaced),
                   ui::Buttons::OK, ui::Icon::None, QStringLiteral("Finished"));
        cleanup::refreshGrid();
    } catch (const std::exception &e) {
        cleanup::showFailure(e);
        return;
    }
    close();
}

} // namespace reports
