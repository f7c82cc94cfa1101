#pragma once
// The song editor over the main window on a few songs: one with every field filled, one with
// every field Null, and plain ones. Windows the editor opens are stand-ins that record their
// openings.
#include "songlist/SongListFixture.h"

#include "core/AppState.h"
#include "editor/EditorWindows.h"
#include "editor/NameEdit.h"
#include "platform/settings/Options.h"
#include "platform/ui/DataControl.h"
#include "songlist/OtherWindows.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class EditorTest : public SongListTest {
protected:
    void SetUp() override {
        SongListTest::SetUp();
        music = tmp.path() + QStringLiteral("/music/");
        QDir().mkpath(music);
        testenv::writeFile(music + QStringLiteral("full.mp3"), "ID3");
        QVariantMap full{{"SongName", QStringLiteral("Full Song")},
                         {"ID", QStringLiteral("ID-1")},
                         {"BPM", QStringLiteral("120")},
                         {"Artist", QStringLiteral("The Artist")},
                         {"Genre", QStringLiteral("Rock")},
                         {"AlbumName", QStringLiteral("The Album")},
                         {"Composer", QStringLiteral("Composer")},
                         {"PathName", music},
                         {"FileName", QStringLiteral("full.mp3")},
                         {"bitRate", QStringLiteral("192 kbps")},
                         {"Duration", QStringLiteral("00:03:47")},
                         {"TrackText", QStringLiteral("7")},
                         {"FileSize", QStringLiteral("4.1 MB")},
                         {"Rating", QStringLiteral("***")},
                         {"Year", QStringLiteral("1925")},
                         {"PurchaseDate", QDateTime(QDate(1925, 3, 4), QTime(0, 0))},
                         {"Date2_Desc", QStringLiteral("Recorded")},
                         {"Date2", QDateTime(QDate(2024, 12, 31), QTime(13, 45))},
                         {"MiscField1_Desc", QStringLiteral("Mail")},
                         {"MiscField1", QStringLiteral("me@example.com")},
                         {"MiscField2_Desc", QStringLiteral("Site")},
                         {"MiscField2", QStringLiteral("www.example.com")},
                         {"MiscField3_Desc", QStringLiteral("Other")},
                         {"MiscField3", QStringLiteral("plain")},
                         {"Code", QStringLiteral("C1")},
                         {"Notes", QStringLiteral("line one\r\nline two")},
                         {"DateUpdated", QDateTime(QDate(2025, 1, 2), QTime(3, 4, 5))}};
        for (int i = 1; i <= 8; ++i)
            full.insert(QStringLiteral("PicturePath%1").arg(i), QStringLiteral("pic%1.jpg").arg(i));
        addSong(full);
        addSong({{"SongName", QStringLiteral("Plain One")}, {"Duration", QStringLiteral("00:02:00")},
                 {"PathName", QStringLiteral("/no/such/folder/")}, {"FileName", QStringLiteral("one.mp3")}});
        addSong({{"SongName", QStringLiteral("Plain Two")}, {"Duration", QStringLiteral("3:5")}});
        addSong({}); // every field Null
        editor::registerWindows();
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    }
    void TearDown() override {
        auto &s = core::g();
        s.RecordChanged = false; // nothing to ask while the windows unload
        s.PictureChanged = false;
        unloadForms();
        songlist::OtherWindows::clear();
        QLocale::setDefault(savedLocale_);
        SongListTest::TearDown();
    }

    long idOf(const QString &song) {
        auto rs = core::g().Db->openRecordset(
            QStringLiteral("Select RecordID from tblContacts Where SongName = '%1'").arg(song));
        return rs->recordCount() ? rs->value(0).toLongLong() : 0;
    }
    long nullSongId() {
        auto rs = core::g().Db->openRecordset(QStringLiteral("Select RecordID from tblContacts Where SongName Is Null"));
        return rs->value(0).toLongLong();
    }
    // Makes a song the grid's current row.
    void go(long id) { ASSERT_TRUE(w->Data1->findFirst(QStringLiteral("RecordID = %1").arg(id))); }
    long currentId() const { return w->Data1->recordset()->value(QStringLiteral("RecordID")).toLongLong(); }

    // Opens the main window and loads the editor on a song (View/Edit) or a new one (id 0).
    editor::NameEdit *edit(long id) {
        if (!w)
            open();
        auto &s = core::g();
        s.EditingExistingRecord = id != 0;
        if (id)
            go(id);
        e = platform::ui::form<editor::NameEdit>();
        loaded = e->Form_Load();
        return e;
    }
    // Shows the loaded editor and gives it the focus, for tests that click and type.
    void showActive() {
        e->show();
        e->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(e));
        QApplication::processEvents();
    }
    // A click as the window system delivers it: to the window, at the control's place.
    static void click(QWidget *w) {
        QTest::mouseClick(w->window()->windowHandle(), Qt::LeftButton, {}, w->mapTo(w->window(), w->rect().center()));
    }
    // Closes the editor without a question, leaving the main window as it is.
    void closeEditor() {
        core::g().RecordChanged = false;
        e->close();
        platform::ui::flushUnloadedForms();
        e = nullptr;
    }
    bool editorLoaded() const { return platform::ui::findForm<editor::NameEdit>() != nullptr; }
    // Records the openings of a window the editor opens.
    QStringList opened;
    void standIn(const char *name, std::function<void()> action = {}) {
        const QString n = QString::fromLatin1(name);
        songlist::OtherWindows::set(n, [this, n, action](const QString &) {
            opened << n;
            if (action)
                action();
        });
    }
    // A stored field of a song, read past the grid.
    static QVariant field(long id, const QString &name) {
        auto rs = core::g().Db->openRecordset(QStringLiteral("Select %1 from tblContacts Where RecordID = %2").arg(name).arg(id));
        return rs->eof() ? QVariant(QStringLiteral("<no row>")) : rs->value(0);
    }
    static long count(const QString &select) {
        return core::g().Db->openRecordset(select)->value(0).toLongLong();
    }
    const platform::ui::ScriptedPrompts::Asked &lastBox() const { return *prompts.lastAsked(); }

    QString music;
    editor::NameEdit *e = nullptr;
    bool loaded = false;

private:
    QLocale savedLocale_;
};
