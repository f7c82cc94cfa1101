#include "player/PlayForm.h"

#include "core/AppState.h"
#include "core/FileError.h"
#include "core/StartupHooks.h"
#include "core/mCommon.h"
#include "platform/db/DbError.h"
#include "platform/ui/ElidedRowDelegate.h"
#include "platform/ui/PromptService.h"
#include "platform/ui/WebSearch.h"
#include "player/PlayListErrors.h"
#include "player/PlayerTexts.h"
#include "player/frmNowPlaying.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPointer>
#include <QPushButton>
#include <QResizeEvent>

#include <utility>

namespace player {

using core::g;
using songlist::TwRect;
namespace ui = platform::ui;
namespace media = platform::media;

namespace {
// The name the player's current item has while the temporary list itself is current.
const QString kTempListItem = QStringLiteral("OVPlayList");

// A song the player's list does not hold ("invalid argument").
struct InvalidArgument {};
} // namespace

PlayForm::PlayForm(QWidget *parent) : Form<QDialog>(parent) {
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinMaxButtonsHint |
                   Qt::WindowCloseButtonHint);
    buildControls();
    load();
}

PlayForm::~PlayForm() { disconnect(focusConnection_); }

// ============================================================================ controls

void PlayForm::buildControls() {
    auto make = [&](auto *w, const char *name, TwRect r) {
        w->setObjectName(QString::fromLatin1(name));
        setControlRect(w, r);
        return w;
    };
    auto check = [&](const char *name, const QString &caption, TwRect r) {
        return make(new QCheckBox(caption, this), name, r);
    };
    auto button = [&](const char *name, const QString &caption, TwRect r) {
        auto *b = make(new QPushButton(caption, this), name, r);
        b->setAutoDefault(false);  // Enter in the song list must not press a button
        return b;
    };

    WindowsMediaPlayer1 = make(media::createMediaPlayer(this), "WindowsMediaPlayer1", {120, 120, 3360, 3600});
    lbSongs = make(new QListWidget(this), "lbSongs", {3580, 120, 5472, 3600});
    lbSongURL = make(new QListWidget(this), "lbSongURL", {120, 3820, 8932, 255});
    lbSongURL->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lbSongURL->setFrameShape(QFrame::NoFrame);  // one row high: the row needs all of it
    // A long path shows both its ends in the row, whole in the tool tip, with no scroll bar over it.
    ui::ElidedRowDelegate::install(lbSongURL, Qt::ElideMiddle);
    // A list of many thousand songs is measured a batch at a time as the window runs, so the
    // player shows at once with its first rows rather than after every row is measured.
    for (QListWidget *list : {lbSongs, lbSongURL})
        list->setLayoutMode(QListView::Batched);
    lblNumSongs = make(new QLabel(this), "lblNumSongs", {3300, 4085, 3000, 255});
    lblNumSongs->setAlignment(Qt::AlignCenter);
    cbPlayNext = check("cbPlayNext", QStringLiteral("Play next song once this song ends"), {120, 4085, 3400, 255});
    cbLoop = check("cbLoop", QStringLiteral("Loop (repeats all songs in list)"), {120, 4341, 3400, 255});
    cbPlayRandom = check("cbPlayRandom", QStringLiteral("Play random song next"), {120, 4950, 3000, 255});
    cbShuffle = check("cbShuffle", QStringLiteral("Shuffle play"), {7252, 4600, 1800, 255});
    cbSkipDups = check("cbSkipDups", QStringLiteral("Skip duplicates"), {7252, 4860, 1800, 255});
    cbNowPlaying = check("cbNowPlaying", QStringLiteral("Display current song"), {7252, 5120, 2100, 255});
    cmdLyrics = button("cmdLyrics", QStringLiteral("Lyrics"), {7252, 4185, 1000, 345});
    cmdExit = button("cmdExit", QStringLiteral("E&xit"), {4200, 4950, 1200, 372});
    cmdAddToPlaylist = button("cmdAddToPlaylist", QStringLiteral("Add to Play List"), {3900, 4428, 1800, 372});
    cmdDelete = button("cmdDelete", QStringLiteral("Delete from Playlist"), {5500, 4950, 1700, 372});
    cmdDelete->setToolTip(QStringLiteral(
        "Permanently deletes current song from Play List the NEXT time Play List is loaded into Player."));
    cmbHeader = make(new QComboBox(this), "cmbHeader", {5700, 4428, 1500, 315});
    lblSelectedPlaylist = make(new QLabel(this), "lblSelectedPlaylist", {3300, 4800, 3000, 255});
    lblSelectedPlaylist->setAlignment(Qt::AlignCenter);
    txtSongAddedToPlaylist = make(new QLineEdit(QStringLiteral("Song added to Play List"), this),
                                  "txtSongAddedToPlaylist", {3600, 4143, 2400, 285});
    txtSongAddedToPlaylist->setReadOnly(true);
    txtSongAddedToPlaylist->setAlignment(Qt::AlignCenter);

    for (QWidget *w : {static_cast<QWidget *>(cbPlayNext), static_cast<QWidget *>(cbPlayRandom),
                       static_cast<QWidget *>(cmdDelete), static_cast<QWidget *>(txtSongAddedToPlaylist)})
        w->setVisible(false);

    resize(ui::twipsToPixelsX(DesignWidth), ui::twipsToPixelsY(DesignHeight));

    // A change of the selection by the user or by the program; the handler tells them apart by
    // the active control. A click on the song already selected changes nothing, so it is passed
    // on by itself.
    lbSongs->installEventFilter(this);
    connect(lbSongs, &QListWidget::currentRowChanged, this, [this] {
        if (std::exchange(focusSetsRow_, false))
            return;
        pressChangedRow_ = QGuiApplication::mouseButtons() != Qt::NoButton;
        lbSongs_Click();
    });
    connect(lbSongs, &QListWidget::itemClicked, this, [this] {
        if (!pressChangedRow_)
            lbSongs_Click();
        pressChangedRow_ = false;
    });
    // A box changed by the program runs its handler too.
    connect(cbLoop, &QCheckBox::stateChanged, this, [this] { cbLoop_Click(); });
    connect(cbPlayNext, &QCheckBox::stateChanged, this, [this] { cbPlayNext_Click(); });
    connect(cbPlayRandom, &QCheckBox::stateChanged, this, [this] { cbPlayRandom_Click(); });
    connect(cbShuffle, &QCheckBox::stateChanged, this, [this] { cbShuffle_Click(); });
    connect(cbNowPlaying, &QCheckBox::stateChanged, this, [this] { cbNowPlaying_Click(); });
    connect(cmdLyrics, &QPushButton::clicked, this, [this] { cmdLyrics_Click(); });
    connect(cmdExit, &QPushButton::clicked, this, [this] { cmdExit_Click(); });
    connect(cmbHeader, &QComboBox::activated, this, guarded([this] { cmbHeader_Click(); }));
    connect(cmdAddToPlaylist, &QPushButton::clicked, this, guarded([this] { cmdAddToPlaylist_Click(); }));
    connect(cmdDelete, &QPushButton::clicked, this, guarded([this] { cmdDelete_Click(); }));
    connect(WindowsMediaPlayer1, &media::MediaPlayer::playStateChange, this,
            [this](int state) { WindowsMediaPlayer1_PlayStateChange(state); });
    connect(WindowsMediaPlayer1, &media::MediaPlayer::currentItemChange, this,
            [this] { WindowsMediaPlayer1_CurrentItemChange(); });
    focusConnection_ = connect(qApp, &QApplication::focusChanged, this,
                               [this](QWidget *old, QWidget *now) { focusChanged(old, now); });
}

