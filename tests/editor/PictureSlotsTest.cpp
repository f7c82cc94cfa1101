// The editor's picture slots: filled, empty, broken and cancelled slots, the right button, Paste
// image's refusals and names, and the hand-over the picture window reads (tried with the real
// window too).
#include "EditorFixture.h"

#include "core/CommonDialogControl.h"
#include "core/PictureFormats.h"
#include "core/mCommon.h"
#include "editor/PictureSlots.h"
#include "pictures/PictureForm.h"

#include <QClipboard>
#include <QImage>
#include <QMenu>
#include <QMimeData>

using editor::NameEdit;
namespace ui = platform::ui;

namespace {

class PictureSlotsTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        pictures = core::g().DataFolder + QStringLiteral("Pictures/");
        QDir().mkpath(pictures);
        // The picture window as a stand-in recording what it is handed.
        songlist::OtherWindows::set(QStringLiteral("PictureForm"), [this](const QString &caption) {
            const auto &s = core::g();
            handed << QStringLiteral("%1|%2|%3|%4").arg(s.CurrentPictureSlot).arg(w->CMDialog1->FileName)
                          .arg(s.PastingImage).arg(caption);
        });
        edit(idOf(QStringLiteral("Full Song")));
    }
    void TearDown() override {
        QGuiApplication::clipboard()->clear();
        EditorTest::TearDown();
    }
    void setClipboardImage() {
        QImage image(8, 6, QImage::Format_RGB32);
        image.fill(Qt::red);
        QGuiApplication::clipboard()->setImage(image);
    }
    QStringList handed;
    QString pictures;
};

TEST_F(PictureSlotsTest, EachSlotButtonOpensItsPicture) {
    QStringList expected;
    for (int i = 1; i <= 8; ++i) {
        testenv::writeFile(pictures + QStringLiteral("pic%1.jpg").arg(i), "x");
        e->cmdPicture[i - 1]->click();
        expected << QStringLiteral("%1|%2pic%1.jpg|0|").arg(i).arg(pictures);
    }
    EXPECT_EQ(handed, expected);
    EXPECT_TRUE(prompts.asked().isEmpty());
}

TEST_F(PictureSlotsTest, AFilledSlotOpensItsPictureAndOthersAskForAFileFirst) {
    testenv::writeFile(pictures + QStringLiteral("pic1.jpg"), "x");
    testenv::writeFile(core::g().DataFolder + QStringLiteral("x.jpg"), "x");
    const QString chosen = tmp.path() + QStringLiteral("/chosen.jpg");
    const QString broken = QStringLiteral("The file:\r%1pic2.jpg\r was not found.\r\rYou may have deleted it from "
                                          "another record.  You may want to blank out the file name shown below the "
                                          "button (and then Save this record) if you do not choose another picture.")
                               .arg(pictures);
    struct Case {
        int slot;
        const char *text; // nullptr: the box as the song has it
        bool chooses;     // a file is chosen in the dialog
        QString message;  // "" = none
        QString handed;   // "" = the window does not open
    };
    const Case cases[] = {
        {1, nullptr, false, {}, QStringLiteral("1|%1pic1.jpg|0|").arg(pictures)},
        {2, nullptr, true, broken, QStringLiteral("2|%1|0|").arg(chosen)},
        {2, nullptr, false, broken, {}},
        {3, "   ", true, {}, QStringLiteral("3|%1|0|").arg(chosen)},
        {4, "", false, {}, {}},
        // A name reaching out of the pictures folder is a broken link.
        {5, "../x.jpg", false, QStringLiteral("The file:\r%1../x.jpg\r was not found.").arg(pictures), {}},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.slot);
        prompts.clear();
        handed.clear();
        QLineEdit *box = e->txtPicFile[c.slot - 1];
        if (c.text)
            NameEdit::setBoxText(box, QString::fromLatin1(c.text));
        const QString before = box->text();
        if (c.chooses)
            prompts.answerFile(chosen);
        e->cmdPicture_Click(c.slot);
        EXPECT_EQ(core::g().CurrentPictureSlot, c.slot);
        EXPECT_EQ(handed, c.handed.isEmpty() ? QStringList() : QStringList{c.handed});
        EXPECT_EQ(box->text(), before);
        QStringList asked; // messages cut to the expected length, then the dialog's title
        for (const auto &a : prompts.asked())
            asked << (a.kind == ui::ScriptedPrompts::Asked::Kind::Message ? a.text.left(c.message.size()) : a.text);
        EXPECT_EQ(asked, (c.message.isEmpty() ? QStringList() : QStringList{c.message}) +
                             (c.slot == 1 ? QStringList() : QStringList{QStringLiteral("Load Picture")}));
        if (!c.message.isEmpty()) {
            EXPECT_EQ(prompts.asked().first().title, QStringLiteral("File not found.  Link broken."));
            EXPECT_EQ(prompts.asked().first().icon, ui::Icon::Information);
        }
    }
    // Every picture the window can read is offered, PNG first.
    EXPECT_EQ(prompts.asked().last().file.filter,
              core::pictureFilter(QStringLiteral("Image files")) + QStringLiteral("|All Files (*.*)|*.*"));
    EXPECT_TRUE(prompts.asked().last().file.filter.startsWith(QStringLiteral("Image files (*.png;")));
}

