// The picture window over the main window and a stand-in song editor (eight slot boxes and the
// song name): what it opens with, what its commands change, and what its closing and Delete
// store, move and write back, and the folder Load starts in. Stored files are decoded and
// compared.
#include "songlist/SongListFixture.h"

#include "core/CommonDialogControl.h"
#include "core/FileError.h"
#include "core/PictureFormats.h"
#include "core/StartFolders.h"
#include "pictures/PictureFiles.h"
#include "pictures/PictureForm.h"
#include "platform/ui/DataControl.h"
#include "songlist/OtherWindows.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRandomGenerator>
#include <QStyle>
#include <QTest>

#include <csignal>
#include <iostream>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using pictures::PictureForm;
namespace ui = platform::ui;

namespace {

// The song editor's parts the window reaches by name.
class StandInEditor : public ui::Form<QDialog> {
public:
    StandInEditor() {
        txtSongName = new QLineEdit(this);
        txtSongName->setObjectName(QStringLiteral("txtSongName"));
        for (int i = 1; i <= 8; ++i) {
            auto *b = new QLineEdit(this);
            b->setObjectName(QStringLiteral("txtPic%1File").arg(i));
            slotBoxes << b;
        }
    }
    QLineEdit *txtSongName;
    QList<QLineEdit *> slotBoxes;
};

QImage solid(int w, int h, QColor c) {
    QImage i(w, h, QImage::Format_RGB32);
    i.fill(c);
    return i;
}

QByteArray bytesOf(const QString &path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class PictureFormTest : public SongListTest {
protected:
    void SetUp() override {
        SongListTest::SetUp();
        PictureForm::setScreenOverride(pictures::ScreenInfo{1920 * 15.0, 1080 * 15.0, 15, 15});
        QGuiApplication::clipboard()->clear();
        pics = core::g().DataFolder + QStringLiteral("Pictures/");
        QDir().mkpath(pics);
        other = tmp.path() + QStringLiteral("/elsewhere/");
        QDir().mkpath(other);
        open();
        editor = new StandInEditor();
        editor->setObjectName(QStringLiteral("NameEdit"));
        ui::registerForm(editor);
    }
    void TearDown() override {
        PictureForm::setScreenOverride(std::nullopt);
        QGuiApplication::clipboard()->clear();
        SongListTest::TearDown();
    }

    void save(const QImage &image, const QString &path) { ASSERT_TRUE(image.save(path)); }
    QLineEdit *slotBox(int n) { return editor->slotBoxes[n - 1]; }
    void setHandOver(const QString &name) { w->CMDialog1->FileName = name; }

    // Loads the window and runs its opening on a slot.
    PictureForm *openOn(int slot, const QString &handOver, bool paste = false) {
        auto &s = core::g();
        s.CurrentPictureSlot = slot;
        s.PastingImage = paste;
        setHandOver(handOver);
        form = ui::form<PictureForm>();
        opened = form->Form_Load();
        return form;
    }
    void closeBy(QPushButton *b) {
        b->click();
        ui::flushUnloadedForms();
        form = nullptr;
    }
    QStringList picturesOnDisk() const { return QDir(pics).entryList(QDir::Files, QDir::Name); }
    const ui::ScriptedPrompts::Asked &lastBox() const { return *prompts.lastAsked(); }
    long addPictured(const QString &song, const QString &picture, int slot = 1) {
        addSong({{"SongName", song}, {QStringLiteral("PicturePath%1").arg(slot), picture}});
        auto rs = core::g().Db->openRecordset(QStringLiteral("Select Max(RecordID) As M from tblContacts"));
        return long(rs->value(0).toLongLong());
    }
    void editStoredSong(long id) {
        core::g().EditingExistingRecord = true;
        w->Data1->refresh();
        ASSERT_TRUE(w->Data1->findFirst(QStringLiteral("RecordID = %1").arg(id)));
    }

    QString pics, other;
    StandInEditor *editor = nullptr;
    PictureForm *form = nullptr;
    bool opened = false;
};

// ---------------------------------------------------------------- opening

TEST_F(PictureFormTest, OpeningOnAStoredPictureFitsItAndHoldsTheFocusOnCancel) {
    save(solid(800, 600, Qt::red), pics + QStringLiteral("a.jpg"));
    slotBox(1)->setText(QStringLiteral("a.jpg"));
    openOn(1, pics + QStringLiteral("a.jpg"));
    ASSERT_TRUE(opened);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("a.jpg"));
    EXPECT_EQ(form->ResizedWidth, 15357); // 4/3 x 15357.5 x 0.75 falls just below the half
    EXPECT_EQ(form->ResizedHeight, 11520);
    EXPECT_EQ(form->boxImage().size(), QSize(1024, 768));
    EXPECT_EQ(form->focusWidget(), form->cmdCancel);
    EXPECT_FALSE(form->cmdNext->isVisibleTo(form)); // no other slot filled
    EXPECT_EQ(form->cmdCancel->toolTip(), QStringLiteral("Cancel, do not save changes to this picture link."));
    EXPECT_EQ(form->cmdClose->text(), QStringLiteral("Save"));
}

TEST_F(PictureFormTest, AFailedOpeningShowsItsMessageClosesAndChangesNothing) {
    testenv::writeFile(pics + QStringLiteral("text.jpg"), "this is no picture");
    testenv::writeFile(pics + QStringLiteral("empty.jpg"), "");
    QByteArray cut;
    {
        QImage big = solid(64, 64, Qt::blue);
        big.save(other + QStringLiteral("whole.jpg"));
        QFile f(other + QStringLiteral("whole.jpg"));
        f.open(QIODevice::ReadOnly);
        cut = f.readAll().left(20);
    }
    testenv::writeFile(pics + QStringLiteral("cut.jpg"), cut);
    for (const char *name : {"text.jpg", "empty.jpg", "cut.jpg"}) {
        prompts.clear();
        slotBox(2)->setText(QString::fromLatin1(name));
        openOn(2, pics + QString::fromLatin1(name));
        EXPECT_FALSE(opened) << name;
        EXPECT_EQ(lastBox().title, QStringLiteral("Invalid Picture"));
        EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
        EXPECT_EQ(lastBox().text, QStringLiteral("Invalid picture.  The following file formats are supported: JPEG "
                                                 "(.jpg) files, bitmap (.bmp) files, and GIF (.gif) files."));
        ui::flushUnloadedForms();
        EXPECT_EQ(ui::findForm<PictureForm>(), nullptr);
        EXPECT_EQ(slotBox(2)->text(), QString::fromLatin1(name)); // no ".jpg" form written, nothing stored
    }
    prompts.clear();
    openOn(2, pics + QStringLiteral("missing.jpg"));
    EXPECT_FALSE(opened);
    EXPECT_EQ(lastBox().text, QStringLiteral("File not found"));
    EXPECT_EQ(lastBox().title, QStringLiteral("Orvalis"));
    ui::flushUnloadedForms();
    EXPECT_EQ(picturesOnDisk(), (QStringList{"cut.jpg", "empty.jpg", "text.jpg"}));
    EXPECT_FALSE(core::g().PictureChanged);
    EXPECT_FALSE(core::g().RecordChanged);
}

TEST_F(PictureFormTest, OnlyTheExactDuplicateViewNamesMakeTheWindowViewOnly) {
    save(solid(40, 30, Qt::red), other + QStringLiteral("x.png"));
    w->Data1->setRecordSource(QStringLiteral("qryDuplicateSongsAlbum"));
    openOn(1, other + QStringLiteral("x.png"));
    EXPECT_TRUE(form->viewOnly());
    for (QPushButton *b : {form->cmdClose, form->cmdDelete, form->cmdLoadFile, form->cmdClipboardPaste})
        EXPECT_FALSE(b->isEnabled()) << b->objectName().toStdString();
    EXPECT_TRUE(form->cmdCancel->isEnabled());
    // Closing a view-only window stores nothing, whatever has the focus.
    form->cmdClose->setFocus();
    form->close();
    ui::flushUnloadedForms();
    EXPECT_TRUE(picturesOnDisk().isEmpty());
    EXPECT_TRUE(slotBox(1)->text().isEmpty());

    w->Data1->setRecordSource(QStringLiteral("Select * from qryDuplicateSongsAlbum"));
    openOn(1, other + QStringLiteral("x.png"));
    EXPECT_FALSE(form->viewOnly());
    EXPECT_TRUE(form->cmdClose->isEnabled());
}

TEST_F(PictureFormTest, PreviousAndNextShowOnlyForAStoredSlotWithAnotherSlotFilled) {
    save(solid(40, 30, Qt::red), pics + QStringLiteral("three.jpg"));
    slotBox(3)->setText(QStringLiteral("three.jpg"));
    openOn(3, pics + QStringLiteral("three.jpg"));
    EXPECT_FALSE(form->cmdNext->isVisibleTo(form));
    form->cmdCancel->click();
    ui::flushUnloadedForms();

    slotBox(7)->setText(QStringLiteral("gone.jpg")); // its file is not looked for
    openOn(3, pics + QStringLiteral("three.jpg"));
    EXPECT_TRUE(form->cmdNext->isVisibleTo(form));
    EXPECT_TRUE(form->cmdPrev->isVisibleTo(form));
    // Each opening shows the style's own arrows, each on its button.
    const auto same = [](const QIcon &a, const QIcon &b) { return a.pixmap(16).toImage() == b.pixmap(16).toImage(); };
    EXPECT_TRUE(same(form->cmdNext->icon(), form->style()->standardIcon(QStyle::SP_ArrowRight)));
    EXPECT_TRUE(same(form->cmdPrev->icon(), form->style()->standardIcon(QStyle::SP_ArrowLeft)));
    EXPECT_FALSE(same(form->cmdNext->icon(), form->cmdPrev->icon()));
    form->cmdCancel->click();
    ui::flushUnloadedForms();

    // A file chosen for an empty slot, and paste mode, never show them.
    save(solid(40, 30, Qt::red), other + QStringLiteral("chosen.png"));
    openOn(4, other + QStringLiteral("chosen.png"));
    EXPECT_FALSE(form->cmdNext->isVisibleTo(form));
    form->cmdCancel->click();
    ui::flushUnloadedForms();
    QGuiApplication::clipboard()->setImage(solid(40, 30, Qt::green));
    openOn(3, QStringLiteral("Cover.jpg"), true);
    ASSERT_TRUE(opened);
    EXPECT_FALSE(form->cmdNext->isVisibleTo(form));
    EXPECT_TRUE(form->cmdClipboardPaste->isVisibleTo(form));
    EXPECT_FALSE(form->cmdClipboardPaste->isEnabled());
}

TEST_F(PictureFormTest, TheOpenerShowsTheWindowWithTheCaptionPassedUnlessTheOpeningClosedIt) {
    pictures::registerWindows();
    QGuiApplication::clipboard()->setImage(solid(40, 30, Qt::green));
    core::g().PastingImage = true;
    core::g().CurrentPictureSlot = 1;
    setHandOver(QStringLiteral("Cover.jpg"));
    QString shownTitle;
    ui::ScopedModalHook hook([&](QDialog *d) { shownTitle = d->windowTitle(); });
    songlist::OtherWindows::open(QStringLiteral("PictureForm"), QStringLiteral("Cover"));
    EXPECT_EQ(shownTitle, QStringLiteral("Cover"));
    ui::flushUnloadedForms();
    EXPECT_TRUE(picturesOnDisk().isEmpty()); // closed by its close box with the focus on Cancel

    shownTitle = QStringLiteral("<not shown>");
    core::g().PastingImage = false;
    setHandOver(pics + QStringLiteral("none.jpg"));
    songlist::OtherWindows::open(QStringLiteral("PictureForm"), {});
    EXPECT_EQ(shownTitle, QStringLiteral("<not shown>"));
    songlist::OtherWindows::clear();
}

// ---------------------------------------------------------------- commands

TEST_F(PictureFormTest, PasteAsksForANameAndTakesOnlyUsableOnes) {
    save(solid(40, 30, Qt::red), other + QStringLiteral("x.png"));
    openOn(1, other + QStringLiteral("x.png"));
    prompts.clear(); // the main window's note on the empty catalogue
    form->cmdClipboardPaste_Click(); // no picture on the clipboard: nothing asked
    EXPECT_TRUE(prompts.asked().isEmpty());
    QGuiApplication::clipboard()->setText(QStringLiteral("text only"));
    form->cmdClipboardPaste_Click();
    EXPECT_TRUE(prompts.asked().isEmpty());

    QGuiApplication::clipboard()->setImage(solid(300, 400, Qt::green));
    for (const char *refused : {"   ", "a/b"}) {
        prompts.answerInput(QString::fromLatin1(refused));
        form->cmdClipboardPaste_Click();
        EXPECT_EQ(form->windowTitle(), QStringLiteral("x.png")) << refused;
        EXPECT_FALSE(form->PictureChanged);
    }
    EXPECT_EQ(prompts.asked().last().title, QStringLiteral("Picture name required"));
    EXPECT_EQ(prompts.asked().last().text,
              QStringLiteral("First you must enter a NAME for this picture.\rDo NOT enter a file extension (like .jpg), "
                             "JUST enter a name (like Joe's Song).\r\rThis name must not contain any characters that "
                             "are illegal in a file name, or it will be ignored.\rIllegal characters are:\r   *  \\  /  "
                             ":  ?  |  \"  <  >"));
    prompts.answerInput(QStringLiteral(" Cover "));
    form->cmdClipboardPaste_Click();
    EXPECT_EQ(form->windowTitle(), QStringLiteral("Cover.jpg"));
    EXPECT_EQ(w->CMDialog1->FileName, QStringLiteral("Cover.jpg"));
    EXPECT_TRUE(form->PictureChanged);
    EXPECT_EQ(form->ResizedWidth, 8639); // 3:4 on the 96 DPI box: 0.75 x 15357.5 x 0.75
    EXPECT_EQ(form->ResizedHeight, 11520);
    prompts.answerInput(QStringLiteral("Cover.JPG"));
    form->cmdClipboardPaste_Click();
    EXPECT_EQ(w->CMDialog1->FileName, QStringLiteral("Cover.JPG"));
}

TEST_F(PictureFormTest, LoadTakesOnlyAPictureThatWasRead) {
    save(solid(40, 30, Qt::red), other + QStringLiteral("first.png"));
    openOn(1, other + QStringLiteral("first.png"));
    const QImage before = form->boxImage();

    prompts.answerFile(std::nullopt); // cancelled
    form->cmdLoadFile_Click();
    EXPECT_EQ(prompts.asked().last().file.title, QStringLiteral("Load Picture"));
    EXPECT_EQ(prompts.asked().last().file.filterIndex, 2);
    EXPECT_EQ(prompts.asked().last().file.filter,
              QStringLiteral("All Files (*.*)|*.*|") + core::pictureFilter(QStringLiteral("Image files")));
    EXPECT_EQ(w->CMDialog1->FileName, other + QStringLiteral("first.png"));

    testenv::writeFile(other + QStringLiteral("bad.jpg"), "not a picture");
    prompts.answerFile(other + QStringLiteral("bad.jpg"));
    form->cmdLoadFile_Click();
    EXPECT_EQ(prompts.lastMessage(), QStringLiteral("Invalid picture (Error 481)"));
    EXPECT_EQ(form->windowTitle(), QStringLiteral("first.png"));
    EXPECT_EQ(w->CMDialog1->FileName, other + QStringLiteral("first.png"));
    EXPECT_EQ(form->boxImage(), before);

    // Saving now stores the picture shown under its own name.
    closeBy(form->cmdClose);
    EXPECT_EQ(picturesOnDisk(), QStringList{QStringLiteral("first.jpg")});
    EXPECT_EQ(slotBox(1)->text(), QStringLiteral("first.jpg"));
}

TEST_F(PictureFormTest, NextAndPreviousStepOverEmptyMissingAndForeignSlotsAndRefitTheBox) {
    save(solid(400, 300, Qt::red), pics + QStringLiteral("one.jpg"));
    save(solid(300, 400, Qt::blue), pics + QStringLiteral("three.jpg"));
    testenv::writeFile(pics + QStringLiteral("four.jpg"), "broken");
    slotBox(1)->setText(QStringLiteral("one.jpg"));
    slotBox(2)->setText(QStringLiteral("../one.jpg"));
    slotBox(3)->setText(QStringLiteral("three.jpg"));
    slotBox(4)->setText(QStringLiteral("four.jpg"));
    openOn(1, pics + QStringLiteral("one.jpg"));
    ASSERT_TRUE(form->cmdNext->isVisibleTo(form));
    form->cmdNext->click();
    EXPECT_EQ(core::g().CurrentPictureSlot, 3);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("three.jpg"));
    EXPECT_EQ(w->CMDialog1->FileName, pics + QStringLiteral("three.jpg"));
    // Portrait: the fit rule, and the rest of the box cleared of the last picture.
    EXPECT_EQ(form->ResizedWidth, 8639);
    const QImage box = form->boxImage();
    EXPECT_GT(box.pixelColor(10, 10).blue(), 240);
    EXPECT_LT(box.pixelColor(10, 10).red(), 16);
    EXPECT_LT(box.pixelColor(1000, 10).blue(), 240); // no blue stretched over the box
    EXPECT_GT(box.pixelColor(1000, 10).green(), 150); // nor red left from the last picture

