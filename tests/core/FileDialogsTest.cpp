#include "common/TestEnv.h"

#include "core/CommonDialogControl.h"
#include "core/CommonDlgs.h"
#include "core/mCommonDialog.h"
#include "platform/ui/FileFilter.h"
#include "platform/ui/ScriptedPrompts.h"

using platform::ui::convertFileFilter;

namespace {

const QString DbFilter = "Database files (*.mdb)|*.mdb|All Files (*.*)|*.*";
const QChar Nul(u'\0');

// Scripted prompts whose file dialogs also report a chosen filter entry and read-only box.
class ChoosingPrompts : public platform::ui::ScriptedPrompts {
public:
    int chosenIndex = 0; // 0: the index asked for
    bool tickReadOnly = false;
    QFont initialFont;
    std::optional<platform::ui::FontChoice> chooseFont(const platform::ui::FontRequest &r) override {
        initialFont = r.font;
        return ScriptedPrompts::chooseFont(r);
    }
    std::optional<platform::ui::FileDialogResult> openFile(const platform::ui::FileDialogRequest &r) override {
        return adjust(ScriptedPrompts::openFile(r));
    }
    std::optional<platform::ui::FileDialogResult> saveFile(const platform::ui::FileDialogRequest &r) override {
        return adjust(ScriptedPrompts::saveFile(r));
    }

private:
    std::optional<platform::ui::FileDialogResult> adjust(std::optional<platform::ui::FileDialogResult> res) const {
        if (res && chosenIndex)
            res->filterIndex = chosenIndex;
        if (res)
            res->readOnly = tickReadOnly;
        return res;
    }
};

struct OpenArgs {
    QString fileName, fileTitle, filter = DbFilter;
    bool readOnly = false;
    int filterIndex = 1, flags = 0;
    bool run() {
        return mCommonDialog::VBGetOpenFileName(fileName, fileTitle, true, false, readOnly, true, filter,
                                                filterIndex, "/data/", "Open database file", "", nullptr, flags);
    }
};

} // namespace

TEST(FileFilterConversion, PairsBecomeQtNameFilters) {
    EXPECT_EQ(convertFileFilter(DbFilter), QStringList({"Database files (*.mdb)", "All Files (*)"}));
    EXPECT_EQ(convertFileFilter("Music files (*.mp3;*.ogg)|*.mp3;*.ogg|Playlists|*.m3u"),
              QStringList({"Music files (*.mp3 *.ogg)", "Playlists (*.m3u)"}));
    EXPECT_EQ(convertFileFilter("Text: notes|*.txt"), QStringList({"Text: notes (*.txt)"}));
    EXPECT_EQ(convertFileFilter("Pictures (any)|*.jpg; *.bmp"), QStringList({"Pictures (any) (*.jpg *.bmp)"}));
    EXPECT_EQ(convertFileFilter("Lonely"), QStringList());
    EXPECT_EQ(convertFileFilter(""), QStringList());
}

class FileDialogs : public OrvalisTest {
protected:
    ChoosingPrompts prompts;
};

TEST_F(FileDialogs, OpenPassesTheCallersSettingsAndReturnsTheChoice) {
    prompts.answerFile("/data/OVdata.mdb");
    OpenArgs a;
    a.flags = mCommonDialog::OFN_ENABLEHOOK | mCommonDialog::OFN_PATHMUSTEXIST;
    ASSERT_TRUE(a.run());
    const auto &req = prompts.lastAsked()->file;
    EXPECT_EQ(req.title, "Open database file");
    EXPECT_EQ(req.filter, DbFilter);
    EXPECT_EQ(req.initialDir, "/data/");
    EXPECT_TRUE(req.fileMustExist);
    EXPECT_TRUE(req.pathMustExist);
    EXPECT_TRUE(req.hideReadOnly);
    EXPECT_FALSE(req.multiSelect);
    EXPECT_EQ(a.fileName, "/data/OVdata.mdb");
    EXPECT_EQ(a.fileTitle, "OVdata.mdb");
    EXPECT_EQ(a.flags, 0x1000 | 0x800 | 0x4); // the hook bit is removed
    EXPECT_EQ(a.filterIndex, 1);
    EXPECT_EQ(a.filter, "Database files (*.mdb)" + QString(Nul) + "*.mdb");
    EXPECT_EQ(mCommonDialog::LastDlgResult, 1);
}

TEST_F(FileDialogs, SecondFilterEntryAndReadOnlyBoxComeBack) {
    prompts.answerFile("/data/x.db");
    prompts.chosenIndex = 2;
    prompts.tickReadOnly = true;
    OpenArgs a;
    ASSERT_TRUE(a.run());
    EXPECT_EQ(a.filterIndex, 2);
    EXPECT_EQ(a.filter, "All Files (*.*)" + QString(Nul) + "*.*");
    EXPECT_TRUE(a.readOnly);
    EXPECT_EQ(a.flags & mCommonDialog::OFN_READONLY, mCommonDialog::OFN_READONLY);
}

TEST_F(FileDialogs, CancelEmptiesTheOutputs) {
    prompts.answerFile(std::nullopt);
    OpenArgs a;
    a.fileName = "old.mdb";
    a.flags = 0x800;
    EXPECT_FALSE(a.run());
    EXPECT_EQ(a.fileName, "");
    EXPECT_EQ(a.fileTitle, "");
    EXPECT_EQ(a.filter, "");
    EXPECT_EQ(a.flags, 0);
    EXPECT_EQ(a.filterIndex, -1);
    EXPECT_EQ(mCommonDialog::LastDlgResult, 0);

    QString name, title, filter = DbFilter;
    int index = 1, flags = 0;
    EXPECT_FALSE(mCommonDialog::VBGetSaveFileName(name, title, true, filter, index, "", "Save", "txt", nullptr, flags));
    EXPECT_EQ(index, 0);
    EXPECT_TRUE(prompts.lastAsked()->file.overwritePrompt);
    EXPECT_TRUE(prompts.lastAsked()->file.hideReadOnly);
}

