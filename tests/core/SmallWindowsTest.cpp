// The font, database-location, help and about windows, driven offscreen through the modal
// hook and the scripted prompt service.
#include "common/TestEnv.h"
#include "core/About.h"
#include "core/AppState.h"
#include "core/frmDatabaseLocation.h"
#include "core/frmFontForm.h"
#include "core/frmHelp.h"
#include "core/frmMessage.h"
#include "platform/settings/Options.h"
#include "platform/ui/MousePointer.h"
#include "platform/ui/ScriptedPrompts.h"

#include <QAbstractItemView>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace platform::ui;
namespace settings = platform::settings;
using namespace core;

namespace {

class SmallWindowsTest : public OrvalisTest {
protected:
    void TearDown() override {
        setModalHook({});
        setMousePointer(MousePointer::Default);
        unloadAllForms();
        flushUnloadedForms();
        OrvalisTest::TearDown();
    }
    QString option(const QString &key) { return settings::GetSetting(settings::OptionsSection, key, "<absent>"); }
    ScriptedPrompts sp;
};

// A stand-in for the main window: loaded under its name, with the selected-songs button.
QWidget *fakeMainWindow() {
    auto *w = new QWidget;
    w->setObjectName("NameList");
    auto *grid = new QLabel("grid", w);
    grid->setFont(QFont("DejaVu Sans", 11));
    auto *b = new QPushButton("S", w);
    b->setObjectName("cmdShowSelected");
    registerForm(w);
    return w;
}

} // namespace

// ---------------------------------------------------------------- Enter

TEST_F(SmallWindowsTest, EnterInASmallWindowPressesItsDefaultButton) {
    // Enter where the user types presses the window's OK (the input window's text box has its
    // own Enter, tested with that window).
    fakeMainWindow();
    g().DataFolder = tmp.path() + "/";
    g().ScreenFontName = "DejaVu Sans";
    struct Case {
        const char *window;
        std::function<QDialog *()> open;
        std::function<QWidget *(QDialog *)> typingIn;
        std::function<QPushButton *(QDialog *)> okButton;
    };
    const Case cases[] = {
        {"database location", [] { return form<frmDatabaseLocation>(); },
         [](QDialog *d) -> QWidget * { return static_cast<frmDatabaseLocation *>(d)->txtPathName; },
         [](QDialog *d) { return static_cast<frmDatabaseLocation *>(d)->cmdSave; }},
        {"font", [] { return form<frmFontForm>(); }, [](QDialog *d) -> QWidget * { return static_cast<frmFontForm *>(d)->cmbFonts->lineEdit(); },
         [](QDialog *d) { return static_cast<frmFontForm *>(d)->cmdOK; }},
        {"warning", [] { return form<frmMessage>(); },
         [](QDialog *d) -> QWidget * { return static_cast<frmMessage *>(d)->chkShowAgain; },
         [](QDialog *d) { return static_cast<frmMessage *>(d)->cmdOK; }},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.window);
        QDialog *d = c.open();
        QSignalSpy pressed(c.okButton(d), &QPushButton::clicked);
        ScopedModalHook hook([&](QDialog *shown) {
            QWidget *box = c.typingIn(shown);
            box->setFocus();
            QTest::keyClick(box, Qt::Key_Return);
        });
        showModal(d);
        EXPECT_EQ(pressed.count(), 1);
        unloadAllForms();
        flushUnloadedForms();
        fakeMainWindow();
    }
}

// ---------------------------------------------------------------- font window

TEST_F(SmallWindowsTest, FontListHoldsEveryFontAndShowsTheCurrentOne) {
    g().ScreenFontName = "DejaVu Sans";
    frmFontForm *f = form<frmFontForm>();
    EXPECT_EQ(f->windowTitle(), "Font Selection");
    const QStringList families = QFontDatabase::families();
    ASSERT_EQ(f->cmbFonts->count(), families.size());
    EXPECT_EQ(f->cmbFonts->itemText(0), families.first());
    EXPECT_EQ(f->cmbFonts->currentText(), "DejaVu Sans");
}