    form->cmdNext->click(); // slot 4's file is no picture
    EXPECT_EQ(prompts.lastAsked()->title, QStringLiteral("Invalid Picture"));
    EXPECT_EQ(core::g().CurrentPictureSlot, 3);
    EXPECT_EQ(form->windowTitle(), QStringLiteral("three.jpg"));

    form->cmdPrev->click(); // slot 2 is no bare name: passed over
    EXPECT_EQ(core::g().CurrentPictureSlot, 1);
    closeBy(form->cmdClose); // the slot already names the file: nothing written
    EXPECT_EQ(picturesOnDisk(), (QStringList{"four.jpg", "one.jpg", "three.jpg"}));
    EXPECT_FALSE(core::g().PictureChanged);
}

// ---------------------------------------------------------------- closing

TEST_F(PictureFormTest, CancelEscAndTheCloseBoxWriteNothing) {
    save(solid(40, 30, Qt::red), other + QStringLiteral("x.png"));
    openOn(1, other + QStringLiteral("x.png"));
    closeBy(form->cmdCancel);
    openOn(1, other + QStringLiteral("x.png"));
    QTest::keyClick(form, Qt::Key_Escape);
    ui::flushUnloadedForms();
    EXPECT_EQ(ui::findForm<PictureForm>(), nullptr);
    openOn(1, other + QStringLiteral("x.png"));
    form->close();
    ui::flushUnloadedForms();
    EXPECT_TRUE(picturesOnDisk().isEmpty());
    EXPECT_TRUE(slotBox(1)->text().isEmpty());
    EXPECT_FALSE(core::g().RecordChanged);
}