void PlayForm::setControlRect(QWidget *w, const TwRect &r) {
    rects_[w] = r;
    w->setGeometry(ui::twipsToPixelsX(r.Left), ui::twipsToPixelsY(r.Top), std::max(0, ui::twipsToPixelsX(r.Width)),
                   std::max(0, ui::twipsToPixelsY(r.Height)));
}

void PlayForm::applyRects() {
    for (auto it = rects_.cbegin(); it != rects_.cend(); ++it)
        setControlRect(const_cast<QWidget *>(it.key()), it.value());
}

// ============================================================================ load

void PlayForm::load() {
    auto &s = g();
    s.PlayerOpen = true;

    if (!s.PlayOnlyMode) {
        if (auto *main = songlist::NameList::instance()) {
            PlayerRecordSource = main->Data1->recordSource();
            keepPlayerView(main->Data1->recordset());
        }
        lblSelectedPlaylist->setText(s.PlayerSelectedList);
        loadPlayLists();
        SetComboDropDownWidth(cmbHeader, 220);
    }

    if (s.PlayerTop >= 0 && s.PlayerLeft >= 0)
        move(ui::twipsToPixelsX(s.PlayerLeft), ui::twipsToPixelsY(s.PlayerTop));
    WindowsMediaPlayer1->setURL(s.PlayPath);
    setWindowTitle(s.PlayCaption);
    ui::applyScreenFont(this, s.ScreenFontName);
}

