#include "import/ScanDriveForm.h"

#include "core/AppState.h"
#include "core/modMain.h"
#include "import/ImportHost.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/PromptService.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFrame>
#include <QLabel>
#include <QPalette>
#include <QPointer>
#include <QPushButton>
#include <QSet>
#include <QStorageInfo>

namespace import {

using namespace platform::ui;

namespace {

const QString kCancel = QStringLiteral("Cancel");
const QString kExit = QStringLiteral("Exit");

QLabel *label(QWidget *parent, const char *name, const QString &text, Qt::Alignment align, int l, int t, int w, int h) {
    auto *lbl = new QLabel(text, parent);
    lbl->setObjectName(QString::fromLatin1(name));
    lbl->setAlignment(align);
    placeTwips(lbl, l, t, w, h);
    return lbl;
}

// The kernel's own file systems (views of processes, devices and kernel state) and the ones
// kept in memory: no one's music lies there.
bool kernelOrMemoryFileSystem(const QByteArray &type) {
    static const QSet<QByteArray> types = {"proc",     "sysfs",    "devtmpfs",   "devpts",      "tmpfs",
                                           "ramfs",    "cgroup",   "cgroup2",    "securityfs",  "debugfs",
                                           "tracefs",  "pstore",   "bpf",        "mqueue",      "hugetlbfs",
                                           "configfs", "fusectl",  "autofs",     "binfmt_misc", "efivarfs",
                                           "nsfs",     "rpc_pipefs", "selinuxfs"};
    return types.contains(type);
}

} // namespace

QList<Volume> offeredVolumes(const QList<Mount> &mounts) {
    QList<Volume> out;
    QSet<QString> seen;
    for (const Mount &m : mounts) {
        if (!m.ready || kernelOrMemoryFileSystem(m.fileSystemType))
            continue;
        QString root = m.rootPath;
        if (!root.endsWith(QLatin1Char('/')))
            root += QLatin1Char('/');
        if (seen.contains(root))
            continue;
        seen.insert(root);
        out.append({root, m.label});
    }
    return out;
}

QList<Volume> mountedVolumes() {
    QList<Mount> mounts;
    for (const QStorageInfo &v : QStorageInfo::mountedVolumes())
        if (v.isValid())
            mounts.append({v.rootPath(), v.fileSystemType(), v.name(), v.isReady()});
    return offeredVolumes(mounts);
}

QString ScanDriveForm::warningText() {
    const QString crlf = QStringLiteral("\r\n");
    return QStringLiteral("Warning: this can take a long time.  If you have 100,000 songs or a large drive, ") +
           QStringLiteral("better do this when you can walk away from your computer for hours or overnight.  ") +
           QStringLiteral("The less you use your computer during the scan, the quicker it will complete.  ") +
           QStringLiteral("WAIT until it finishes, even if it appears to be doing nothing.  You will see a "
                          "completion message appear when it is done.") +
           crlf + crlf + QStringLiteral("If your computer goes to sleep (suspends), the scan will be suspended.  To prevent this, go to ") +
           QStringLiteral("your desktop's Settings/Power and set automatic suspend to Off (Never), before running the scan.");
}

ScanDriveForm::ScanDriveForm(QWidget *parent) : Form<QDialog>(parent) {
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setWindowTitle(QStringLiteral("Add All Music Files (Scan Entire Drive)"));
    setClientSizeTwips(this, 7275, 6480);
    QFont arial(QStringLiteral("Arial"));
    setFont(arial);

    lblWarning = label(this, "lblWarning", QString(), Qt::AlignLeft | Qt::AlignTop, 240, 120, 6795, 2700);
    lblWarning->setWordWrap(true);

    cmbDrive = new QComboBox(this);
    cmbDrive->setObjectName(QStringLiteral("cmbDrive"));
    placeTwips(cmbDrive, 240, 2950, 3300, 345);
    lblDriveChosen = label(this, "lblDriveChosen", QString(), Qt::AlignLeft | Qt::AlignVCenter, 3660, 2950, 3375, 345);

    cmdLoad = new QPushButton(QStringLiteral("Add all music files found on this drive"), this);
    cmdLoad->setObjectName(QStringLiteral("cmdLoad"));
    placeTwips(cmdLoad, 240, 3480, 4500, 420);
    cmdLoad->setEnabled(false);
    cmdExit = new QPushButton(kExit, this);
    cmdExit->setObjectName(QStringLiteral("cmdExit"));
    placeTwips(cmdExit, 4920, 3480, 2115, 420);

    lblWait = label(this, "lblWait", QStringLiteral("Please wait."), Qt::AlignHCenter | Qt::AlignVCenter, 240, 4000,
                    6795, 276);
    lblWait->hide();
    ProgressFrame = new QFrame(this);
    ProgressFrame->setObjectName(QStringLiteral("ProgressFrame"));
    ProgressFrame->setFrameShape(QFrame::Box);
    placeTwips(ProgressFrame, 384, 4340, FrameWidth, 396);
    ProgressFrame->hide();
    ProgressLabel = new QLabel(ProgressFrame);
    ProgressLabel->setObjectName(QStringLiteral("ProgressLabel"));
    ProgressLabel->setAutoFillBackground(true);
    ProgressLabel->setBackgroundRole(QPalette::Highlight);
    setProgressWidth(12);
    ProgressLabel->hide();

    lblRecsReadLabel = label(this, "lblRecsReadLabel", QString(), Qt::AlignRight | Qt::AlignVCenter, 360, 4840, 1416, 276);
    lblRecsRead = label(this, "lblRecsRead", QString(), Qt::AlignLeft | Qt::AlignVCenter, 1800, 4840, 1908, 276);
    lblRecsAddedLabel = label(this, "lblRecsAddedLabel", QString(), Qt::AlignRight | Qt::AlignVCenter, 360, 5188, 1416, 276);
    lblRecsAdded = label(this, "lblRecsAdded", QString(), Qt::AlignLeft | Qt::AlignVCenter, 1800, 5188, 1908, 276);
    lblTouchMouse = label(this, "lblTouchMouse",
                          QStringLiteral("This progress bar may stop moving, but the drive is still being scanned and "
                                         "songs added when found. Please WAIT for a completion message."),
                          Qt::AlignLeft | Qt::AlignTop, 240, 5560, 6795, 800);
    lblTouchMouse->setWordWrap(true);
    lblTouchMouse->hide();

    connect(cmbDrive, &QComboBox::currentIndexChanged, this, [this](int) {
        try {
            cmbDrive_Change();
        } catch (...) {
        }
    });
    connect(cmdLoad, &QPushButton::clicked, this, [this] { cmdLoad_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] {
        try {
            cmdExit_Click();
        } catch (...) {
        }
    });

    // Load: the screen font on every control, the warning, the volumes with none chosen, and
    // the list dropped open for the user.
    centreOnScreen(this);
    applyScreenFont(this, core::g().ScreenFontName);
    lblWarning->setText(warningText());
    setVolumes(mountedVolumes());
    cmbDrive->setFocus();
    // The drive list drops open once this window is active, over this window.
}

bool ScanDriveForm::event(QEvent *e) {
    if (e->type() == QEvent::WindowActivate && !listDropped_) {
        listDropped_ = true;
        try {
            cmbDrive->setFocus();
            modMain::ShowComboDropDown(cmbDrive);
        } catch (...) {
        }
    }
    return Form<QDialog>::event(e);
}

void ScanDriveForm::setVolumes(const QList<Volume> &volumes) {
    {
        const QSignalBlocker block(cmbDrive);
        cmbDrive->clear();
        for (const Volume &v : volumes)
            cmbDrive->addItem(v.label.isEmpty() ? v.rootPath : v.rootPath + QStringLiteral(" [") + v.label + u']',
                              v.rootPath);
        cmbDrive->setCurrentIndex(-1);
    }
    lblDriveChosen->setText(QStringLiteral("No drive selected"));
    cmdLoad->setEnabled(false);
}

QString ScanDriveForm::driveText() const {
    return cmbDrive->currentIndex() < 0 ? QString() : cmbDrive->currentData().toString();
}

void ScanDriveForm::setProgressWidth(int twips) {
    progressWidth_ = twips;
    core::ProgressForm::placeBar(ProgressLabel, twips, progressPixels_);
}

void ScanDriveForm::cmbDrive_Change() {
    const QString drive = driveText();
    if (QString::compare(drive, QStringLiteral(" "), Qt::CaseSensitive) > 0) {
        lblDriveChosen->setText(drive + QStringLiteral(" drive selected"));
        cmdLoad->setEnabled(true);
    } else {
        cmdLoad->setEnabled(false);
    }
}

void ScanDriveForm::cmdLoad_Click() {
    // The import lets the event loop run; Cancel unloads this window meanwhile, and the window
    // may be destroyed before the import returns. Nothing of it is touched after that.
    QPointer<ScanDriveForm> self(this);
    ImportHost *host = host_;
    try {
        core::g().CancelScan = false;
        const QString drive = driveText();
        if (QString::compare(drive, QStringLiteral(" "), Qt::CaseSensitive) <= 0)
            return;
        if (loadedCount() > 2)
            unloadForm(QStringLiteral("PlayForm"));
        lblWait->show();
        ProgressFrame->show();
        ProgressLabel->show();
        lblTouchMouse->show();
        cmdLoad->setEnabled(false);
        cmdExit->setText(kCancel);
        QFont big(QStringLiteral("Arial"));
        big.setPointSize(20);
        lblWarning->setFont(big);
        lblWarning->setText(QStringLiteral("Scanning in progress...\nPlease wait..."));
        lblWarning->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        QCoreApplication::processEvents();
        if (host)
            host->setWindowVisible(false);
        if (host)
            host->loadMusicFiles(drive, QString(), true);
        if (self)
            unloadForm(self.data());
        if (host)
            host->setWindowVisible(true);
    } catch (const std::exception &e) {
        msgBox(QString::fromUtf8(e.what()), Buttons::OK, Icon::None, core::g().ProductName);
        if (self)
            unloadForm(self.data());
        if (host)
            host->setWindowVisible(true);
    } catch (...) {
        if (self)
            unloadForm(self.data());
        if (host)
            host->setWindowVisible(true);
    }
}

void ScanDriveForm::cmdExit_Click() {
    ImportHost *host = host_;
    core::g().CancelScan = true;
    unloadForm(this);
    if (host)
        host->setWindowVisible(true);
    QCoreApplication::processEvents();
    if (host)
        host->showAllSongs();
    setMousePointer(MousePointer::Default);
}

void ScanDriveForm::reject() {
    // Escape closes the window like its close box, under the same rule.
    if (closing_)
        Form<QDialog>::reject();
    else
        close();
}

void ScanDriveForm::closeEvent(QCloseEvent *e) {
    if (cmdExit->text() == kCancel && !core::g().CancelScan) {
        msgBox(QStringLiteral("You must press the Cancel button to cancel the scan before closing this window"),
               Buttons::OK, Icon::None, QStringLiteral("Can not close"));
        e->ignore();
        return;
    }
    closing_ = true;
    Form<QDialog>::closeEvent(e);
    closing_ = false;
}

} // namespace import