TEST_F(FileDialogs, AColonSplitsADescriptionHereButNotInTheDialogObject) {
    prompts.answerFile("/a.txt");
    prompts.answerFile("/a.txt");
    OpenArgs a;
    a.filter = "Notes: text|*.txt";
    ASSERT_TRUE(a.run());
    EXPECT_EQ(prompts.lastAsked()->file.filter, "Notes| text|*.txt");

    core::CommonDlgs dlg;
    dlg.Filter = "Notes: text|*.txt";
    ASSERT_TRUE(dlg.ShowOpen());
    EXPECT_EQ(prompts.lastAsked()->file.filter, "Notes: text|*.txt");
}

TEST_F(FileDialogs, DialogObjectKeepsItsFieldsOnCancel) {
    core::CommonDlgs dlg;
    EXPECT_EQ(dlg.Filter, "All files (*.*)|*.*");
    dlg.FileName = "start.rtf";
    dlg.Flags = 0x4;
    prompts.answerFile(std::nullopt);
    EXPECT_FALSE(dlg.ShowSave());
    EXPECT_EQ(dlg.FileName, "start.rtf");
    EXPECT_EQ(dlg.Flags, 0x4);

    prompts.answerFile("/notes/n.rtf");
    ASSERT_TRUE(dlg.ShowSave());
    EXPECT_EQ(dlg.FileName, "/notes/n.rtf");
    EXPECT_EQ(dlg.FileTitle, "n.rtf");
}

TEST_F(FileDialogs, FontDialogFields) {
    core::CommonDlgs dlg;
    dlg.FontName = QString(40, 'F');
    dlg.FontSize = 0;
    prompts.answerFont(std::nullopt);
    EXPECT_FALSE(dlg.ShowFont());
    ASSERT_EQ(prompts.asked().size(), 1);
    EXPECT_EQ(prompts.initialFont.family(), QString(31, 'F')); // the face-name field's limit

    QFont chosen("DejaVu Sans", 14);
    chosen.setWeight(QFont::DemiBold);
    chosen.setItalic(true);
    prompts.answerFont(chosen);
    ASSERT_TRUE(dlg.ShowFont());
    EXPECT_EQ(dlg.FontName, "DejaVu Sans");
    EXPECT_FLOAT_EQ(dlg.FontSize, 14);
    EXPECT_TRUE(dlg.FontBold);
    EXPECT_TRUE(dlg.FontItalic);
    EXPECT_FALSE(dlg.FontUnderline);
    EXPECT_EQ(dlg.Flags & core::CommonDlgs::CF_SCREENFONTS, core::CommonDlgs::CF_SCREENFONTS);
}

namespace {

// The common-dialog control other windows use through the main window: its fields reach the
// dialog, the choice comes back in them, and Cancel either returns quietly with every field
// kept or, with CancelError set, raises error 32755.
TEST(CommonDialogControlTest, FieldsReachTheDialogAndCancelRaisesOnlyWhenAsked) {
    ChoosingPrompts prompts;
    core::CommonDialogControl cd;
    cd.DialogTitle = QStringLiteral("Choose a picture");
    cd.Filter = QStringLiteral("Pictures (*.jpg)|*.jpg|All Files (*.*)|*.*");
    cd.FilterIndex = 2;
    cd.Flags = mCommonDialog::OFN_FILEMUSTEXIST | mCommonDialog::OFN_HIDEREADONLY;
    cd.FileName = QStringLiteral("old.jpg");

    prompts.answerFile(QStringLiteral("/pics/new.jpg"));
    prompts.chosenIndex = 1;
    EXPECT_TRUE(cd.ShowOpen());
    const auto &asked = prompts.lastAsked()->file;
    EXPECT_EQ(asked.title, QStringLiteral("Choose a picture"));
    EXPECT_EQ(asked.filter, cd.Filter);
    EXPECT_EQ(asked.filterIndex, 2);
    EXPECT_TRUE(asked.fileMustExist);
    EXPECT_EQ(asked.fileName, QStringLiteral("old.jpg"));
    EXPECT_EQ(cd.FileName, QStringLiteral("/pics/new.jpg"));
    EXPECT_EQ(cd.FileTitle, QStringLiteral("new.jpg"));
    EXPECT_EQ(cd.FilterIndex, 1);

    prompts.answerFile(std::nullopt);
    EXPECT_FALSE(cd.ShowSave());
    EXPECT_EQ(prompts.lastAsked()->kind, platform::ui::ScriptedPrompts::Asked::Kind::SaveFile);
    EXPECT_EQ(cd.FileName, QStringLiteral("/pics/new.jpg")) << "Cancel keeps every field";

    cd.CancelError = true;
    prompts.answerFile(std::nullopt);
    try {
        cd.ShowOpen();
        ADD_FAILURE() << "Cancel did not raise";
    } catch (const core::DialogCancelled &e) {
        EXPECT_EQ(e.number(), 32755);
    }
    EXPECT_EQ(cd.FileName, QStringLiteral("/pics/new.jpg"));
}

} // namespace
