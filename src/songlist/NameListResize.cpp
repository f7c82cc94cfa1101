// The main window's resize rule, and the desktop and tablet modes it lays the controls out for.
#include "songlist/NameList.h"

#include "core/AppState.h"
#include "core/SettingsRows.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopedValueRollback>

#include <algorithm>

namespace songlist {

namespace ui = platform::ui;
using core::SettingsRows;

// ============================================================================ resize rule

void NameList::Form_Resize() {
    if (resizing_)
        return;
    const QScopedValueRollback<bool> reset(resizing_, true);
    if (!isMinimized())
        layoutForSize(formWidth(), scaleWidth(), scaleHeight());
    dockBesidePics3();
}

void NameList::layoutForSize(double W, double innerW, double innerH) {
    const TwRect header = controlRect(lblHeader);
    if (innerH - header.Height <= 0)
        return;
    if (W < MinimumWidth) {
        innerW += MinimumWidth - W;
        W = MinimumWidth;
        const bool was = resizing_;
        resizing_ = true;
        setFormWidth(W);
        resizing_ = was;
    }
    auto set = [&](QWidget *w, auto &&change) {
        TwRect r = controlRect(w);
        change(r);
        setControlRect(w, r);
        return r;
    };
    // Right-aligned, but never over the alphabet bar of a narrow window.
    const TwRect alpha = controlRect(FrameAlpha);
    set(lblFilterMsg, [&](TwRect &r) { r.Left = std::max(W - r.Width - 300, alpha.Left + alpha.Width + 100); });
    const TwRect grid = set(Table1, [&](TwRect &r) {
        const double h = innerH - header.Height - 80;
        if (h > 23)
            r.Height = h;
        r.Width = innerW - controlRect(lblMargin).Width;
    });
    const double gridBottom = grid.Top + grid.Height;
    const double bottomRow = gridBottom + 340 + 1030;
    const double B = controlRect(cmdDelete).Width;

    const TwRect name = set(txtName, [&](TwRect &r) {
        r.Top = gridBottom + 80;
        r.Width = grid.Width - 200;
    });
    set(txtSongAddedToPlaylist, [&](TwRect &r) {
        r.Top = name.Top;
        r.Left = name.Left + name.Width / 2 - r.Width / 2;
    });
    set(TextBackground, [&](TwRect &r) {
        r.Top = name.Top - 55;
        r.Width = grid.Width;
    });
    set(cmdShowArtistSongs, [&](TwRect &r) {
        // Between the detail box and the bottom row of buttons, touching neither.
        r.Top = name.Top + name.Height + 60;
        r.Left = name.Left + name.Width / 2 - r.Width / 2;
    });
    const TwRect sort = set(cmbSort, [&](TwRect &r) { r.Left = grid.Left + grid.Width - r.Width; });
    set(lblSort, [&](TwRect &r) { r.Left = sort.Left - r.Width / 2; });
    const TwRect song = set(cmdSortSong, [&](TwRect &r) { r.Left = sort.Left + r.Width / 2 + 100; });
    set(cmdSortArtist, [&](TwRect &r) { r.Left = song.Left + song.Width + 100; });
    const TwRect locate = controlRect(txtLocate);
    set(lblCategory, [&](TwRect &r) {
        r.Left = locate.Left + locate.Width + 100;
        r.Width = sort.Left - r.Left - 50;
    });
    set(cmdDelete, [&](TwRect &r) { r.Top = bottomRow; r.Left = W / 2 - 2 * B - 200; });
    set(cmdAdd, [&](TwRect &r) { r.Top = bottomRow; r.Left = W / 2 - B - 100; });
    set(cmdEdit, [&](TwRect &r) { r.Top = bottomRow; r.Left = W / 2 + 100; });
    set(cmdExit, [&](TwRect &r) { r.Top = bottomRow; r.Left = W / 2 + B + 200; });
    const TwRect selected = set(cmdShowSelected, [&](TwRect &r) { r.Top = bottomRow - 75; });
    set(lblSelectedCount, [&](TwRect &r) {
        r.Top = bottomRow + 190;
        r.Left = selected.Left + 150;
    });
    const TwRect play = set(cmdPlay, [&](TwRect &r) {
        r.Top = bottomRow;
        r.Left = W - r.Width - 400;
    });
    set(cmdPlayAll, [&](TwRect &r) {
        r.Top = bottomRow;
        r.Left = play.Left - r.Width;
    });
}

void NameList::dockBesidePics3() {
    QWidget *pics = ui::loadedForm(QStringLiteral("Pics3"));
    if (!pics || !pics->isVisible() || !isMaximized())
        return;
    // The part of the screen free of panels stands for the screen; the sizes are outer ones.
    const QRect area = ui::availableScreenRect(this);
    showNormal();
    pics->move(area.topLeft());
    const int picsWidth = pics->frameGeometry().width();
    const QSize frame = frameGeometry().size() - size();
    resize(area.width() - picsWidth - frame.width(), area.height() - ui::twipsToPixelsY(600) - frame.height());
    move(area.left() + picsWidth, area.top());
}

// ============================================================================ modes

void NameList::applyModeSettings(bool tablet, const QString &fontName) {
    Table1->setRowHeightTwips(tablet ? 400 : 225.0709);
    auto modeFont = [&](QWidget *w) {
        QFont f = w->font();
        if (!fontName.isEmpty())
            f.setFamily(fontName);
        f.setBold(!tablet);
        f.setPointSize(tablet ? 14 : 8);
        w->setFont(f);
    };
    modeFont(Table1);
    modeFont(cmbSort);
    TwRect r = controlRect(txtLocate);
    r.Height = tablet ? 400 : 285;
    setControlRect(txtLocate, r);
    modeFont(txtLocate);
    TabletMode->setEnabled(!tablet);
    DesktopMode->setEnabled(tablet);
}

void NameList::setTabletMode(bool tablet) {
    core::g().TabletModeOn = tablet;
    applyModeSettings(tablet, QStringLiteral("Arial"));
    SettingsRows::writeBool(QString::fromLatin1(SettingsRows::Tablet), tablet);
}

void NameList::TabletMode_Click() { setTabletMode(true); }

void NameList::DesktopMode_Click() { setTabletMode(false); }

} // namespace songlist