void PlayForm::loadPlayLists() {
    auto &s = g();
    cmbHeader->clear();
    if (!s.Db)
        return;
    try {
        auto rs = s.Db->openRecordset(QStringLiteral("select ListName, ListID from tblPlayListHeader Order by ListName"),
                                      platform::db::RecordsetType::Snapshot);
        if (rs->recordCount() == 0) {
            s.CurrentPlayList.clear();
            s.PlayerSelectedList.clear();
        } else {
            for (; !rs->eof(); rs->moveNext())
                cmbHeader->addItem(rs->value(QStringLiteral("ListName")).toString(),
                                   rs->value(QStringLiteral("ListID")));
            // No list is chosen until the user picks one.
            cmbHeader->setCurrentIndex(-1);
            cmdDelete->setVisible(cbPlayRandom->isHidden());
        }
        rs->close();
    } catch (const platform::db::DbError &) {
        // The player plays without its play lists.
    }
}

void PlayForm::SetComboDropDownWidth(QComboBox *Combo, int Width) {
    if (Combo && Combo->view())
        Combo->view()->setMinimumWidth(Width);
}

// ============================================================================ layout

void PlayForm::resizeEvent(QResizeEvent *e) {
    Form<QDialog>::resizeEvent(e);
    Form_Resize();
}

void PlayForm::Form_Resize() {
    if (isMinimized() || inResize_)
        return;
    inResize_ = true;
    const double height = ui::pixelsToTwipsY(this->height());
    double width = ui::pixelsToTwipsX(this->width());
    TwRect &player = rects_[WindowsMediaPlayer1];
    TwRect &songs = rects_[lbSongs];
    TwRect &url = rects_[lbSongURL];
    TwRect &exit = rects_[cmdExit];
    TwRect &shuffle = rects_[cbShuffle];
    TwRect &skip = rects_[cbSkipDups];
    TwRect &now = rects_[cbNowPlaying];
    TwRect &num = rects_[lblNumSongs];
    TwRect &next = rects_[cbPlayNext];
    TwRect &loop = rects_[cbLoop];
    TwRect &random = rects_[cbPlayRandom];
    TwRect &add = rects_[cmdAddToPlaylist];
    TwRect &lyrics = rects_[cmdLyrics];
    TwRect &selected = rects_[lblSelectedPlaylist];
    TwRect &added = rects_[txtSongAddedToPlaylist];
    TwRect &header = rects_[cmbHeader];
    TwRect &del = rects_[cmdDelete];
    auto centred = [&](const TwRect &r) { return std::round(width / 2 - r.Width / 2); };

    if (height > MinimumHeight) {
        player.Height = height - 2400;
        exit.Top = height - 1050;
    }
    if (width < MinimumWidth) {
        width = MinimumWidth;
        resize(ui::twipsToPixelsX(width), this->height());
    }
    songs.Width = std::round(width * 0.57);
    player.Width = std::round(width * 0.35);
    if (player.Width < 2600) {
        player.Width = 2600;
        songs.Width = width - player.Width - player.Left - 500;
    }
    songs.Left = player.Left + player.Width + 100;
    exit.Left = centred(exit);
    shuffle.Top = exit.Top - 350;
    shuffle.Left = songs.Left + songs.Width - shuffle.Width;
    // The three check boxes stand one under another, each on a row of its own.
    skip.Top = shuffle.Top + shuffle.Height + 5;
    skip.Left = shuffle.Left;
    now.Top = skip.Top + skip.Height + 5;
    now.Left = skip.Left;
    songs.Height = player.Height;
    url.Top = player.Height + player.Top + 100;
    url.Width = player.Width + songs.Width + 100;
    num.Left = centred(num);
    num.Top = url.Top + url.Height + 10;
    next.Top = num.Top;
    loop.Top = next.Top + loop.Height + 1;
    random.Top = exit.Top;
    add.Left = centred(add);
    add.Top = exit.Top - add.Height - 150;
    lyrics.Top = num.Top + 100;
    lyrics.Left = shuffle.Left;
    selected.Top = add.Top + add.Height;
    selected.Left = centred(selected);
    added.Left = centred(added);
    added.Top = add.Top - added.Height;
    header.Top = add.Top;
    header.Left = add.Left + add.Width;
    del.Top = exit.Top;
    applyRects();
    inResize_ = false;
}