TEST_F(PictureFormTest, APasteIsStoredAtTheBoxSizeWithThePictureTopLeft) {
    QGuiApplication::clipboard()->setImage(solid(400, 400, QColor(200, 30, 30)));
    openOn(2, QStringLiteral("Cover.jpg"), true);
    ASSERT_TRUE(opened);
    closeBy(form->cmdClose);
    ASSERT_EQ(picturesOnDisk(), QStringList{QStringLiteral("Cover.jpg")});
    const QImage stored(pics + QStringLiteral("Cover.jpg"));
    ASSERT_EQ(stored.size(), QSize(1024, 768));
    const QColor in = stored.pixelColor(300, 300), out = stored.pixelColor(1000, 300);
    EXPECT_NEAR(in.red(), 200, 8);
    EXPECT_NEAR(in.green(), 30, 8);
    EXPECT_GT(out.green(), 150); // the box's background right of the square
    EXPECT_EQ(slotBox(2)->text(), QStringLiteral("Cover.jpg"));
    EXPECT_TRUE(core::g().RecordChanged);
    EXPECT_TRUE(core::g().PictureChanged);
    EXPECT_EQ(QDir(pics).entryList(QDir::Files | QDir::Hidden).size(), 1); // no temporary file left
}

TEST_F(PictureFormTest, APictureFromElsewhereOrWithAnotherExtensionIsConvertedUnderTheJpgName) {
    const std::pair<QString, QString> cases[] = {
        {other + QStringLiteral("Cover.jpeg"), QStringLiteral("Cover.jpg")},
        {other + QStringLiteral("README"), QStringLiteral("README.jpg")},
        {pics + QStringLiteral("stored.png"), QStringLiteral("stored.jpg")},
    };
    for (const auto &[source, name] : cases) {
        ASSERT_TRUE(solid(40, 30, Qt::red).save(source, "PNG"));
        slotBox(1)->clear();
        openOn(1, source);
        ASSERT_TRUE(opened) << source.toStdString();
        closeBy(form->cmdClose);
        EXPECT_EQ(slotBox(1)->text(), name);
        QImageReader r(pics + name);
        EXPECT_EQ(r.format(), QByteArray("jpeg")) << name.toStdString();
        EXPECT_EQ(r.size(), QSize(1024, 768));
    }
}

