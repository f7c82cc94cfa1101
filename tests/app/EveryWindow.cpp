#include "EveryWindow.h"

#include "categories/CategoryAssign.h"
#include "categories/CategoryForm.h"
#include "categories/CatgAssignAll.h"
#include "categories/CriteriaForm.h"
#include "categories/RegisterWindows.h"
#include "core/About.h"
#include "core/HelpViewer.h"
#include "core/InputForm.h"
#include "core/MsgForm.h"
#include "core/frmDatabaseLocation.h"
#include "core/frmFontForm.h"
#include "core/frmHelp.h"
#include "core/frmMessage.h"
#include "editor/EditorWindows.h"
#include "editor/NameEdit.h"
#include "import/ScanDriveForm.h"
#include "import/ScanFolderForm.h"
#include "notes/MemoForm.h"
#include "notes/NotesForm.h"
#include "notes/NotesWindows.h"
#include "pictures/PictureForm.h"
#include "pictures/Pics3.h"
#include "player/PlayForm.h"
#include "player/PlayListWindows.h"
#include "player/frmNowPlaying.h"
#include "player/frmPlay.h"
#include "player/frmPlayList.h"
#include "player/frmPlayListDetail.h"
#include "player/frmPlayListHeader.h"
#include "reports/Reports.h"
#include "reports/RichTextForm.h"
#include "reports/frmChangeFileNamePath.h"
#include "reports/frmChangeFilePath.h"
#include "reports/frmReplace.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>
#include <QTextBrowser>

namespace ui = platform::ui;

void EveryWindowTest::SetUp() {
    CommandsTest::SetUp();
    categories::registerWindows();
    reports::registerWindows();
    editor::registerWindows();
    player::installPlayLists();
    pictures::registerWindows();
    notes::registerWindows();
    auto &db = *core::g().Db;
    db.execute(QStringLiteral("Insert Into tblCategoryDesc (CategoryDesc) Values ('Favourites')"));
    db.execute(QStringLiteral("Insert Into tblSettings (Type, Name) Values ('NOTE', 'Shopping')"));
    db.execute(QStringLiteral("Insert Into tblPlayListHeader (ListName, Notes) Values ('Evening', '')"));
    db.execute(QStringLiteral("Insert Into tblPlayListDetail (ListID, ListTrackID, SongTitle, ArtistName, FileName) "
                              "Select Max(ListID), 1, 'Apple Pie', 'ABBA', '/music/Apple Pie.mp3' From tblPlayListHeader"));
}

void EveryWindowTest::visit(QWidget *window, const std::function<void(QWidget *)> &check) {
    ASSERT_TRUE(window);
    const QString name = window->objectName();
    QPointer<QWidget> kept = window;
    window->show();
    QCoreApplication::processEvents();
    check(window);
    ASSERT_TRUE(kept) << name.toStdString() << " closed by itself";
    if (window == w) {
        window->hide(); // the other windows open over it, as they do in the program
        return;
    }
    ui::unloadForm(window);
    ui::flushUnloadedForms();
}

void EveryWindowTest::forEveryWindow(const std::function<void(QWidget *)> &check) {
    open();
    // A song whose path takes the detail box's last line.
    w->Data1->recordset()->edit();
    w->Data1->recordset()->setValue(QStringLiteral("PathName"), QStringLiteral("/home/someone/Music/Some Artist/"));
    w->Data1->recordset()->setValue(QStringLiteral("PicturePath1"), QStringLiteral("cover.jpg"));
    w->Data1->recordset()->update();
    w->Data1->refresh();
    w->Data1->moveFirst();
    // The main window stays loaded under the others.
    visit<songlist::NameList>(check);

    // A report with its headings, as the Reports menu shows it.
    w->mnuArtistRpt_Click();
    visit(ui::findForm<reports::RichTextForm>(), check);
    {
        // The page shipped with the program, in the program's own viewer (no browser here).
        const QString dataFolder = core::g().ProgramFolderOverride;
        core::g().ProgramFolderOverride = QCoreApplication::applicationDirPath();
        prompts.urlsOpen = false;
        core::HelpViewer::showHelp(w);
        prompts.urlsOpen = true;
        core::g().ProgramFolderOverride = dataFolder;
        auto *help = ui::findForm<core::HelpViewer>();
        EXPECT_FALSE(help->txtHelp->toPlainText().isEmpty());
        visit(help, check);
    }

    // The song editor showing the current song, as View/Edit opens it.
    {
        core::g().EditingExistingRecord = true;
        auto *e = ui::form<editor::NameEdit>();
        e->Form_Load();
        visit(e, check);
    }
    {
        // With a picture on the clipboard the window offers its paste button.
        QImage picture(16, 12, QImage::Format_RGB32);
        picture.fill(Qt::darkBlue);
        QGuiApplication::clipboard()->setImage(picture);
        core::g().PastingImage = true;
        QPointer<pictures::PictureForm> p = ui::form<pictures::PictureForm>();
        p->Form_Load();
        ASSERT_TRUE(p) << "the picture window closed on loading the pasted picture";
        visit(p, check);
        core::g().PastingImage = false;
        QGuiApplication::clipboard()->clear();
    }
    visit<pictures::Pics3>(check);
    visit<notes::MemoForm>(check);
    visit<notes::NotesForm>(check);
    visit<categories::CatgAssignAll>(check);
    visit<categories::CategoryForm>(check);
    visit<categories::CriteriaForm>(check);
    visit<categories::CategoryAssign>(check);
    visit<import::ScanDriveForm>(check);
    visit<import::ScanFolderForm>(check);
    visit<reports::frmChangeFilePath>(check);
    visit<reports::frmChangeFileNamePath>(check);
    visit<reports::frmReplace>(check);
    visit<reports::RichTextForm>(check);
    visit<player::PlayForm>(check);
    visit<player::frmPlay>(check);
    visit<player::frmPlayList>(check);
    visit<player::frmPlayListHeader>(check);
    visit<player::frmPlayListDetail>(check);
    visit<core::frmFontForm>(check);
    {
        // The help window with the longest text it is given, as the play-list window shows it.
        auto *lists = ui::form<player::frmPlayList>();
        ui::ScopedModalHook hook([&](QDialog *d) {
            if (qobject_cast<core::frmHelp *>(d))
                visit(d, check);
        });
        lists->cmdHelpPlayList_Click();
        ui::unloadForm(lists);
        ui::flushUnloadedForms();
    }
    visit<core::frmMessage>(check);
    visit<core::About>(check);
    visit<core::MsgForm>(check);
    visit<core::frmDatabaseLocation>(check);
    visit<core::InputForm>(check);
}
