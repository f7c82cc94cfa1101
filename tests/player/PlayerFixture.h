#pragma once
// The player window on a fake media player, over an empty catalogue in the test's folder. The
// end of the program is recorded, not carried out.
#include "common/DataFolderTest.h"
#include "common/FakeMediaPlayer.h"
#include "core/StartupHooks.h"
#include "player/PlayForm.h"

#include <QListWidget>

class PlayerTest : public DataFolderTest {
protected:
    void SetUp() override {
        DataFolderTest::SetUp();
        savedHooks = core::hooks();
        core::hooks().endProgram = [this](int code) { endCodes << code; };
    }
    void TearDown() override {
        unloadForms();
        core::hooks() = savedHooks;
        DataFolderTest::TearDown();
    }

    // Hands over songs as a play command does ("text|path" pairs) and loads the window.
    player::PlayForm *load(const QStringList &songs = {}, bool tempList = false) {
        auto &s = core::g();
        s.PlayCaption = QStringLiteral("Playing");
        if (tempList) {
            s.PlayPath = s.DataFolder + QStringLiteral("OVPlayList.m3u");
            QByteArray lines;
            for (const QString &song : songs)
                lines += song.section(QLatin1Char('|'), 1).toUtf8() + "\r\n";
            testenv::writeFile(s.PlayPath, lines);
        } else if (!songs.isEmpty()) {
            s.PlayPath = songs.first().section(QLatin1Char('|'), 1);
        }
        auto *w = platform::ui::form<player::PlayForm>();
        for (const QString &song : songs) {
            w->lbSongs->addItem(song.section(QLatin1Char('|'), 0, 0));
            w->lbSongURL->addItem(song.section(QLatin1Char('|'), 1));
        }
        return w;
    }
    testenv::FakeMediaPlayer *fake() const { return fakes.last(); }

    testenv::FakeMediaPlayers fakes;
    core::StartupHooks savedHooks;
    QList<int> endCodes;
};