TEST_F(PictureFormTest, ReplacingAPictureOtherSongsNameIsAskedAndNoStoresAFreeName) {
    save(solid(40, 30, Qt::blue), pics + QStringLiteral("Cover.jpg"));
    addPictured(QStringLiteral("First Album Song"), QStringLiteral("cover.JPG"), 3);
    const QByteArray original = [&] {
        QFile f(pics + QStringLiteral("Cover.jpg"));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    QGuiApplication::clipboard()->setImage(solid(40, 30, Qt::green));
    prompts.answer(ui::Answer::No);
    openOn(1, QStringLiteral("Cover.jpg"), true);
    closeBy(form->cmdClose);
    EXPECT_EQ(lastBox().title, QStringLiteral("Picture in use"));
    EXPECT_EQ(lastBox().buttons, ui::Buttons::YesNo);
    EXPECT_EQ(lastBox().defaultButton, ui::DefaultButton::Second);
    EXPECT_EQ(lastBox().text, QStringLiteral("Cover.jpg is also linked to: First Album Song.\r\rReplace it for them "
                                             "too?  No stores this picture as Cover (2).jpg."));
    EXPECT_EQ(slotBox(1)->text(), QStringLiteral("Cover (2).jpg"));
    QFile kept(pics + QStringLiteral("Cover.jpg"));
    kept.open(QIODevice::ReadOnly);
    EXPECT_EQ(kept.readAll(), original);
    EXPECT_TRUE(QFileInfo::exists(pics + QStringLiteral("Cover (2).jpg")));

    // Yes replaces it for everyone.
    prompts.answer(ui::Answer::Yes);
    slotBox(2)->setText(QStringLiteral("Cover.jpg"));
    openOn(5, QStringLiteral("Cover.jpg"), true);
    closeBy(form->cmdClose);
    EXPECT_TRUE(lastBox().text.contains(QStringLiteral("picture 2 of this song")));
    EXPECT_EQ(slotBox(5)->text(), QStringLiteral("Cover.jpg"));
    EXPECT_NEAR(QImage(pics + QStringLiteral("Cover.jpg")).pixelColor(5, 5).green(), 255, 8);
}

TEST_F(PictureFormTest, AMissingPicturesFolderIsCreatedWhenStoring) {
    QDir(pics).removeRecursively();
    save(solid(40, 30, Qt::red), other + QStringLiteral("x.png"));
    openOn(1, other + QStringLiteral("x.png"));
    closeBy(form->cmdClose);
    EXPECT_TRUE(QFileInfo::exists(pics + QStringLiteral("x.jpg")));
}

// ---------------------------------------------------------------- delete

TEST_F(PictureFormTest, DeleteRefusesWhatIsNotTheStoredPictureShown) {
    save(solid(40, 30, Qt::red), pics + QStringLiteral("Cover.jpg"));
    save(solid(40, 30, Qt::red), other + QStringLiteral("Cover.jpg"));
    openOn(1, other + QStringLiteral("Cover.jpg")); // same name, but loaded from elsewhere
    form->cmdDelete->click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Picture not yet saved in Orvalis, so you can't delete it.  Use the "
                                             "Cancel button instead."));
    EXPECT_TRUE(ui::isLoaded(form));
    closeBy(form->cmdCancel);

    QGuiApplication::clipboard()->setImage(solid(40, 30, Qt::green));
    openOn(1, QStringLiteral("Cover.jpg"), true);
    prompts.clear();
    form->cmdDelete->click();
    EXPECT_TRUE(lastBox().text.startsWith(QStringLiteral("Picture not yet saved")));
    closeBy(form->cmdCancel);
    EXPECT_EQ(picturesOnDisk(), QStringList{QStringLiteral("Cover.jpg")});
}

