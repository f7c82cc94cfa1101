#include "EveryWindowFixture.h"

#include "categories/CategoryAssign.h"
#include "categories/CategoryForm.h"
#include "categories/CatgAssignAll.h"
#include "categories/CriteriaForm.h"
#include "core/About.h"
#include "core/InputForm.h"
#include "core/MsgForm.h"
#include "core/frmDatabaseLocation.h"
#include "core/frmFontForm.h"
#include "core/frmHelp.h"
#include "core/frmMessage.h"
#include "editor/NameEdit.h"
#include "import/ScanDriveForm.h"
#include "import/ScanFolderForm.h"
#include "notes/MemoForm.h"
#include "notes/NotesForm.h"
#include "pictures/Pics3.h"
#include "player/PlayForm.h"
#include "player/frmNowPlaying.h"
#include "player/frmPlay.h"
#include "player/frmPlayList.h"
#include "player/frmPlayListDetail.h"
#include "player/frmPlayListHeader.h"
#include "reports/RichTextForm.h"
#include "reports/frmChangeFileNamePath.h"
#include "reports/frmChangeFilePath.h"
#include "reports/frmReplace.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QPointer>

namespace ui = platform::ui;

void EveryWindowTest::SetUp() {
    CommandsTest::SetUp();
    categories::registerWindows();
    reports::registerWindows();
    editor::registerWindows();
    player::installPlayLists();
    pictures::registerWindows();
    notes::registerWindows();
}

namespace {
template <class T> QWidget *opener() { return ui::form<T>(); }
} // namespace

void EveryWindowTest::forEveryWindow(const std::function<void(QWidget *)> &check) {
    open();
    w->Data1->recordset()->edit();
    w->Data1->recordset()->setValue(QStringLiteral("PathName"), QStringLiteral("/home/someone/Music/Some Artist/"));
    w->Data1->recordset()->update();
    w->Data1->refresh();
    w->Data1->moveFirst();
    const auto each = [&](QWidget *window) {
        ASSERT_TRUE(window);
        const QString name = window->objectName();
        QPointer<QWidget> kept = window;
        check(window);
        ASSERT_TRUE(kept) << name.toStdString() << " closed by itself";
        if (window == w) {
            window->hide();  // the other windows open over it, as they do in the program
            return;
        }
        ui::unloadForm(window);
        ui::flushUnloadedForms();
    };
    const std::function<QWidget *()> openers[] = {
        &opener<songlist::NameList>,
        [] {
            // The current song, as View/Edit shows it.
            core::g().EditingExistingRecord = true;
            auto *e = ui::form<editor::NameEdit>();
            e->Form_Load();
            return e;
        },
        [] {
            // With a picture on the clipboard the window offers its paste button.
            QImage picture(16, 12, QImage::Format_RGB32);
            picture.fill(Qt::darkBlue);
            QGuiApplication::clipboard()->setImage(picture);
            core::g().PastingImage = true;
            auto *p = ui::form<pictures::PictureForm>();
            p->Form_Load();
            core::g().PastingImage = false;
            return p;
        },
        &opener<pictures::Pics3>,
        [this] {
            // An empty store asks for the first note's title as the window first shows.
            prompts.answerInput(QStringLiteral("First note"));
            return opener<notes::MemoForm>();
        },
        &opener<notes::NotesForm>, &opener<categories::CatgAssignAll>, &opener<categories::CategoryForm>,
        &opener<categories::CriteriaForm>, &opener<categories::CategoryAssign>, &opener<import::ScanDriveForm>,
        &opener<import::ScanFolderForm>, &opener<reports::frmChangeFilePath>, &opener<reports::frmChangeFileNamePath>,
        &opener<reports::frmReplace>, &opener<reports::RichTextForm>, &opener<player::PlayForm>,
        &opener<player::frmPlay>, &opener<player::frmPlayList>, &opener<player::frmPlayListHeader>,
        &opener<player::frmPlayListDetail>, &opener<core::frmFontForm>, &opener<core::frmHelp>,
        &opener<core::frmMessage>, &opener<core::About>, &opener<core::MsgForm>, &opener<core::frmDatabaseLocation>,
        &opener<core::InputForm>,
    };
    for (const auto &open : openers)
        each(open());
    QGuiApplication::clipboard()->clear();
}
