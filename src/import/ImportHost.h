#pragma once
// What the music import needs of the main window. The main window hands an implementation to
// the import and to the import commands, so both run (and are tested) without the real window.
#include <QString>

class QWidget;

namespace import {

class ImportHost {
public:
    virtual ~ImportHost() = default;

    // The main window as owner of the scan windows and dialogs (may be nullptr).
    virtual QWidget *window() const = 0;
    // Hides the main window while an import runs and shows it again afterwards.
    virtual void setWindowVisible(bool visible) = 0;
    // Rebuilds the grid's record source and shows all songs (the Show all command).
    virtual void showAllSongs() = 0;
    // Sets the "Show all songs by" button for the grid's current row (nothing when the grid is
    // empty).
    virtual void showCurrentArtistButton() = 0;
    // Gives the grid the focus when it is visible and enabled.
    virtual void focusGrid() = 0;
    // The main window's import procedure: a folder tree (fileName empty), one file of `folder`,
    // or a whole mounted volume (driveMode, folder = its root).
    virtual void loadMusicFiles(const QString &folder, const QString &fileName, bool driveMode) = 0;
};

} // namespace import