TEST_F(PictureFormTest, DeleteAsksAndRefusesWhileAnyOtherSongNamesThePicture) {
    save(solid(40, 30, Qt::red), pics + QStringLiteral("Cover.jpg"));
    const long mine = addPictured(QStringLiteral("Mine"), QStringLiteral("Cover.jpg"));
    addPictured(QStringLiteral("Beta"), QStringLiteral("COVER.jpg"), 4);
    editStoredSong(mine);
    slotBox(1)->setText(QStringLiteral("Cover.jpg"));

    openOn(1, pics + QStringLiteral("Cover.jpg"));
    prompts.answer(ui::Answer::No);
    form->cmdDelete->click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Delete Confirmation"));
    EXPECT_EQ(lastBox().text, QStringLiteral("Are you sure you want to delete this picture from Orvalis?\rCover.jpg"));
    EXPECT_EQ(lastBox().defaultButton, ui::DefaultButton::Second);
    EXPECT_TRUE(ui::isLoaded(form));

    prompts.answer(ui::Answer::Yes);
    form->cmdDelete->click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Picture not deleted because it is assigned to another Song."));
    EXPECT_EQ(lastBox().text, QStringLiteral("This picture is also linked to the following Song: \rBeta\r\rTherefore "
                                             "you can't delete it.  To remove this picture from the current Song only, "
                                             "blank out the blue filename shown below the picture button on the previous "
                                             "Edit screen, then save the record."));
    // A namesake of the current song is listed too; two others make it plural.
    addPictured(QStringLiteral("Mine"), QStringLiteral("Cover.jpg"), 8);
    prompts.answer(ui::Answer::Yes);
    form->cmdDelete->click();
    EXPECT_TRUE(lastBox().text.startsWith(QStringLiteral("This picture is also linked to the following Songs: \rBeta, Mine\r")));
    closeBy(form->cmdCancel);
    EXPECT_EQ(picturesOnDisk(), QStringList{QStringLiteral("Cover.jpg")});

    // From a new song, one other song naming it is enough to refuse.
    core::g().EditingExistingRecord = false;
    save(solid(40, 30, Qt::red), pics + QStringLiteral("Solo.jpg"));
    addPictured(QStringLiteral("Only Other"), QStringLiteral("Solo.jpg"));
    openOn(1, pics + QStringLiteral("Solo.jpg"));
    prompts.answer(ui::Answer::Yes);
    form->cmdDelete->click();
    EXPECT_TRUE(lastBox().text.contains(QStringLiteral("\rOnly Other\r")));
}

