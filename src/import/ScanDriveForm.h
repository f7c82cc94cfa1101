#pragma once
// The whole-volume import: the user picks a mounted volume and imports every music file on it.
// The window starts the import, serves as its progress window, and offers the only way to stop
// it (its Exit button reads "Cancel" while the scan runs; the close box is refused then).
#include "core/ProgressForm.h"
#include "platform/ui/Forms.h"

#include <QDialog>
#include <QList>
#include <QString>

class QComboBox;
class QFrame;
class QLabel;
class QPushButton;

namespace import {

class ImportHost;

// A volume the drive list offers.
struct Volume {
    QString rootPath;   // where it is mounted, ending in "/"
    QString label;      // its name, or ""
};

// A mounted file system as the system lists it.
struct Mount {
    QString rootPath;
    QByteArray fileSystemType;  // "ext4", "vfat", "proc", ...
    QString label;
    bool ready = true;
};

// The volumes the drive list offers of these mounts: every one that holds ordinary files,
// wherever it is mounted (removable drives lie under /run/media/<user>/ or /media/), leaving
// out only the kernel's file systems and memory ones; each root once.
QList<Volume> offeredVolumes(const QList<Mount> &mounts);
// offeredVolumes of the system's mounted file systems.
QList<Volume> mountedVolumes();

class ScanDriveForm : public platform::ui::Form<QDialog> {
    Q_OBJECT
public:
    explicit ScanDriveForm(QWidget *parent = nullptr);

    QComboBox *cmbDrive = nullptr;
    QLabel *lblDriveChosen = nullptr;
    QPushButton *cmdLoad = nullptr;
    QPushButton *cmdExit = nullptr;
    QLabel *lblWarning = nullptr;
    QLabel *lblWait = nullptr;
    QFrame *ProgressFrame = nullptr;
    QLabel *ProgressLabel = nullptr;
    QLabel *lblTouchMouse = nullptr;
    QLabel *lblRecsReadLabel = nullptr;
    QLabel *lblRecsRead = nullptr;
    QLabel *lblRecsAddedLabel = nullptr;
    QLabel *lblRecsAdded = nullptr;

    // The bar and its frame are as wide as in every other progress window.
    static constexpr int FrameWidth = core::ProgressForm::FrameWidth;
    static constexpr int BarFullWidth = core::ProgressForm::BarFullWidth;

    // The text Form_Load puts into lblWarning.
    static QString warningText();

    // The main window the scan hides, imports through and shows again. Set before showing.
    void setHost(ImportHost *host) { host_ = host; }
    ImportHost *host() const { return host_; }

    // Fills the drive list (Form_Load fills it with mountedVolumes()); no volume is chosen.
    void setVolumes(const QList<Volume> &volumes);
    // The chosen volume's root, "" when none.
    QString driveText() const;

    // Width of the progress bar in twips.
    int progressWidth() const { return progressWidth_; }
    void setProgressWidth(int twips);

    void cmbDrive_Change();
    void cmdLoad_Click();
    void cmdExit_Click();

public slots:
    void reject() override;

protected:
    bool event(QEvent *e) override;
    void closeEvent(QCloseEvent *e) override;

private:
    ImportHost *host_ = nullptr;
    bool listDropped_ = false; // the drive list was dropped open at the first activation
    int progressWidth_ = 0;
    int progressPixels_ = -1;
    bool closing_ = false;
};

} // namespace import