// ============================================================================ the song list

void PlayForm::selectBoth(int index) {
    lbSongs->setCurrentRow(index);
    lbSongURL->setCurrentRow(lbSongs->currentRow());
}

void PlayForm::lbSongs_Click() {
    // Only the user's click: a selection the program makes arrives with another control active.
    if (focusWidget() != lbSongs)
        return;
    media::MediaPlayer *wmp = WindowsMediaPlayer1;
    auto itemAt = [&](int n) {
        const media::MediaItem item = wmp->currentPlaylistItem(n);
        if (!item.isValid())
            throw InvalidArgument{};
        return item;
    };
    try {
        cbLoop->setChecked(false);
        lbSongURL->setCurrentRow(lbSongs->currentRow());
        const int n = lbSongs->currentRow();
        wmp->stop();
        if (wmp->currentItem().name != kTempListItem) {
            wmp->setCurrentItem(itemAt(n));
            wmp->play();
            wmp->setCurrentItem(itemAt(n));
            wmp->setFocus();
        } else {
            wmp->play();
            wmp->setCurrentItem(itemAt(n));
            lbSongs->setCurrentRow(n);
            lbSongURL->setCurrentRow(lbSongs->currentRow());
            wmp->setFocus();
        }
    } catch (const InvalidArgument &) {
        // A song the player's list does not hold: the first song is selected instead (with the
        // song list active, that selection is a click of its own).
        selectBoth(0);
    } catch (const std::exception &e) {
        ui::msgBox(QString::fromUtf8(e.what()), ui::Buttons::OK, ui::Icon::None,
                   QStringLiteral("PlayForm.lbSongs_Click"));
    }
}

bool PlayForm::eventFilter(QObject *watched, QEvent *e) {
    // Qt makes the first song current when the list gets the focus with none selected; that is
    // not a click.
    if (watched == lbSongs && e->type() == QEvent::FocusIn && lbSongs->currentRow() < 0 && lbSongs->count() > 0 &&
        static_cast<QFocusEvent *>(e)->reason() != Qt::MouseFocusReason)
        focusSetsRow_ = true;
    return Form<QDialog>::eventFilter(watched, e);
}

// ============================================================================ mode boxes

void PlayForm::cbLoop_Click() {
    if (cbLoop->checkState() == Qt::Checked) {
        cbPlayNext->setChecked(false);
        cbPlayRandom->setChecked(false);
        WindowsMediaPlayer1->setMode(QStringLiteral("loop"), true);
    } else {
        WindowsMediaPlayer1->setMode(QStringLiteral("loop"), false);
    }
}

void PlayForm::cbPlayNext_Click() {
    if (cbPlayNext->checkState() == Qt::Checked) {
        cbLoop->setChecked(false);
        cbPlayRandom->setChecked(false);
    }
}

void PlayForm::cbPlayRandom_Click() {
    if (cbPlayRandom->checkState() == Qt::Checked) {
        cbLoop->setChecked(false);
        cbPlayNext->setChecked(false);
    }
}

void PlayForm::cbShuffle_Click() {
    WindowsMediaPlayer1->setMode(QStringLiteral("shuffle"), cbShuffle->checkState() == Qt::Checked);
}

QString PlayForm::labelCaption(const QString &text) {
    QString out = text;
    out.replace(QLatin1Char('&'), QLatin1String("&&"));
    return out;
}

