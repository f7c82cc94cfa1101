#pragma once
// The main window over ten songs chosen for the commands: artists sharing a prefix, a song and
// an artist with double quotes, an artist that is Null, three copies of one song (two of them
// on the same album), dates and sizes.
#include "SongListFixture.h"

#include "core/DuplicateQueries.h"
#include "core/modMain.h"
#include "platform/ui/DataControl.h"
#include "platform/ui/DbGrid.h"
#include "songlist/OtherWindows.h"

#include <QDateTime>
#include <QLocale>

class CommandsTest : public SongListTest {
protected:
    void SetUp() override {
        SongListTest::SetUp();
        core::createDuplicateQueries(*core::g().Db);
        struct S {
            const char *song, *artist, *album;
            int track;
            double size;
            QDate purchase;
        };
        const S songs[] = {
            {"Apple Pie", "ABBA", "Arrival", 1, 3.1, QDate(2024, 1, 5)},
            {"Banana Split", "Beatles", "Help", 12, 2.0, QDate(2024, 5, 1)},
            {"Cherry", "ABBA", "Arrival", 2, 4.0, QDate(2023, 2, 3)},
            {"Say \"Hi\"", "The \"Q\" Band", "Q", 3, 1.0, {}},
            {"Dup", "Dupes", "One", 5, 5.0, {}},
            {"Dup", "Dupes", "One", 5, 5.0, {}},
            {"Dup", "Dupes", "Two", 6, 5.0, {}},
            {"Elder", nullptr, "Tree", 7, 0.5, {}},
            {"Fig & Date", "Simon & Co", "Fruit", 8, 0.4, {}},
            {"zebra", "Zed", "Zoo", 21, 6.0, QDate(2022, 12, 31)},
        };
        for (const S &s : songs) {
            QVariantMap f{{"SongName", QString::fromUtf8(s.song)}, {"AlbumName", QString::fromUtf8(s.album)},
                          {"TrackNum", s.track}, {"FileSizeNum", s.size},
                          {"FileSize", QString::number(s.size) + QStringLiteral(" MB")},
                          {"PathName", QStringLiteral("/music/")},
                          {"FileName", QString::fromUtf8(s.song) + QStringLiteral(".mp3")},
                          {"Selected", QStringLiteral(" ")}};
            if (s.artist)
                f.insert("Artist", QString::fromUtf8(s.artist));
            if (s.purchase.isValid())
                f.insert("PurchaseDate", QDateTime(s.purchase, QTime(0, 0)));
            addSong(f);
        }
    }
    void TearDown() override {
        songlist::OtherWindows::clear();
        QLocale::setDefault(savedLocale_);
        SongListTest::TearDown();
    }

    void setLocale(QLocale::Language l, QLocale::Territory t) { QLocale::setDefault(QLocale(l, t)); }
    // Makes the first row whose field equals the value current.
    void go(const QString &criteria) { ASSERT_TRUE(w->Data1->findFirst(criteria)) << criteria.toStdString(); }
    QString current(const char *field) const { return w->currentText(QString::fromLatin1(field)); }
    long count() const { return w->recordCount(); }
    QString value(const QString &sql) {
        auto rs = core::g().Db->openRecordset(sql);
        return rs->recordCount() ? modMain::NullToEmpty(rs->value(0)).toString() : QStringLiteral("<none>");
    }
    // Records a window opening, with the caption it was given.
    QStringList opened;
    void registerWindow(const char *name) {
        const QString n = QString::fromLatin1(name);
        songlist::OtherWindows::set(n, [this, n](const QString &caption) {
            opened << (caption.isEmpty() ? n : n + QStringLiteral(":") + caption);
        });
    }
    const platform::ui::ScriptedPrompts::Asked &lastBox() const { return *prompts.lastAsked(); }

private:
    QLocale savedLocale_;
};