TEST_F(PictureFormTest, DeleteMovesThePictureAwayOrKeepsTheOlderDeletedCopy) {
    const QString deleted = core::g().DataFolder + QStringLiteral("Deleted Pictures/");
    save(solid(40, 30, Qt::red), pics + QStringLiteral("a.jpg"));
    slotBox(6)->setText(QStringLiteral("a.jpg"));
    openOn(6, pics + QStringLiteral("a.jpg"));
    prompts.answer(ui::Answer::Yes);
    form->cmdDelete->click();
    ui::flushUnloadedForms();
    EXPECT_EQ(ui::findForm<PictureForm>(), nullptr);
    EXPECT_TRUE(picturesOnDisk().isEmpty());
    EXPECT_TRUE(QFileInfo::exists(deleted + QStringLiteral("a.jpg")));
    EXPECT_TRUE(slotBox(6)->text().isEmpty());
    EXPECT_TRUE(core::g().PictureChanged);
    EXPECT_TRUE(core::g().RecordChanged);

    // An older copy in the way stays; the picture is deleted.
    testenv::writeFile(pics + QStringLiteral("a.jpg"), QByteArray());
    save(solid(40, 30, Qt::blue), pics + QStringLiteral("a.jpg"));
    const qint64 olderSize = QFileInfo(deleted + QStringLiteral("a.jpg")).size();
    slotBox(6)->setText(QStringLiteral("a.jpg"));
    openOn(6, pics + QStringLiteral("a.jpg"));
    prompts.answer(ui::Answer::Yes);
    form->cmdDelete->click();
    ui::flushUnloadedForms();
    EXPECT_TRUE(picturesOnDisk().isEmpty());
    EXPECT_EQ(QFileInfo(deleted + QStringLiteral("a.jpg")).size(), olderSize);
}

TEST_F(PictureFormTest, ADeletedPicturesFileInTheWayLeavesEverythingAsItWas) {
    testenv::writeFile(core::g().DataFolder + QStringLiteral("Deleted Pictures"), "a file");
    save(solid(40, 30, Qt::red), pics + QStringLiteral("a.jpg"));
    slotBox(1)->setText(QStringLiteral("a.jpg"));
    openOn(1, pics + QStringLiteral("a.jpg"));
    prompts.answer(ui::Answer::Yes);
    form->cmdDelete->click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Path/File access error"));
    EXPECT_TRUE(ui::isLoaded(form));
    EXPECT_EQ(slotBox(1)->text(), QStringLiteral("a.jpg"));
    EXPECT_EQ(picturesOnDisk(), QStringList{QStringLiteral("a.jpg")});
}

TEST_F(PictureFormTest, APictureTooLargeToHoldIsInvalidInsteadOfHanging) {
    // A real JPEG header claiming 20,000 x 15,000 pixels.
    QByteArray bytes;
    {
        const QString small = other + QStringLiteral("small.jpg");
        save(solid(16, 16, Qt::red), small);
        QFile f(small);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        bytes = f.readAll();
    }
    const qsizetype sof = bytes.indexOf(QByteArray("\xFF\xC0", 2));
    ASSERT_GT(sof, 0);
    const auto put16 = [&](qsizetype at, int v) {
        bytes[at] = char(v >> 8);
        bytes[at + 1] = char(v & 0xFF);
    };
    put16(sof + 5, 15000);
    put16(sof + 7, 20000);
    testenv::writeFile(pics + QStringLiteral("huge.jpg"), bytes);
    try {
        pictures::readPicture(pics + QStringLiteral("huge.jpg"));
        FAIL() << "read";
    } catch (const core::FileError &e) {
        EXPECT_EQ(e.number(), 481);
    }
}

// ---------------------------------------------------------------- the song's other slots

TEST_F(PictureFormTest, DeleteRefusesWhileAnotherSlotOfThisSongNamesThePicture) {
    save(solid(40, 30, Qt::red), pics + QStringLiteral("Cover.jpg"));
    // Shown in another slot of the editor (a new song, nothing stored yet).
    slotBox(1)->setText(QStringLiteral("Cover.jpg"));
    slotBox(3)->setText(QStringLiteral("cover.JPG"));
    openOn(1, pics + QStringLiteral("Cover.jpg"));
    prompts.answer(ui::Answer::Yes);
    form->cmdDelete->click();
    EXPECT_EQ(lastBox().title, QStringLiteral("Picture not deleted because it is assigned to another Song."));
    EXPECT_TRUE(lastBox().text.startsWith(
        QStringLiteral("This picture is also linked to the following Song: \rpicture 3 of this song\r\r")));
    EXPECT_TRUE(ui::isLoaded(form));
    closeBy(form->cmdCancel);

    // Held by the stored row only: the editor's box was blanked but the song not saved yet.
    const long mine = addPictured(QStringLiteral("Mine"), QStringLiteral("Cover.jpg"));
    core::g().Db->execute(QStringLiteral("Update tblContacts Set PicturePath5 = ? Where RecordID = ?"),
                          {QStringLiteral("Cover.jpg"), qlonglong(mine)});
    editStoredSong(mine);
    slotBox(3)->clear();
    openOn(1, pics + QStringLiteral("Cover.jpg"));
    prompts.answer(ui::Answer::Yes);
    form->cmdDelete->click();
    EXPECT_TRUE(lastBox().text.contains(QStringLiteral(": \rpicture 5 of this song\r")));
    closeBy(form->cmdCancel);
    EXPECT_EQ(picturesOnDisk(), QStringList{QStringLiteral("Cover.jpg")});
    EXPECT_EQ(slotBox(1)->text(), QStringLiteral("Cover.jpg"));
}

TEST_F(PictureFormTest, PastingOverANameTheStoredRowHoldsInAnotherSlotAsks) {
    save(solid(40, 30, Qt::blue), pics + QStringLiteral("Cover.jpg"));
    const QByteArray original = bytesOf(pics + QStringLiteral("Cover.jpg"));
    const long mine = addPictured(QStringLiteral("Mine"), QStringLiteral("Cover.jpg"), 2);
    editStoredSong(mine); // slot 2's box is blank in the editor: only the stored row names it
    QGuiApplication::clipboard()->setImage(solid(40, 30, Qt::green));
    prompts.answer(ui::Answer::No);
    openOn(1, QStringLiteral("Cover.jpg"), true);
    closeBy(form->cmdClose);
    EXPECT_EQ(lastBox().title, QStringLiteral("Picture in use"));
    EXPECT_EQ(lastBox().text, QStringLiteral("Cover.jpg is also linked to: picture 2 of this song.\r\rReplace it "
                                             "for them too?  No stores this picture as Cover (2).jpg."));
    EXPECT_EQ(slotBox(1)->text(), QStringLiteral("Cover (2).jpg"));
    EXPECT_EQ(bytesOf(pics + QStringLiteral("Cover.jpg")), original);
}

