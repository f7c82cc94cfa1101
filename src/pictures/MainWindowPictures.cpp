#include "pictures/MainWindowPictures.h"

#include "core/AppState.h"
#include "core/FileError.h"
#include "core/mCommon.h"
#include "pictures/DecodedPictures.h"
#include "pictures/Pics3.h"
#include "pictures/PictureFiles.h"
#include "pictures/PictureForm.h"
#include "platform/ui/ImageControl.h"
#include "platform/ui/PromptService.h"
#include "songlist/NameList.h"
#include "songlist/OtherWindows.h"

#include <QDir>
#include <QFileInfo>
#include <QPushButton>

namespace pictures {

namespace ui = platform::ui;
using songlist::NameList;
using songlist::OtherWindows;

namespace {

// Two songs' worth: stepping back to the song before shows its pictures without a read.
DecodedPictures &viewerPictures() {
    static DecodedPictures pictures(6);
    return pictures;
}

} // namespace

QImage MainWindowPictures::slotPicture(const QString &slotText, QSize box) {
    // A text that sorts after a single blank and is a bare name: nothing outside the pictures
    // folder is ever read.
    if (slotText.compare(QLatin1String(" ")) <= 0 || !isBareFileName(slotText))
        return {};
    const QString path = picturesFolder() + slotText;
    const QFileInfo info(path);
    if (!info.isFile() || info.isHidden())
        return {};
    try {
        return viewerPictures().picture(path, box);
    } catch (const core::FileError &) {
        // Runs on every move through the grid: a file that cannot be read shows nothing.
        return {};
    }
}

void MainWindowPictures::LoadSongPictures() {
    if (w_.recordCount() <= 0)
        return;
    Pics3 *viewer = ui::form<Pics3>();
    // Each picture is decoded no larger than the viewer can show it, not at its own size.
    const QSize box = viewer->largestImageSize();
    for (int n = 1; n <= 3; ++n)
        viewer->image(n)->setPicture(slotPicture(w_.currentText(QStringLiteral("PicturePath%1").arg(n)), box));
    viewer->setWindowTitle(w_.currentText(QStringLiteral("SongName")));
}

void MainWindowPictures::cmdPictures_Click() {
    if (w_.recordCount() <= 0) {
        ui::msgBox(QStringLiteral("There are no pictures to display"), ui::Buttons::OK, ui::Icon::None,
                   QStringLiteral("No pictures"));
        return;
    }
    Pics3 *viewer = ui::form<Pics3>();
    if (viewer->isVisible()) {
        viewer->hide();
    } else {
        LoadSongPictures();
        ui::showModeless(viewer);
        w_.activateWindow();
        w_.cmdPictures->setFocus();
    }
    if (viewer->isVisible() && w_.isMaximized())
        w_.dockBesidePics3();

    // Whether shown or hidden: a main window reaching into the viewer's place at the screen's
    // left edge moves just right of it.
    const QRect area = ui::availableScreenRect(&w_);
    const ScreenInfo screen = PictureForm::screen();
    if (viewer->formLeft() == area.left() * screen.twipsPerPixelX &&
        w_.formLeft() - ui::pixelsToTwipsX(area.left()) < viewer->formWidth()) {
        const double left = ui::pixelsToTwipsX(area.left()) + viewer->formWidth() + 1;
        w_.move(ui::twipsToPixelsX(left), w_.y());
    }
}

void MainWindowPictures::EmptyDeletedPicturesFolder_Click() {
    const QString folder = deletedPicturesFolder();
    const auto &s = core::g();
    try {
        const bool folderExists = mCommon::FolderExists(folder);
        const bool filesExist = mCommon::FileExists(folder + QStringLiteral("*.*"));
        if (!folderExists || !filesExist) {
            ui::msgBox(QStringLiteral("No Deleted Pictures exist."), ui::Buttons::OK, ui::Icon::None, s.ProductName);
            return;
        }
        if (ui::msgBox(QStringLiteral("Are you sure you want to delete all files from the \r\n") + folder +
                           QStringLiteral(" folder?"),
                       ui::Buttons::YesNo, ui::Icon::Question, QStringLiteral("Delete Confirmation"),
                       ui::DefaultButton::First) != ui::Answer::Yes)
            return;
        // Every file, hidden ones and links included (a link goes, never what it points to);
        // sub-folders stay.
        const QFileInfoList files =
            QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
        for (const QFileInfo &f : files)
            mCommon::KillFile(f.filePath());
        ui::msgBox(QStringLiteral("Files deleted."), ui::Buttons::OK, ui::Icon::None, s.ProductName);
    } catch (const core::FileError &) {
        // A file in use or protected ends the command silently; what was deleted stays deleted.
    }
}

void MainWindowPictures::registerCommands() {
    const auto command = [](void (MainWindowPictures::*handler)()) {
        return [handler](const QString &) {
            if (NameList *w = NameList::instance())
                (MainWindowPictures(*w).*handler)();
        };
    };
    OtherWindows::set(QString::fromLatin1(OtherWindows::LoadSongPictures), command(&MainWindowPictures::LoadSongPictures));
    OtherWindows::set(QString::fromLatin1(OtherWindows::cmdPictures), command(&MainWindowPictures::cmdPictures_Click));
    OtherWindows::set(QString::fromLatin1(OtherWindows::EmptyDeletedPicturesFolder),
                      command(&MainWindowPictures::EmptyDeletedPicturesFolder_Click));
}

} // namespace pictures