TEST_F(PictureSlotsTest, PasteIgnoresTextAndUnusableNamesAndHandsOverTheJpgName) {
    QGuiApplication::clipboard()->setText(QStringLiteral("just text"));
    e->mnuFilePasteImage_Click();
    EXPECT_TRUE(prompts.asked().isEmpty());

    // The right button makes a slot the paste's target and pops up the menu; the left does not.
    setClipboardImage();
    e->cmdPicture_MouseDown(6, 2, QPoint(3, 3));
    e->cmdPicture_MouseDown(5, 1, QPoint(3, 3));
    EXPECT_EQ(core::g().CurrentPictureSlot, 6);
    EXPECT_TRUE(e->mnuFile->isVisible());
    e->mnuFile->hide();
    const std::pair<const char *, const char *> names[] = {
        {"  Cover  ", "6|Cover.jpg|1|Cover"},   {"Front.JPG", "6|Front.JPG|1|Front.JPG"},
        {"art.png", "6|art.png.jpg|1|art.png"}, {"", ""},
        {"   ", ""},                            {"a:b", "6|a:b.jpg|1|a:b"},
        {"..", ""},                             {"x/y", ""},
    };
    for (const auto &[typed, expected] : names) {
        SCOPED_TRACE(typed);
        prompts.clear();
        handed.clear();
        prompts.answerInput(QString::fromUtf8(typed));
        e->mnuFilePasteImage_Click();
        EXPECT_EQ(handed, *expected ? QStringList{QString::fromUtf8(expected)} : QStringList());
        ASSERT_EQ(prompts.asked().size(), 1); // the name prompt, never a message
        EXPECT_FALSE(core::g().PastingImage);
    }
    const auto &ask = prompts.asked().first().inputRequest;
    EXPECT_EQ(ask.title, QStringLiteral("Picture name required"));
    EXPECT_EQ(ask.defaultText, QStringLiteral("The Artist-Full Song-The Album"));
    EXPECT_EQ(ask.prompt,
              QStringLiteral("First you must enter a NAME for this picture.\rDo NOT enter a file extension (like "
                             ".jpg), JUST enter a name (like Abbey Road Cover).\r\rThis name must not contain any "
                             "characters that are illegal in a file name, or it will be ignored.\rIllegal characters "
                             "are:\r   *  \\  /  :  ?  |  \"  <  >"));
    ASSERT_TRUE(ask.inputFont);
    EXPECT_EQ(ask.inputFont->family(), QStringLiteral("Arial"));
    EXPECT_EQ(ask.inputFont->pointSize(), 8);
    EXPECT_FALSE(ask.inputFont->bold());
}

TEST_F(PictureSlotsTest, PastesDefaultNameIsOneThePasteAccepts) {
    // Once "Rock/Pop-What?-The Album" was offered and then ignored without a word on OK.
    const std::tuple<const char *, const char *, const char *, const char *> cases[] = {
        {"Rock/Pop", "What?", "The Album", "Rock-Pop-What?-The Album"},
        {".38 Special", "Hold On", "a/b/c", "38 Special-Hold On-a-b-c"},
        {"", "Song", "", "-Song-"},
        {"..", "..", "", "-..-"},
    };
    for (const auto &[artist, song, album, expected] : cases) {
        const QString name = editor::PictureSlots::pasteDefaultName(QString::fromUtf8(artist), QString::fromUtf8(song),
                                                                    QString::fromUtf8(album));
        EXPECT_EQ(name, QString::fromUtf8(expected));
        EXPECT_TRUE(mCommon::IsValidFileName(name)) << name.toStdString();
    }
    NameEdit::setBoxText(e->txtArtist, QStringLiteral("Rock/Pop"));
    setClipboardImage();
    prompts.answerInput(std::nullopt);
    e->mnuFilePasteImage_Click();
    EXPECT_EQ(prompts.asked().first().inputRequest.defaultText, QStringLiteral("Rock-Pop-Full Song-The Album"));
}

TEST_F(PictureSlotsTest, TheRealPictureWindowStoresAPastedPictureIntoTheRightSlot) {
    pictures::registerWindows();
    pictures::PictureForm::setScreenOverride(pictures::ScreenInfo{1920 * 15.0, 1080 * 15.0, 15, 15});
    QStringList titles;
    ui::ScopedModalHook save{[&titles](QDialog *d) {
        if (auto *f = qobject_cast<pictures::PictureForm *>(d)) {
            titles << f->windowTitle();
            f->cmdClose->click();
        }
    }};
    setClipboardImage();
    e->cmdPicture_MouseDown(7, 2, QPoint(1, 1));
    e->mnuFile->hide();
    prompts.answerInput(QStringLiteral("Cover"));
    core::g().RecordChanged = false;
    e->mnuFilePasteImage_Click();
    EXPECT_EQ(e->txtPic7File->text(), QStringLiteral("Cover.jpg"));
    EXPECT_TRUE(QFileInfo::exists(pictures + QStringLiteral("Cover.jpg")));
    EXPECT_TRUE(core::g().RecordChanged);
    EXPECT_FALSE(core::g().PastingImage);

    // The slot now opens that picture in the window.
    e->cmdPicture_Click(7);
    EXPECT_EQ(titles, (QStringList{QStringLiteral("Cover"), QStringLiteral("Cover.jpg")}));
    EXPECT_EQ(e->txtPic7File->text(), QStringLiteral("Cover.jpg"));
    EXPECT_TRUE(prompts.messageTexts().isEmpty());
    pictures::PictureForm::setScreenOverride(std::nullopt);
}

} // namespace