// ---------------------------------------------------------------- other spellings of a stored picture

TEST_F(PictureFormTest, AStoredPictureReachedByAnotherSpellingIsOnlyLinked) {
    QImage big(400, 300, QImage::Format_RGB32);
    big.fill(QColor(10, 120, 200));
    save(big, pics + QStringLiteral("a.jpg"));
    const QByteArray original = bytesOf(pics + QStringLiteral("a.jpg"));
    const QString data = QDir::cleanPath(core::g().DataFolder);
    ASSERT_TRUE(QFile::link(data, tmp.path() + QStringLiteral("/linked data")));
    ASSERT_TRUE(QFile::link(pics + QStringLiteral("a.jpg"), other + QStringLiteral("a link.png")));
    const QString spellings[] = {
        data + QStringLiteral("/Pictures/./a.jpg"),
        tmp.path() + QStringLiteral("/linked data/Pictures/a.jpg"),
        other + QStringLiteral("a link.png"),
    };
    for (const QString &path : spellings) {
        SCOPED_TRACE(path.toStdString());
        slotBox(1)->clear();
        save(solid(40, 30, Qt::red), other + QStringLiteral("first.png"));
        openOn(1, other + QStringLiteral("first.png"));
        prompts.answerFile(path); // Change Picture
        form->cmdLoadFile_Click();
        ASSERT_EQ(w->CMDialog1->FileName, path);
        closeBy(form->cmdClose);
        EXPECT_EQ(slotBox(1)->text(), QStringLiteral("a.jpg"));
        EXPECT_EQ(bytesOf(pics + QStringLiteral("a.jpg")), original);
        EXPECT_EQ(picturesOnDisk(), QStringList{QStringLiteral("a.jpg")});
    }

    // Delete knows it as the stored picture too.
    const long mine = addPictured(QStringLiteral("Mine"), QStringLiteral("a.jpg"));
    editStoredSong(mine);
    openOn(1, tmp.path() + QStringLiteral("/linked data/Pictures/a.jpg"));
    prompts.answer(ui::Answer::Yes);
    form->cmdDelete->click();
    EXPECT_EQ(lastBox().text, QStringLiteral("Are you sure you want to delete this picture from Orvalis?\ra.jpg"));
    ui::flushUnloadedForms();
    EXPECT_TRUE(QFileInfo::exists(core::g().DataFolder + QStringLiteral("Deleted Pictures/a.jpg")));
}

// ---------------------------------------------------------------- names a paste cannot be stored under

TEST_F(PictureFormTest, APastedNameThatCannotBeStoredIsRefusedWithTheReason) {
    save(solid(40, 30, Qt::red), other + QStringLiteral("x.png"));
    openOn(1, other + QStringLiteral("x.png"));
    QGuiApplication::clipboard()->setImage(solid(40, 30, Qt::green));
    const QString e = QString(QChar(0xE9)); // two bytes on disk
    const struct {
        QString answer;
        bool refused;
    } cases[] = {
        {QStringLiteral(".hidden"), true},
        {QStringLiteral(" .hidden "), true},
        {QString(251, QLatin1Char('x')), false}, // 255 bytes with ".jpg"
        {QString(252, QLatin1Char('x')), true},
        {e.repeated(126), true}, // 126 characters, 252 bytes
        {e.repeated(125), false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.answer.toStdString());
        prompts.clear();
        setHandOver(other + QStringLiteral("x.png"));
        form->PictureChanged = false;
        prompts.answerInput(c.answer);
        form->cmdClipboardPaste_Click();
        EXPECT_EQ(form->PictureChanged, !c.refused);
        if (c.refused) {
            EXPECT_EQ(lastBox().title, QStringLiteral("Error - Invalid File Name"));
            EXPECT_EQ(lastBox().icon, ui::Icon::Exclamation);
            EXPECT_EQ(w->CMDialog1->FileName, other + QStringLiteral("x.png"));
        } else {
            EXPECT_EQ(prompts.asked().size(), 1u); // the name prompt alone
        }
    }
    prompts.answerInput(QStringLiteral(".hidden"));
    form->cmdClipboardPaste_Click();
    EXPECT_EQ(lastBox().text, QStringLiteral("\".hidden.jpg\" is not a valid file name.  A picture's name must not "
                                             "start with \".\"."));
    closeBy(form->cmdCancel);

    // The editor's paste hands such a name over: the window refuses it while opening.
    prompts.clear();
    openOn(1, QStringLiteral(".hidden.jpg"), true);
    EXPECT_FALSE(opened);
    if (opened)
        closeBy(form->cmdClose);
    ASSERT_FALSE(prompts.asked().isEmpty());
    EXPECT_EQ(lastBox().title, QStringLiteral("Error - Invalid File Name"));
    ui::flushUnloadedForms();
    EXPECT_TRUE(QDir(pics).entryList(QDir::Files | QDir::Hidden).isEmpty());
    EXPECT_TRUE(slotBox(1)->text().isEmpty());
}

// ---------------------------------------------------------------- a store that fails

