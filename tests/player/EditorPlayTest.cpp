// The song editor's Play: the song the editor's boxes name goes to a new player, the editor
// stays open and usable beside it, and the main window stays hidden until the editor closes.
#include "editor/EditorFixture.h"

#include "common/FakeMediaPlayer.h"
#include "player/PlayCommands.h"
#include "player/PlayForm.h"

#include <QListWidget>

using core::g;
using player::PlayForm;
namespace ui = platform::ui;

namespace {

class EditorPlayTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        player::registerPlayCommands();
    }
    PlayForm *player() const { return ui::findForm<PlayForm>(); }
    testenv::FakeMediaPlayers fakes;
};

TEST_F(EditorPlayTest, ABlankNameOrAMissingFileIsNamedAndThePlayerIsLeftAlone) {
    const struct {
        const char *folder, *file;
    } rows[] = {{"/music/", " "}, {"/music/", "deleted.mp3"}, {"/music/", ""}};
    for (const auto &row : rows) {
        edit(idOf(QStringLiteral("Full Song")));
        const QString folder = tmp.path() + QString::fromUtf8(row.folder);
        e->txtPathName->setText(folder);
        e->txtFileName->setText(QString::fromUtf8(row.file));
        prompts.clear();
        e->cmdPlay->click();
        EXPECT_FALSE(player());
        ASSERT_EQ(prompts.asked().size(), 1);
        EXPECT_EQ(lastBox().title, QStringLiteral("File not found to play"));
        EXPECT_TRUE(lastBox().text.startsWith(QStringLiteral("\"") + folder + QString::fromUtf8(row.file) +
                                              QStringLiteral("\"\r\nnot found.\r\n")));
        EXPECT_TRUE(lastBox().text.endsWith(QStringLiteral("\"Change Music File Locations\" from the Edit menu.")));
        EXPECT_FALSE(g().PlayFromEditor);
        closeEditor();
    }
}

TEST_F(EditorPlayTest, PlayFromTheEditorOpenedByViewEditLeavesBothWindowsUsable) {
    open();
    go(idOf(QStringLiteral("Full Song")));
    // A player already playing another song.
    g().PlayFromMain = true;
    g().PlayPath = QStringLiteral("/m/other.mp3");
    auto *old = ui::form<PlayForm>();
    old->lbSongs->addItem(QStringLiteral("Other"));
    old->lbSongURL->addItem(g().PlayPath);
    old->show();

    bool flagWhileModal = false;
    ui::ScopedModalHook hook([&](QDialog *d) {
        auto *ed = qobject_cast<editor::NameEdit *>(d);
        if (!ed)
            return;
        ed->txtFileName->setText(QStringLiteral("full.mp3"));  // as saved; the path comes from the boxes
        ed->cmdPlay->click();
        flagWhileModal = g().PlayFromEditor;
    });
    w->cmdEdit->click();
    EXPECT_TRUE(flagWhileModal);
    EXPECT_FALSE(g().PlayFromEditor) << "View/Edit, resuming, clears it";
    EXPECT_TRUE(g().EditingExistingRecord) << "left as it was";

    PlayForm *p = player();
    ASSERT_TRUE(p);
    EXPECT_NE(p, old);
    EXPECT_EQ(p->lbSongs->count(), 1);
    EXPECT_EQ(p->lbSongs->item(0)->text(), QStringLiteral("Full Song <> The Artist"));
    EXPECT_EQ(p->lbSongURL->item(0)->text(), music + QStringLiteral("full.mp3"));
    EXPECT_EQ(p->windowTitle(), QStringLiteral("full.mp3"));
    EXPECT_TRUE(p->cbShuffle->isHidden());
    EXPECT_TRUE(p->cbSkipDups->isHidden());
    EXPECT_TRUE(p->isVisible());
    EXPECT_FALSE(w->isVisible()) << "the main window hides";

    QCoreApplication::processEvents();
    auto *ed = ui::findForm<editor::NameEdit>();
    ASSERT_TRUE(ed);
    EXPECT_TRUE(ed->isVisible()) << "shown again once its modal display ended";
    EXPECT_EQ(ed->windowModality(), Qt::NonModal);
    EXPECT_FALSE(QApplication::activeModalWidget());

    // A second Play replaces the player with this song alone.
    prompts.clear();
    ed->cmdPlay->click();
    QCoreApplication::processEvents();
    EXPECT_TRUE(prompts.asked().isEmpty());
    ASSERT_TRUE(player());
    EXPECT_EQ(player()->lbSongs->count(), 1);
    EXPECT_TRUE(ed->isVisible());

    // Closing the editor brings the main window back; the player plays on.
    g().RecordChanged = false;
    ed->close();
    ui::flushUnloadedForms();
    EXPECT_TRUE(w->isVisible());
    EXPECT_TRUE(player());
}

TEST_F(EditorPlayTest, ASecondPlayDuringTheHandOverIsRefused) {
    open();
    go(idOf(QStringLiteral("Full Song")));
    ui::ScopedModalHook hook([&](QDialog *d) {
        auto *ed = qobject_cast<editor::NameEdit *>(d);
        if (!ed)
            return;
        ed->cmdPlay->click();
        ed->cmdPlay->click();  // before the editor has shown again
    });
    w->cmdEdit->click();
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(lastBox().text, QStringLiteral("Already playing a song."));
    EXPECT_EQ(lastBox().title, QStringLiteral("Error"));
    EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
    QCoreApplication::processEvents();
    ASSERT_TRUE(ui::findForm<editor::NameEdit>());
    EXPECT_TRUE(ui::findForm<editor::NameEdit>()->isVisible());
}

} // namespace