TEST_F(SmallWindowsTest, FontOKAppliesTheFontToTheMainWindowAndSavesIt) {
    QWidget *main = fakeMainWindow();
    g().ScreenFontName = "DejaVu Sans";
    ScopedModalHook hook([](QDialog *d) {
        auto *f = qobject_cast<frmFontForm *>(d);
        f->cmbFonts->setEditText("DejaVu Serif");
        f->cmdOK->click();
    });
    showModal(form<frmFontForm>(), main);
    EXPECT_EQ(g().ScreenFontName, "DejaVu Serif");
    EXPECT_EQ(option("Font"), "DejaVu Serif");
    const QLabel *grid = main->findChild<QLabel *>();
    EXPECT_EQ(grid->font().family(), "DejaVu Serif");
    EXPECT_EQ(grid->font().pointSize(), 8);
    const auto *sel = main->findChild<QPushButton *>("cmdShowSelected");
    EXPECT_EQ(sel->font().family(), "Small Fonts");
    EXPECT_EQ(sel->font().pointSize(), 6);
    EXPECT_FALSE(isLoaded("frmFontForm"));
}

TEST_F(SmallWindowsTest, FontOKWithoutATextChangesNothing) {
    g().ScreenFontName = "DejaVu Sans";
    for (const char *text : {"", " "}) {
        ScopedModalHook hook([&](QDialog *d) {
            auto *f = qobject_cast<frmFontForm *>(d);
            f->cmbFonts->setEditText(text);
            f->cmdOK->click();
        });
        showModal(form<frmFontForm>());
        EXPECT_EQ(g().ScreenFontName, "DejaVu Sans");
        EXPECT_EQ(option("Font"), "<absent>");
        EXPECT_FALSE(isLoaded("frmFontForm"));
    }
}

TEST_F(SmallWindowsTest, FontListDropsDownWhenItGetsTheFocus) {
    bool dropped = false;
    ScopedModalHook hook([&](QDialog *d) {
        auto *f = qobject_cast<frmFontForm *>(d);
        f->cmdOK->setFocus();
        f->cmbFonts->setFocus();
        dropped = f->cmbFonts->view()->isVisible();
        f->cmbFonts->hidePopup();
        f->cmdCancel->click();
    });
    showModal(form<frmFontForm>());
    EXPECT_TRUE(dropped);
}

// ---------------------------------------------------------------- database location

class DatabaseLocationTest : public SmallWindowsTest {
protected:
    void SetUp() override {
        SmallWindowsTest::SetUp();
        current = tmp.path() + "/current/";
        other = tmp.path() + "/other/";
        QDir().mkpath(current);
        QDir().mkpath(other);
        testenv::writeFile(current + "OVdata.mdb", "db");
        g().DataFolder = current;
    }
    // Opens the window, types `folder` and presses Save; returns whether the window stayed open.
    bool save(const QString &folder) {
        bool stayed = false;
        ScopedModalHook hook([&](QDialog *d) {
            auto *w = qobject_cast<frmDatabaseLocation *>(d);
            w->txtPathName->setText(folder);
            w->cmdSave->click();
            stayed = w->isVisible();
            if (stayed) {
                EXPECT_EQ(w->focusWidget(), w->cmdCancel);
                w->cmdCancel->click();
            }
        });
        showModal(form<frmDatabaseLocation>());
        return stayed;
    }
    QString current, other;
};

TEST_F(DatabaseLocationTest, ShowsTheFolderInUse) {
    auto *w = form<frmDatabaseLocation>();
    EXPECT_EQ(w->windowTitle(), "Change Database Location");
    EXPECT_EQ(w->txtPathName->text(), current);
}

TEST_F(DatabaseLocationTest, AMissingFolderIsRefusedAndTheWindowStaysOpen) {
    EXPECT_TRUE(save(tmp.path() + "/nowhere/"));
    ASSERT_EQ(sp.asked().size(), 1);
    EXPECT_EQ(sp.lastMessage(), "Folder does not exist");
    EXPECT_EQ(sp.lastAsked()->title, "Folder not found");
    EXPECT_EQ(sp.lastAsked()->icon, Icon::Critical);
    EXPECT_EQ(option("Database Location"), "<absent>");
}

TEST_F(DatabaseLocationTest, AFolderWithoutTheCatalogueIsRefused) {
    // The other folder holds no catalogue; the current one typed without its "/" does not
    // find its catalogue either.
    for (const QString &folder : {other, current.chopped(1)}) {
        sp.clear();
        EXPECT_TRUE(save(folder));
        EXPECT_EQ(sp.lastMessage(), "Your OVdata.mdb database file does not exist within the chosen folder.  "
                                    "You must first move it there.");
        EXPECT_EQ(sp.lastAsked()->title, "Database file not found");
    }
    EXPECT_EQ(option("Database Location"), "<absent>");
}