void PlayForm::showNowPlaying() {
    auto *w = ui::findForm<frmNowPlaying>();
    if (!w) {
        w = new frmNowPlaying(this);
        w->setObjectName(ui::formName<frmNowPlaying>());
        ui::registerForm(w);
    }
    if (!w->isVisible())
        ui::showModeless(w, this);
    const QListWidgetItem *item = lbSongs->currentItem();
    w->setCaption(labelCaption(item ? item->text() : QString()));
}

void PlayForm::cbNowPlaying_Click() {
    if (cbNowPlaying->checkState() == Qt::Checked)
        showNowPlaying();
    else if (auto *w = ui::findForm<frmNowPlaying>())
        ui::unloadForm(w);
}

// ============================================================================ commands

QUrl PlayForm::lyricsAddress(const QString &songText) {
    // Song and artist are two parts of the query, each encoded whole, so that "&", "#", "%",
    // "+" or a letter beyond ASCII reaches the search as typed.
    const qsizetype at = songText.indexOf(QLatin1String(" <> "));
    const QStringList parts = at < 0 ? QStringList{songText} : QStringList{songText.left(at), songText.mid(at + 4)};
    QStringList encoded;
    for (const QString &part : parts)
        if (const QString e = ui::searchPart(part); !e.isEmpty())
            encoded << e;
    return ui::searchAddress(ui::SearchKind::Web, QStringLiteral("song+lyrics+for+") + encoded.join(QLatin1Char('+')));
}

void PlayForm::cmdLyrics_Click() {
    QString text;
    if (lbSongs->count() > 1) {
        if (const QListWidgetItem *item = lbSongs->currentItem())
            text = item->text();
    } else if (lbSongs->count() == 1) {
        text = lbSongs->item(0)->text();
    }
    ui::prompts().openUrl(lyricsAddress(text));
}

void PlayForm::cmdExit_Click() { close(); }

// The one focus move refused: from the player to the path list.
void PlayForm::focusChanged(QWidget *old, QWidget *now) {
    if (now != lbSongURL || !old)
        return;
    if (old == WindowsMediaPlayer1 || WindowsMediaPlayer1->isAncestorOf(old))
        old->setFocus();
}

void PlayForm::keyPressEvent(QKeyEvent *e) {
    // Escape does not close the player (in the player-only start it would end the program).
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    Form<QDialog>::keyPressEvent(e);
}

// ============================================================================ unload

void PlayForm::formUnload() {
    auto &s = g();
    // Events still queued by the player must not reach a window that is going.
    WindowsMediaPlayer1->blockSignals(true);

    if (auto *w = ui::findForm<frmNowPlaying>(); w && w->isVisible())
        ui::unloadForm(w);
    if (s.PlayerTop >= 0 && s.PlayerLeft >= 0) {
        s.PlayerTop = qRound(ui::pixelsToTwipsY(y()));
        s.PlayerLeft = qRound(ui::pixelsToTwipsX(x()));
    }
    try {
        mCommon::KillFile(s.DataFolder + QLatin1String(TempListName));
    } catch (const core::FileError &) {
        // A list that cannot be deleted is written over by the next play command.
    }
    s.PlayerOpen = false;

    if (ui::loadedCount() == 1 && !s.PlayFromMain && !s.PlayFromFolder && !s.ReopeningDatabase) {
        if (core::hooks().endProgram)
            core::hooks().endProgram(0);
        else
            QCoreApplication::quit();
        return;
    }
    s.PlayFromMain = false;
    s.PlayFromFolder = false;
    s.PlayPath.clear();
    s.PlayCaption.clear();
    PlayerRecordset.reset();
    PlayerView.reset();
}

// ============================================================================ player-only start

void showPlayerOnly(const QString &path) {
    // An empty player would leave the user guessing why nothing plays.
    if (!QFileInfo(path).isFile()) {
        showFileNotFound(path);
        return;
    }
    PlayForm *w = ui::form<PlayForm>();
    w->lbSongURL->addItem(path);
    w->lbSongs->addItem(path);
    for (QWidget *c : {static_cast<QWidget *>(w->cbShuffle), static_cast<QWidget *>(w->cbSkipDups),
                       static_cast<QWidget *>(w->cbPlayNext), static_cast<QWidget *>(w->cmbHeader),
                       static_cast<QWidget *>(w->cmdAddToPlaylist)})
        c->setVisible(false);
    w->setWindowState(Qt::WindowNoState);
    ui::showModal(w);
}

} // namespace player
