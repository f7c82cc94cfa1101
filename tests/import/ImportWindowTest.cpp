// The import driven through the real main window: its File menu entries, the scan windows, and
// the grid afterwards.
#include "songlist/SongListFixture.h"

#include "import/ScanDriveForm.h"
#include "import/ScanFolderForm.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QPushButton>

namespace ui = platform::ui;

class ImportWindowTest : public SongListTest {
protected:
    void SetUp() override {
        SongListTest::SetUp();
        core::g().WinMajorVersion = 6;
        music = tmp.path() + QStringLiteral("/music/");
        put("id3v24-utf8.mp3", "a.mp3");
        put("untagged.mp3", "b.mp3");
        put("flac-utf8.flac", "sub/c.flac");
    }
    void put(const QString &fixture, const QString &relative) {
        QDir().mkpath(QFileInfo(music + relative).absolutePath());
        QFile::copy(QStringLiteral(ORVALIS_TEST_DATA_DIR "/") + fixture, music + relative);
    }
    // The grid's texts of one field, row by row.
    QStringList gridColumn(const QString &field) const {
        QStringList out;
        int column = -1;
        for (int c = 0; c < w->Table1->model()->columnCount(); ++c)
            if (w->Table1->columnDataField(c).compare(field, Qt::CaseInsensitive) == 0)
                column = c;
        for (int r = 0; column >= 0 && r < w->Table1->model()->rowCount(); ++r)
            out << w->Table1->model()->index(r, column).data().toString();
        out.sort();
        return out;
    }
    QString music;
};

TEST_F(ImportWindowTest, AddFolderFromTheFileMenuShowsTheNewSongsInTheGrid) {
    open();
    w->show();
    ASSERT_EQ(w->Table1->model()->rowCount(), 0);

    prompts.answerFolder(music);
    w->AddMusicFolder->trigger();

    EXPECT_EQ(w->recordCount(), 3);
    EXPECT_EQ(w->Table1->model()->rowCount(), 3);
    EXPECT_EQ(gridColumn("SongName"),
              (QStringList{"b.mp3", QString::fromUtf8("Żółw tańczy"), QString::fromUtf8("Żółw tańczy")}));
    EXPECT_TRUE(prompts.lastMessage().startsWith("Number of songs added to database: 3\r\n"));
    EXPECT_EQ(prompts.lastAsked()->title, "Done");
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanFolderForm")));
    EXPECT_TRUE(w->cmdShowArtistSongs->text().startsWith("Show all songs by "));

    // Adding the same folder again adds nothing.
    prompts.answerFolder(music);
    w->AddMusicFolder->trigger();
    EXPECT_EQ(w->Table1->model()->rowCount(), 3);
    EXPECT_TRUE(prompts.lastMessage().contains("already in database: 3\r\n"));
}

TEST_F(ImportWindowTest, AddOneFileAndScanAVolumeFromTheFileMenu) {
    open();
    w->show();
    prompts.answerFile(music + "b.mp3");
    w->AddOneMusicFile->trigger();
    EXPECT_EQ(gridColumn("FileName"), QStringList{"b.mp3"});

    ui::ScopedModalHook hook([this](QDialog *d) {
        if (auto *f = qobject_cast<import::ScanDriveForm *>(d)) {
            f->setVolumes({{music, QString()}});
            f->cmbDrive->setCurrentIndex(0);
            f->cmdLoad->click();
        }
    });
    w->ScanFiles->trigger();
    ui::flushUnloadedForms();
    EXPECT_EQ(gridColumn("FileName"), (QStringList{"a.mp3", "b.mp3", "c.flac"}));
    EXPECT_TRUE(prompts.lastMessage().startsWith("Number of songs added to database: 2\r\n"));
    EXPECT_TRUE(w->isVisible());
    EXPECT_FALSE(ui::isLoaded(QStringLiteral("ScanDriveForm")));
}
