#include "core/frmDatabaseLocation.h"

#include "core/AppState.h"
#include "core/StartFolders.h"
#include "core/mBrowseDirectorysOnly.h"
#include "core/mCommon.h"
#include "core/RegistryOptions.h"
#include "platform/ui/PromptService.h"

#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace core {

using namespace platform::ui;

frmDatabaseLocation::frmDatabaseLocation(QWidget *parent) : Form<QDialog>(parent) {
    setWindowTitle(QStringLiteral("Change Database Location"));
    setClientSizeTwips(this, 7080, 3420);
    const QFont arial(QStringLiteral("Arial"), 8);

    lblSavedLocation = new QLabel(QStringLiteral("Saved Database Location:"), this);
    lblSavedLocation->setObjectName(QStringLiteral("lblSavedLocation"));
    placeTwips(lblSavedLocation, 240, 240, 3000, 255);

    txtPathName = new QLineEdit(this);
    txtPathName->setObjectName(QStringLiteral("txtPathName"));
    placeTwips(txtPathName, 240, 540, 5340, 315);

    cmdBrowsePath = new QPushButton(QStringLiteral("Browse"), this);
    cmdBrowsePath->setObjectName(QStringLiteral("cmdBrowsePath"));
    placeTwips(cmdBrowsePath, 5760, 525, 1095, 345);

    lblCaution = new QLabel(QStringLiteral(
        "Caution!  This is the folder where Orvalis always looks for your database file (the OVdata.mdb "
        "file) and any saved pictures.  If you change this location here, make sure the OVdata.mdb file "
        "is already located in the chosen folder, and you have moved any pictures into the Pictures "
        "sub-folder of this new folder.  For security reasons, those files will not be moved there "
        "automatically."), this);
    lblCaution->setObjectName(QStringLiteral("lblCaution"));
    lblCaution->setWordWrap(true);
    lblCaution->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    placeTwips(lblCaution, 240, 1020, 6600, 1500);

    cmdSave = new QPushButton(QStringLiteral("Save"), this);
    cmdSave->setObjectName(QStringLiteral("cmdSave"));
    placeTwips(cmdSave, 2160, 2820, 1095, 375);

    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    placeTwips(cmdCancel, 3720, 2820, 1095, 375);

    for (QWidget *c : findChildren<QWidget *>())
        c->setFont(arial);
    setTabOrder(txtPathName, cmdBrowsePath);
    setTabOrder(cmdBrowsePath, cmdSave);
    setTabOrder(cmdSave, cmdCancel);
    for (QPushButton *b : {cmdBrowsePath, cmdSave, cmdCancel})
        b->setAutoDefault(false);
    cmdSave->setDefault(true);  // Enter in the folder box saves
    connect(cmdBrowsePath, &QPushButton::clicked, this, [this] { cmdBrowsePath_Click(); });
    connect(cmdSave, &QPushButton::clicked, this, [this] { cmdSave_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });

    // Load: the folder in use.
    txtPathName->setText(g().DataFolder);
}

void frmDatabaseLocation::cmdBrowsePath_Click() {
    try {
        AppState &s = g();
        if (s.LastCopyFolder.isEmpty())
            s.LastCopyFolder = StartFolders::music();
        if (mCommon::FolderExists(txtPathName->text()))
            s.LastCopyFolder = txtPathName->text();
        const QString chosen = mBrowseDirectorysOnly::BrowseForFolder(
            this, QStringLiteral("Select a Folder"), s.LastCopyFolder,
            QStringLiteral("Pick the folder where the database is located"));
        if (!chosen.isEmpty())
            txtPathName->setText(chosen);
    } catch (...) {
        // a failing browse ends quietly
    }
}

void frmDatabaseLocation::cmdSave_Click() {
    const QString folder = txtPathName->text();
    if (!mCommon::FolderExists(folder)) {
        msgBox(QStringLiteral("Folder does not exist"), Buttons::OK, Icon::Critical, QStringLiteral("Folder not found"));
        cmdCancel->setFocus();
        return;
    }
    // Joined as typed: a folder without its trailing "/" fails here.
    if (!mCommon::FileExists(folder + QStringLiteral("OVdata.mdb"))) {
        msgBox(QStringLiteral("Your OVdata.mdb database file does not exist within the chosen folder.  "
                              "You must first move it there."),
               Buttons::OK, Icon::Critical, QStringLiteral("Database file not found"));
        cmdCancel->setFocus();
        return;
    }
    if (folder == g().DataFolder) {
        close();
        return;
    }
    if (!RegistryOptions::setDatabaseLocation(folder))
        return;  // not saved (the user was told): the window stays open
    msgBox(QStringLiteral("Database Location Changed.  You must exit and restart Orvalis before this change "
                          "will take effect."),
           Buttons::OK, Icon::None, QStringLiteral("Location Changed"));
    close();
}

void frmDatabaseLocation::cmdCancel_Click() { close(); }

} // namespace core