namespace {

// A picture of noise: its JPEG file is far larger than a few kilobytes.
QImage noise(int w, int h) {
    QRandomGenerator random(7);
    QImage i(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            i.setPixel(x, y, random.generate() | 0xFF000000u);
    return i;
}

// A failure put in the store's way, and taken away again.
struct Obstacle {
    const char *name;
    QString reason; // the message's first line
    // False when this machine cannot set it up (the test then passes over it).
    std::function<bool(const QString &pics)> set;
    std::function<void(const QString &pics)> clear;
};

bool mountTmpfs(const QString &at, unsigned long flags, const char *options) {
    return ::mount("tmpfs", QFile::encodeName(at).constData(), "tmpfs", flags, options) == 0;
}
void unmount(const QString &at) { ::umount2(QFile::encodeName(at).constData(), MNT_DETACH); }

rlimit savedLimit;

} // namespace

TEST_F(PictureFormTest, AFailedStoreNamesItsReasonAndKeepsTheWindowOpenWithThePicture) {
    const QString data = core::g().DataFolder;
    const Obstacle obstacles[] = {
        {"a file where the folder belongs", QStringLiteral("Path/File access error"),
         [](const QString &p) {
             QDir(p).removeRecursively();
             testenv::writeFile(QDir::cleanPath(p), "a file in the folder's place");
             return true;
         },
         [](const QString &p) { QFile::remove(QDir::cleanPath(p)); }},
        {"the file-size limit", QStringLiteral("Disk full: the file is larger than the space allowed for one file"),
         [](const QString &) {
             std::signal(SIGXFSZ, SIG_IGN);
             getrlimit(RLIMIT_FSIZE, &savedLimit);
             rlimit small = savedLimit;
             small.rlim_cur = 4096;
             return setrlimit(RLIMIT_FSIZE, &small) == 0;
         },
         [](const QString &) {
             setrlimit(RLIMIT_FSIZE, &savedLimit);
             std::signal(SIGXFSZ, SIG_DFL);
         }},
        {"a full disk", QStringLiteral("Disk full: there is no space left for the file"),
         [](const QString &p) { return mountTmpfs(p, 0, "size=16k"); }, unmount},
        {"a read-only folder", QStringLiteral("Path/File access error: the folder is read-only"),
         [](const QString &p) { return mountTmpfs(p, MS_RDONLY, "size=1m"); }, unmount},
        {"a folder the user may not write", QStringLiteral("Permission denied"),
         [](const QString &p) {
             // The superuser writes into any folder.
             return geteuid() != 0 && QFile::setPermissions(p, QFile::ReadOwner | QFile::ExeOwner);
         },
         [](const QString &p) {
             QFile::setPermissions(p, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
         }},
    };
    QStringList tried, notSetUp;
    for (const Obstacle &o : obstacles) {
        SCOPED_TRACE(o.name);
        QDir(pics).removeRecursively();
        QDir().mkpath(pics);
        slotBox(1)->setText(QStringLiteral("old.jpg"));
        core::g().PictureChanged = core::g().RecordChanged = false;
        QGuiApplication::clipboard()->setImage(noise(400, 300));
        openOn(1, QStringLiteral("Cover.jpg"), true);
        ASSERT_TRUE(opened);
        const QImage shown = form->boxImage();
        if (!o.set(pics)) {
            notSetUp << QString::fromLatin1(o.name);
            closeBy(form->cmdCancel);
            continue;
        }
        tried << QString::fromLatin1(o.name);
        prompts.clear();
        form->cmdClose->click();
        o.clear(pics);
        ui::flushUnloadedForms();
        EXPECT_EQ(lastBox().text, o.reason + QStringLiteral("\r\rThe picture was not stored.  Press Save to try again, "
                                                            "or Cancel to close without it."));
        EXPECT_EQ(lastBox().title, QStringLiteral("Orvalis"));
        ASSERT_TRUE(ui::isLoaded(form));
        EXPECT_EQ(form->boxImage(), shown);
        EXPECT_TRUE(form->PictureChanged);
        EXPECT_EQ(slotBox(1)->text(), QStringLiteral("old.jpg"));
        EXPECT_FALSE(core::g().PictureChanged);
        EXPECT_FALSE(core::g().RecordChanged);
        EXPECT_TRUE(QDir(pics).entryList(QDir::Files | QDir::Hidden).isEmpty()); // nothing half-written

        // With the obstacle gone (and the clipboard changed), Save stores the picture kept.
        QGuiApplication::clipboard()->clear();
        closeBy(form->cmdClose);
        EXPECT_EQ(picturesOnDisk(), QStringList{QStringLiteral("Cover.jpg")});
        EXPECT_EQ(slotBox(1)->text(), QStringLiteral("Cover.jpg"));
        EXPECT_TRUE(core::g().RecordChanged);
    }
    EXPECT_TRUE(tried.contains(QStringLiteral("the file-size limit")));
    if (!notSetUp.isEmpty())
        std::cout << "[ NOTE     ] not set up on this machine: " << notSetUp.join(QStringLiteral(", ")).toStdString()
                  << "\n";
}

TEST_F(PictureFormTest, LoadStartsInTheMusicFolderThenWhereThePictureLastCameFrom) {
    save(solid(40, 30, Qt::red), other + QStringLiteral("first.png"));
    save(solid(40, 30, Qt::blue), other + QStringLiteral("second.png"));
    openOn(1, other + QStringLiteral("first.png"));
    prompts.answerFile(std::nullopt);
    form->cmdLoadFile_Click();
    EXPECT_EQ(prompts.asked().last().file.initialDir, core::StartFolders::music());
    prompts.answerFile(other + QStringLiteral("second.png"));
    form->cmdLoadFile_Click();
    prompts.answerFile(std::nullopt);
    form->cmdLoadFile_Click();
    EXPECT_EQ(prompts.asked().last().file.initialDir, QDir(other).absolutePath());
}