TEST_F(DatabaseLocationTest, TheFolderInUseClosesSilently) {
    EXPECT_FALSE(save(current));
    EXPECT_TRUE(sp.asked().isEmpty());
    EXPECT_EQ(option("Database Location"), "<absent>");
}

TEST_F(DatabaseLocationTest, AnotherFolderWithTheCatalogueIsSavedForTheNextStart) {
    testenv::writeFile(other + "OVdata.mdb", "db");
    EXPECT_FALSE(save(other));
    EXPECT_EQ(option("Database Location"), other);
    EXPECT_EQ(sp.lastMessage(), "Database Location Changed.  You must exit and restart Orvalis before this change "
                                "will take effect.");
    EXPECT_EQ(sp.lastAsked()->title, "Location Changed");
    EXPECT_EQ(sp.lastAsked()->buttons, Buttons::OK);
    EXPECT_EQ(g().DataFolder, current);  // the open catalogue stays until the next start
}

TEST_F(DatabaseLocationTest, BrowseStartsAtTheTypedFolderElseTheLastFolderUsed) {
    auto *w = form<frmDatabaseLocation>();
    sp.answerFolder(other.chopped(1));
    w->txtPathName->setText(current);
    w->cmdBrowsePath->click();
    ASSERT_EQ(sp.asked().size(), 1);
    EXPECT_EQ(QDir::cleanPath(sp.lastAsked()->folder.startFolder), QDir::cleanPath(current));
    EXPECT_EQ(sp.lastAsked()->folder.prompt, "Select a Folder");
    EXPECT_EQ(w->txtPathName->text(), other);  // with its trailing "/"

    g().LastCopyFolder = tmp.path() + "/";
    w->txtPathName->setText(tmp.path() + "/nowhere/");
    w->cmdBrowsePath->click();  // cancelled: the box keeps its text
    EXPECT_EQ(sp.lastAsked()->folder.startFolder, tmp.path() + "/");
    EXPECT_EQ(w->txtPathName->text(), tmp.path() + "/nowhere/");
}

// ---------------------------------------------------------------- help and about

TEST_F(SmallWindowsTest, HelpShowsWhatTheCallerFilledInAndEndsTheHourglass) {
    g().ScreenFontName = "DejaVu Serif";
    setMousePointer(MousePointer::Hourglass);
    frmHelp *h = form<frmHelp>();
    EXPECT_EQ(mousePointer(), MousePointer::Default);
    h->lblHeading1->setText("Play lists");
    h->lblBody1->setText("Pick a list.");
    QString heading;
    ScopedModalHook hook([&](QDialog *d) {
        auto *w = qobject_cast<frmHelp *>(d);
        heading = w->lblHeading1->text();
        EXPECT_EQ(w->OKButton->toolTip(), "Closes this window.");
        EXPECT_EQ(w->lblBody1->font().family(), "DejaVu Serif");
        w->OKButton->click();
    });
    showModal(h);
    EXPECT_EQ(heading, "Play lists");
    EXPECT_FALSE(isLoaded("frmHelp"));
}

TEST_F(SmallWindowsTest, AboutIsAsWideAsItsPictureCentredAndItsLinkOpensTheWebAddress) {
    About *a = form<About>();
    EXPECT_EQ(a->windowTitle(), "About Orvalis");
    EXPECT_EQ(a->width(), a->Image1->pixmap().width());
    const QRect s = screenRect(a);
    EXPECT_NEAR(a->geometry().center().x(), s.center().x(), 1);
    EXPECT_EQ(a->Label2->text(), "https://orvalis.example/");
    EXPECT_TRUE(a->lblInfo->text().contains("Orvalis project"));

    ScopedModalHook hook([](QDialog *d) {
        auto *w = qobject_cast<About *>(d);
        QTest::mouseClick(w->Label2, Qt::LeftButton);
        w->Command1->click();
    });
    showModal(a);
    ASSERT_EQ(sp.openedUrls.size(), 1);
    EXPECT_EQ(sp.openedUrls.first(), QUrl("https://orvalis.example/"));
    EXPECT_FALSE(isLoaded("About"));
}
